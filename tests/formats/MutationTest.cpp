// Damaged copies of valid files: every load ends with a result, never a crash or a stray access
// (the sanitizer build checks the latter).
#include <gtest/gtest.h>

#include <random>

#include "support/TestSupport.h"

using vutest::ScopedImage;
using vutest::TempDir;

namespace {

// Small valid files of every variant the BMP and PNM readers handle.
std::vector<std::vector<uint8_t>> Seeds(TempDir& dir) {
  std::vector<std::vector<uint8_t>> seeds;
  struct Source {
    vuBMFormat format;
    int type;
    int colors;
  };
  const Source sources[] = {{BM_4BIT, 2, 16},       {BM_8BIT_COLOR, 2, 256}, {BM_24BIT, 2, 0},
                            {BM_8BIT_GRAY, 5, 256}, {BM_24BIT, 4, 0},        {BM_16BIT_GRAY, 5, 0},
                            {BM_48BIT, 4, 0}};
  for (const Source& s : sources) {
    ScopedImage image;
    EXPECT_EQ(image.AllocateBitmap(7, 5, s.colors, s.format), 1);
    vutest::FillPattern(image, 3);
    std::string path = dir.Path("seed");
    EXPECT_EQ(image.SaveImage(path.c_str(), s.type, nullptr), 0);
    seeds.push_back(vutest::ReadFileBytes(path));
  }
  // Run-length bitmaps, written by hand: 8-bit and 4-bit.
  std::vector<uint8_t> rle8 = seeds[1];
  rle8[30] = 1;
  rle8.resize(54 + 1024);
  rle8.insert(rle8.end(), {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 2, 1, 1, 5, 7, 0, 0, 0, 1});
  seeds.push_back(rle8);
  std::vector<uint8_t> rle4 = seeds[0];
  rle4[30] = 2;
  rle4.resize(54 + 64);
  rle4.insert(rle4.end(), {3, 0x9A, 0, 3, 0x12, 0x30, 0, 0, 0, 2, 1, 1, 5, 0x77, 0, 1});
  seeds.push_back(rle4);
  return seeds;
}

} // namespace

TEST(Mutation, DamagedBitmapsAndPortableMapsEndCleanly) {
  TempDir dir;
  vuRecordingPlatform quiet; // keep the compression messages off the terminal
  vuScopedPlatform scope(&quiet);
  std::mt19937 random(12345);
  std::string path = dir.Path("mutant");
  int loaded = 0, refused = 0;
  for (const std::vector<uint8_t>& seed : Seeds(dir)) {
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> bytes = seed;
      int edits = 1 + int(random() % 6);
      for (int e = 0; e < edits; ++e) {
        size_t at = random() % bytes.size();
        switch (random() % 4) {
        case 0:
          bytes[at] = uint8_t(random());
          break;
        case 1:
          bytes[at] ^= uint8_t(1u << (random() % 8));
          break;
        case 2:
          bytes[at] = random() % 2 ? 0xFF : 0x00;
          break;
        default:
          bytes.resize(at + 1);
          break;
        }
      }
      vutest::WriteFileBytes(path, bytes);
      ScopedImage image;
      int result = image.LoadImage(path.c_str());
      if (result == 0) {
        ++loaded;
        ASSERT_NE(image.header, nullptr);
        // A loaded image can be written again.
        EXPECT_EQ(image.SaveImage(dir.Path("again.bmp").c_str(), 2, nullptr) <= 0, true);
      } else {
        ++refused;
        EXPECT_LT(result, 0);
      }
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}
