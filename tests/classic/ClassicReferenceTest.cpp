// Cross-check against files from an independent encoder with reference decodes (kept beside the
// repository; skipped when that folder is absent).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ClassicTestHelpers.h"
#include "codec/vuClassicWif.h"
#include "formats/vuRWImage.h"
#include "support/TestSupport.h"

using namespace classictest;

namespace {

struct Reference {
  const char* name;
  const char* reference;
  std::vector<int64_t> needed; // what a streaming client waits for, step by step
};

// From the folder's manifest.
const std::vector<Reference>& References() {
  static const std::vector<Reference> references = {
      {"g01_camera_wif5", "pgm", {14, 10, 3841, 6351}},
      {"c03_astronaut_wif6", "ppm", {14, 11, 3250, 5032, 2224, 3458}},
      {"c04_coffee_wif8", "ppm", {14, 47, 3649, 5701, 2928, 5617}},
      {"c05_coffee_w8", "ppm", {14, 47, 3649, 5701, 2928, 5617}},
      {"g07_coins_L6", "pgm", {14, 10, 3259, 5040}},
      {"g08_moon_L1", "pgm", {14, 10, 1162, 1962}},
      {"c13_chelsea_L3K5", "ppm", {14, 10, 864, 1466, 521, 916}},
      {"g16_moon16_P12", "pgm", {14, 10, 1048, 1241}},
      {"c19_astronaut16_P12", "ppm", {14, 10, 2037, 3216, 1562, 2358}},
      {"g25_tiny_1x1", "pgm", {14, 10, 16, 5}},
      {"c26_tiny_3x2", "ppm", {14, 8, 16, 19, 32, 25}},
      {"g29_mode7", "pgm", {14, 10, 957, 1239}},
  };
  return references;
}

bool Available() {
  return std::filesystem::exists(vutest::SharedTestData("classic/manifest.json"));
}

TEST(ClassicReference, DecodesEveryReferenceFileExactlyWholeAndPassByPass) {
  if (!Available()) GTEST_SKIP() << "no shared test data";
  for (const Reference& r : References()) {
    SCOPED_TRACE(r.name);
    std::string base = vutest::SharedTestData(std::string("classic/") + r.name);
    std::vector<uint8_t> file = vutest::ReadFileBytes(base + ".wif");
    Picture expected, whole, passes;
    ASSERT_TRUE(ReadPnm(base + "." + r.reference, &expected));
    ASSERT_EQ(DecodeBytes(file, &whole), 0);
    EXPECT_EQ(MaxDifference(whole, expected), 0);
    std::vector<int64_t> needed;
    ASSERT_EQ(DecodeByPasses(file, &passes, &needed), 0);
    EXPECT_EQ(MaxDifference(passes, expected), 0);
    EXPECT_EQ(needed, r.needed);
  }
}

TEST(ClassicReference, ReadsReferenceFilesIntoImages) {
  if (!Available()) GTEST_SKIP() << "no shared test data";
  for (const Reference& r : References()) {
    SCOPED_TRACE(r.name);
    std::string base = vutest::SharedTestData(std::string("classic/") + r.name);
    Picture expected;
    ASSERT_TRUE(ReadPnm(base + "." + r.reference, &expected));
    vutest::ScopedImage image;
    int count = -1;
    ASSERT_EQ(vuReadClassicWif((base + ".wif").c_str(), &image, &count), 0);
    EXPECT_EQ(count, int(std::filesystem::file_size(base + ".wif")));
    ASSERT_EQ(image.Width(), expected.width);
    ASSERT_EQ(image.Height(), expected.height);
    int worst = 0;
    for (int y = 0; y < expected.height; ++y) {
      for (int x = 0; x < expected.width; ++x) {
        uint16_t raw[4] = {};
        image.accessor->GetRaw(x, expected.height - 1 - y, raw);
        for (int c = 0; c < expected.channels; ++c)
          worst = std::max(worst, std::abs(int(raw[c]) - int(expected.At(x, y, c))));
      }
    }
    EXPECT_EQ(worst, 0);
    vuFileInfo info;
    ASSERT_EQ(vuClassicWifInfo((base + ".wif").c_str(), &info), 0);
    EXPECT_EQ(info.width, expected.width);
    EXPECT_EQ(info.height, expected.height);
    EXPECT_EQ(info.bitsPerPixel, image.Depth());
  }
}

TEST(ClassicReference, DamagedFilesEndWithAnAcceptableResult) {
  if (!Available()) GTEST_SKIP() << "no shared test data";
  struct Damaged {
    const char* name;
    std::vector<int> acceptable;
  };
  const Damaged damaged[] = {
      {"m01_trunc_grey_pass0", {-2, -3}}, {"m05_bad_digit_4", {-2}},
      {"m08_levels_15", {-2, -3}},        {"m16_word_topbit_fffffffe", {-2}},
      {"m18_token0_grey_pass0", {-3}},    {"m22_rice_mode7_overflow", {-2}},
  };
  for (const Damaged& d : damaged) {
    SCOPED_TRACE(d.name);
    std::string path = vutest::SharedTestData(std::string("classic/malformed/") + d.name + ".wif");
    vutest::ScopedImage image;
    int count = 0;
    int result = vuReadClassicWif(path.c_str(), &image, &count);
    EXPECT_NE(std::find(d.acceptable.begin(), d.acceptable.end(), result), d.acceptable.end())
        << result;
    EXPECT_EQ(image.header, nullptr);
    Picture picture;
    result = DecodeBytes(vutest::ReadFileBytes(path), &picture);
    EXPECT_NE(std::find(d.acceptable.begin(), d.acceptable.end(), result), d.acceptable.end())
        << result;
  }
}

} // namespace
