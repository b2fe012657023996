// Helpers of the older-generation WIF tests: decoding bytes into plain pictures, whole or pass by
// pass, and reading the reference PGM/PPM decodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace classictest {

// A picture as plain samples: top row first, channels red, green, blue (or one grey channel).
struct Picture {
  int width = 0;
  int height = 0;
  int channels = 1;
  int maxValue = 255;
  std::vector<uint16_t> samples;

  uint16_t& At(int x, int y, int c) {
    return samples[(static_cast<size_t>(y) * width + x) * channels + c];
  }
  uint16_t At(int x, int y, int c) const {
    return samples[(static_cast<size_t>(y) * width + x) * channels + c];
  }
};

// Reads a binary PGM or PPM (8- or 16-bit); false when it is none.
bool ReadPnm(const std::string& path, Picture* picture);
bool ParsePnm(const std::vector<uint8_t>& bytes, Picture* picture);

// Decodes a whole older-generation file held in memory with the library's decoder. Returns the
// decoder's result; the picture is filled on success.
int DecodeBytes(const std::vector<uint8_t>& file, Picture* picture);

// Decodes the same bytes the way a streaming client does: header from the first bytes, then each
// pass over exactly the chunk its preceding length word announces. `needed` receives the byte
// counts the client waits for (14, the rest of the header and the first word, then per chunk).
int DecodeByPasses(const std::vector<uint8_t>& file, Picture* picture,
                   std::vector<int64_t>* needed = nullptr);

// Largest absolute sample difference (-1 when the shapes differ) and the PSNR against the peak.
int MaxDifference(const Picture& a, const Picture& b);
double Psnr(const Picture& a, const Picture& b);

} // namespace classictest
