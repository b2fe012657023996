// The header of an older-generation WIF file ("W5".."W8", "WIF5".."WIF8") and its reader.
//
// Layout: 'W', optionally "IF", one version digit '5'..'8', then a 16-byte header block
// (big-endian fields), a comment area up to the data offset, and the data area.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct ClassicHeader {
  int32_t revisionMajor = 0;
  int32_t revisionMinor = 0;
  int32_t color = 0;       // 1 for digits '6' and '8'
  int32_t raster = 0;      // 1 for digits '7' and '8' (5/3 filters, raster scans)
  int32_t sampleBytes = 0; // header byte 11 as stored, whatever the revision
  int32_t sampleBits = 0;  // header byte 10 (0 read as 16) from revision 4.7 on, else 0
  int32_t width = 0;
  int32_t height = 0;
  int32_t quantizerBase = 0;    // the quantizer byte, plus 2 from revision 3.7 on
  int32_t levels = 0;           // low nibble of byte 6
  int32_t coarseLevels = 0;     // high nibble of byte 6
  std::vector<uint8_t> comment; // commentLength bytes and one spare zero byte
  int32_t commentLength = 0;

  // Not part of the record the reader hands on, but needed to decode and to describe a file.
  int32_t dataOffset = 0;
  int32_t signatureLength = 0; // 2 ("W8") or 4 ("WIF8")
  char digit = 0;

  // "Revision at least major.minor".
  bool RevisionAtLeast(int major, int minor) const {
    return revisionMajor > major || (revisionMajor == major && revisionMinor >= minor);
  }
  // Bytes per sample the decoder uses: byte 11 only from revision 4.7 on, 0 meaning 1.
  int EffectiveSampleBytes() const {
    int bytes = RevisionAtLeast(4, 7) ? sampleBytes : 0;
    return bytes == 0 ? 1 : bytes;
  }
  // Significant bits of a 2-byte sample (0 for 1-byte samples).
  int EffectiveSampleBits() const { return EffectiveSampleBytes() == 2 ? sampleBits : 0; }
  // Where the header block ends and the comment starts.
  int HeaderEnd() const { return signatureLength + 16; }
};

// Bytes a header needs before the data offset can be known: the long signature and the block.
constexpr int kClassicHeaderBytes = 20;

// Parses the signature and header block from the first bytes of a file. With `withComment`, the
// comment area is copied too and `length` must reach the data offset. Returns 1, or -2 when the
// signature is not 'W', ["IF"], '5'..'8' or the bytes end too early.
int ParseClassicHeader(const uint8_t* bytes, size_t length, ClassicHeader* header,
                       bool withComment);

// Reads the header and comment of an open file: seeks to the start, parses, and seeks back to the
// start. Returns 1, or -2 as above.
int ReadClassicHeader(FILE* stream, ClassicHeader* header);

// Checks the values the decoder cannot work with: 0 when it can decode the file, else -2 (zero
// width or height, levels of 0 or more than the picture size allows, a sample-bytes value other
// than 0, 1, 2 from revision 4.7 on, more than 16 sample bits, a data offset inside the header
// block). Whether the picture fits an image is for the caller that makes one to ask.
int CheckClassicHeader(const ClassicHeader& header);

// Where the data area starts, from the first 14 bytes of a stream (what a streaming client has
// before the comment), or -2 for a bad signature.
int ClassicDataOffset(const uint8_t* bytes, size_t length);
