// A test-only encoder of older-generation WIF files. The library only reads this format; the
// tests need files of every kind, so this writes them: both signature forms, every digit, any
// revision, 1- and 2-byte samples, any levels and coarse levels, comments. Its transforms are
// lifting implementations of the analysis filters that the decoder's synthesis inverts, written
// independently of the decoder, so a photograph that goes through it and back through the
// decoder must come back within the quantisation error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ClassicTestHelpers.h"

namespace classictest {

struct EncodeOptions {
  char digit = '5';       // '5'..'8' (colour and filter family follow from it)
  bool shortForm = false; // "W5" instead of "WIF5"
  int revisionMajor = 5;
  int revisionMinor = 0;
  int levels = 5;
  int coarseLevels = 0;
  int quantizerByte = 8;    // header byte 7 (the base adds 2 from revision 3.7 on)
  int sampleBitsField = 0;  // header byte 10
  int sampleBytesField = 0; // header byte 11
  std::string comment;
  bool preferTinyGroups = false;   // use the tiny-value Rice mode wherever it fits
  bool overlongFinalRuns = false;  // code a zero run that ends a stage one longer (cut on decode)
  bool endSymbolTerminator = true; // end a stage's last value with the end symbol (else token 2)
  bool padGreyTail = true;         // two spare bytes after the last arithmetic code of a grey file
};

// Encodes `picture` (top row first; red, green, blue or grey; samples in the range of the sample
// size the options give) into a complete file.
std::vector<uint8_t> EncodeClassic(const Picture& picture, const EncodeOptions& options);

// An arithmetic code stream spelling the given symbols (characters 0..5, -1 the end symbol), the
// model restarting at each stage, flushed and followed by two spare bytes.
std::vector<uint8_t> EncodeSymbolStages(const std::vector<std::vector<int>>& stages);

// (a, b) pair k of the n x n Hilbert walk of the blocked scans, generated (not tabulated).
void HilbertWalk(int n, int k, int* a, int* b);

} // namespace classictest
