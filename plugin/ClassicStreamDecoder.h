// Drives the older-generation WIF decoder over a stream, one pass per chunk.
//
// The stream is: 14 bytes that tell the size and the data offset H, the rest of the header up to
// H, then a 4-byte chunk length word and the chunks, each followed by the length word of the
// next (the last by none). A length word counts its chunk and the word after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codec/classic/ClassicHeader.h"
#include "codec/classic/ClassicWifDecoder.h"

class ClassicStreamDecoder {
public:
  // Bytes a stream must have before the data offset is known.
  static constexpr int kFirstBytes = 14;

  // From the first bytes: the data offset. 0, or -2 for a bad signature or a data offset inside
  // the header block.
  int Start(const uint8_t* bytes, size_t length);
  // Bytes to wait for after the first 14: the rest of the header and the first length word.
  int Wanted() const { return dataOffset_ - kFirstBytes + 4; }
  int DataOffset() const { return dataOffset_; }

  // Builds the decoder from the whole header (bytes 0 .. H - 1). 0, or -2 for a header the
  // decoder cannot work with, -3 when memory is short.
  int CompleteHeader(const uint8_t* bytes, size_t length);
  const ClassicHeader& Header() const { return header_; }
  // Where the decoded rows go (after CompleteHeader).
  void Bind(uint8_t* bits, int64_t stride);

  int PassCount() const { return header_.color ? 4 : 2; }
  // Runs pass k over the bytes of its chunk (with the word after it). Returns that word, 0 after
  // the last pass, or a negative code.
  int RunPass(int pass, const uint8_t* data, size_t length);

private:
  int dataOffset_ = 0;
  ClassicHeader header_;
  std::unique_ptr<vu::classic::ClassicWifDecoder> decoder_;
};
