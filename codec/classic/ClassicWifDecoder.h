// The decoder of older-generation WIF files.
//
// A file holds two passes (grey) or four (colour); each pass is one chunk followed by a 32-bit
// big-endian chunk length word (the last chunk has none):
//   pass 0  low part of the grey or luma channel (lowest band and coarse levels: Rice code with
//           prediction; finer levels of the low quarter: arithmetic code), inner synthesis;
//   pass 1  detail part (the finest level's three bands), final synthesis, output of channel 0/1;
//   pass 2  low and detail part of the first chroma channel, output of channel 2;
//   pass 3  the same for the second chroma channel, output of channel 3 with the colour transform.
// The whole file can be decoded at once, or pass by pass over the bytes received so far (a
// streaming client waits for each chunk length word's count of bytes and hands them over).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "codec/classic/ArithmeticDecoder.h"
#include "codec/classic/BitReader.h"
#include "codec/classic/ClassicHeader.h"
#include "codec/classic/ClassicLayout.h"
#include "codec/classic/ClassicOutput.h"
#include "codec/classic/SymbolModel.h"

namespace vu::classic {

// The three detail planes of the finest level beside the low-quarter plane.
struct QuadBuf {
  int64_t halfWidth = 0;
  int64_t halfHeight = 0;
  std::unique_ptr<float[]> lowQuarter;
  std::unique_ptr<int8_t[]> hl;
  std::unique_ptr<int8_t[]> lh;
  std::unique_ptr<int8_t[]> hh;
};

class ClassicWifDecoder {
public:
  // Prepares a decode of a file with this (checked) header: derived quantities and buffers.
  // Returns 0, -2 for a header the decoder cannot work with, -3 when memory is short.
  int Open(const ClassicHeader& header);
  // The same from the first bytes of a stream, which must reach the data offset (a streaming
  // client knows it from the first 14 bytes: ClassicDataOffset).
  int Open(const uint8_t* bytes, size_t length);
  // The destination rows: 8-bit grey, 16-bit grey, 24-bit or 48-bit colour as the header says,
  // `stride` bytes apart, row 0 first (the bottom line of the picture).
  void Bind(uint8_t* bits, int64_t stride);

  int PassCount() const { return color_ ? 4 : 2; }
  // Runs one pass over `source`, which stands at the pass's chunk. Returns the chunk length word
  // that follows the pass, 0 after the last pass, or a negative code (-2 bad or missing data,
  // -3 an invalid token or no memory). Passes must run in order.
  int RunPass(int pass, ClassicByteSource& source);
  // The same over received bytes that start at the pass's chunk.
  int RunPass(int pass, const uint8_t* data, size_t length);

  // Decodes a whole stream from its first byte (header included, which must match Open's).
  // Returns 0, the first chunk length word when it has its top bit set, or a negative code.
  int Decode(ClassicByteSource& source);

  // Derived quantities.
  const ClassicLayout& Layout() const { return *layout_; }
  int ArithmeticLevels() const { return arithmeticLevels_; } // A
  int64_t CoarseCount() const { return coarseCount_; }       // Nc
  float Step() const { return step_; }                       // q
  int SampleBytes() const { return sampleBytes_; }           // S
  int SampleBits() const { return sampleBits_; }             // P
  int DataOffset() const { return dataOffset_; }

  // The pass result that is not a chunk length word: why the last pass failed.
  struct PassResult {
    int status = 0;   // 0, or -2 / -3
    int32_t word = 0; // the chunk length word after the pass (0 after the last)
  };
  PassResult RunPassDetailed(int pass, ClassicByteSource& source);

private:
  int LowPart(int channel, BitReader& reader, std::optional<ArithmeticDecoder>& open);
  int DetailPart(int channel, BitReader& reader, std::optional<ArithmeticDecoder>& open);
  int Output(int channel);
  int ChannelCoarseLevels(int channel) const;
  int64_t ChannelCoarseCount(int channel) const;

  bool color_ = false;
  bool raster_ = false;
  int sampleBytes_ = 1;
  int sampleBits_ = 0;
  int revisionMajor_ = 0;
  int revisionMinor_ = 0;
  int width_ = 0;
  int height_ = 0;
  int quantizerBase_ = 0;
  int levels_ = 0;
  int coarseLevels_ = 0;
  std::optional<ClassicLayout> layout_;
  int arithmeticLevels_ = 0;
  int64_t coarseCount_ = 0;
  float step_ = 0.0f;
  int dataOffset_ = 0;

  std::unique_ptr<int32_t[]> expanse_;
  QuadBuf quad_;
  SymbolModel model_;
  ClassicOutput output_;
  int nextPass_ = 0;
};

} // namespace vu::classic
