#include "support/RasterTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using namespace vutest;

namespace rastertest {

std::vector<uint8_t> TopDownRgb(vuImage& image) {
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(image.Width()) * image.Height() * 3);
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      uint16_t p[4] = {0, 0, 0, 0};
      if (image.format == BM_16BIT_GRAY) {
        image.accessor->GetGray(x, y, p);
        p[1] = p[2] = p[0];
      } else {
        image.accessor->GetRGB(x, y, p);
      }
      for (int k = 0; k < 3; ++k)
        rgb.push_back(static_cast<uint8_t>(p[k]));
    }
  }
  return rgb;
}

int Load(ScopedImage& image, const std::string& path) {
  return image.LoadImage(path.c_str());
}

bool HavePillow() {
  static const bool have = RunCommand("/usr/bin/python3 -c 'import PIL' >/dev/null") == 0;
  return have;
}

bool HaveImageMagick() {
  static const bool have = HaveProgram("convert");
  return have;
}

bool DecodeWithCommand(const std::string& command, const std::string& ppmPath, int* width,
                       int* height, std::vector<uint8_t>* rgb) {
  std::string output;
  // Grouped, so that a tool's warnings do not end up in the file its output goes to.
  if (RunCommand("{ " + command + "; }", &output) != 0) {
    ADD_FAILURE() << command << ": " << output;
    return false;
  }
  ScopedImage decoded;
  if (decoded.LoadImage(ppmPath.c_str()) != 0) return false;
  *width = decoded.Width();
  *height = decoded.Height();
  *rgb = TopDownRgb(decoded);
  return true;
}

bool DecodeWithImageMagick(const std::string& path, const std::string& scratch, int* width,
                           int* height, std::vector<uint8_t>* rgb) {
  // "[0]": the first image of a file with several.
  std::string command =
      "convert " + Quote(path + "[0]") + " -auto-orient -depth 8 " + Quote("ppm:" + scratch);
  return DecodeWithCommand(command, scratch, width, height, rgb);
}

bool DecodeWithPillow(const std::string& path, const std::string& scratch, int* width, int* height,
                      std::vector<uint8_t>* rgb) {
  std::string command = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                        "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2], 'PPM')\" " +
                        Quote(path) + " " + Quote(scratch);
  return DecodeWithCommand(command, scratch, width, height, rgb);
}

int64_t CountDifferences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                         bool fiveBit) {
  if (a.size() != b.size()) return -1;
  int64_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (fiveBit ? (a[i] >> 3) != (b[i] >> 3) : a[i] != b[i]) ++count;
  }
  return count;
}

void MutationLoop(const std::vector<uint8_t>& valid, const std::string& path, int rounds,
                  uint32_t seed) {
  // A longer run on request, for a deeper search than the regular suite affords.
  if (const char* more = std::getenv("VU_MUTATION_ROUNDS"))
    rounds = std::max(rounds, std::atoi(more));
  std::mt19937 random(seed);
  vuRecordingPlatform platform; // keeps the decoders' messages off the terminal
  vuScopedPlatform scoped(&platform);
  for (int round = 0; round < rounds; ++round) {
    std::vector<uint8_t> bytes = valid;
    switch (round % 4) {
    case 0: // a few bytes changed anywhere
    case 1: {
      int changes = 1 + int(random() % 8);
      for (int k = 0; k < changes; ++k)
        bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
      break;
    }
    case 2: // cut short
      bytes.resize(random() % bytes.size());
      break;
    default: { // header damage: the first 32 bytes are where sizes and kinds live
      int changes = 1 + int(random() % 3);
      for (int k = 0; k < changes; ++k)
        bytes[random() % std::min<size_t>(32, bytes.size())] = static_cast<uint8_t>(random());
      break;
    }
    }
    WriteFileBytes(path, bytes);
    ScopedImage image;
    int result = image.LoadImage(path.c_str());
    if (result == 0) {
      ASSERT_NE(image.header, nullptr) << "round " << round;
      // Touch every pixel: a success must hold a whole, readable bitmap.
      TopDownRgb(image);
    } else {
      ASSERT_LT(result, 0) << "round " << round;
    }
    platform.messages.clear();
  }
}

} // namespace rastertest
