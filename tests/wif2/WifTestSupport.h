// Helpers of the WIF2 codec tests: test pictures as codec pixel buffers, encoding and decoding.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifEncoder.h"
#include "support/TestSupport.h"

namespace wiftest {

// A picture as the codec sees it: packed rows (8-bit samples, or 16-bit little-endian).
struct Picture {
  int width = 0;
  int height = 0;
  int colour = 0;
  int sampleBytes = 1;
  int significantBits = 8;
  std::vector<uint8_t> pixels;
  int64_t RowBytes() const { return int64_t(width) * (colour ? 3 : 1) * sampleBytes; }
  int Sample(int x, int y, int c) const {
    const size_t i = size_t(y) * RowBytes() + (size_t(x) * (colour ? 3 : 1) + c) * sampleBytes;
    return sampleBytes == 1 ? pixels[i] : pixels[i] | (pixels[i + 1] << 8);
  }
};

// A bundled sample (camera.pgm, chelsea.ppm, astronaut.ppm) in memory order.
Picture LoadSample(const std::string& name);
// The sample widened to 16-bit samples with `bits` significant bits (the 8-bit value in the top
// bits, a fine pattern below).
Picture Widen(const Picture& picture, int bits);
// A crop of the top-left corner (tiles of the mosaic and odd sizes come from it).
Picture Crop(const Picture& picture, int width, int height);

vuWifParams ParamsFor(const Picture& picture, int quality, bool fast, bool tiled, int levels = 5);
std::vector<uint8_t> Encode(const Picture& picture, const vuWifParams& params);
// Decodes all (with seam smoothing for tiled files) into packed rows.
std::vector<uint8_t> Decode(const std::vector<uint8_t>& file, Picture* shape = nullptr);
double PsnrOf(const Picture& a, const std::vector<uint8_t>& decoded);
uint64_t Fnv1a(const std::vector<uint8_t>& bytes);

} // namespace wiftest
