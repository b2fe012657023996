// Helpers for the raster-format tests: pixels as top-down RGB, decoding by independent tools,
// little file builders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace rastertest {

// The picture as red, green, blue bytes, top row first.
std::vector<uint8_t> TopDownRgb(vuImage& image);

// Loads a file through the library's own detection; the result of LoadImage.
int Load(vutest::ScopedImage& image, const std::string& path);

bool HavePillow();
bool HaveImageMagick();

// Decodes `path` with an independent tool into top-down RGB; false when the tool failed.
// ImageMagick keeps bottom-up Targa rows in file order and only tags the orientation, so its
// pictures are turned upright first.
bool DecodeWithImageMagick(const std::string& path, const std::string& scratch, int* width,
                           int* height, std::vector<uint8_t>* rgb);
bool DecodeWithPillow(const std::string& path, const std::string& scratch, int* width, int* height,
                      std::vector<uint8_t>* rgb);
bool DecodeWithCommand(const std::string& command, const std::string& ppmPath, int* width,
                       int* height, std::vector<uint8_t>* rgb);

// Number of samples that differ between two RGB buffers; `fiveBit` compares only the top five
// bits of each sample (16-bit Targa colours widen 5 bits in different ways).
int64_t CountDifferences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                         bool fiveBit = false);

// Little-endian appenders.
inline void Put8(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
}
inline void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// Repeatedly damages a valid file (byte changes, truncations, inserted runs) and loads every
// variant: none may crash, hang or leak, and a success must leave a whole bitmap. The environment
// variable VU_MUTATION_ROUNDS asks for more rounds.
void MutationLoop(const std::vector<uint8_t>& valid, const std::string& path, int rounds,
                  uint32_t seed);

} // namespace rastertest
