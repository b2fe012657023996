// The whole-row byte moves of the readers and writers: every vectorised version against the plain
// one, and the PGM/PPM rows that go through them.
#include <gtest/gtest.h>

#include <random>

#include "formats/vuRowCopy.h"
#include "support/TestSupport.h"

using vutest::ScopedImage;
using vutest::TempDir;

TEST(RowCopy, EveryLevelMatchesThePlainVersion) {
  std::mt19937 random(7);
  for (int level = VU_SIMD_SSE4; level <= vuSimdBestLevel(); ++level) {
    for (int group : {2, 3, 6}) {
      for (size_t groups = 1; groups <= 200; groups += groups < 70 ? 1 : 13) {
        SCOPED_TRACE(testing::Message() << vuSimdLevelName(vuSimdLevel(level)) << " group " << group
                                        << " groups " << groups);
        std::vector<uint8_t> in(groups * group);
        for (uint8_t& b : in)
          b = static_cast<uint8_t>(random());
        std::vector<uint8_t> expected(in.size()), out(in.size());
        vuReverseByteGroupsAt(VU_SIMD_PLAIN, in.data(), expected.data(), groups, group);
        vuReverseByteGroupsAt(vuSimdLevel(level), in.data(), out.data(), groups, group);
        ASSERT_EQ(out, expected);
        vuReverseByteGroupsAt(vuSimdLevel(level), in.data(), in.data(), groups, group);
        ASSERT_EQ(in, expected); // in place
      }
    }
  }
  // The plain version itself: each group reversed.
  const std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6};
  std::vector<uint8_t> out(6);
  vuReverseByteGroupsAt(VU_SIMD_PLAIN, rgb.data(), out.data(), 2, 3);
  EXPECT_EQ(out, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
  vuReverseByteGroupsAt(VU_SIMD_PLAIN, rgb.data(), out.data(), 1, 6);
  EXPECT_EQ(out, (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(RowCopy, ClampsSixteenBitSamples) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < 1100; ++i) {
    const uint16_t v = static_cast<uint16_t>(i * 60);
    samples.push_back(static_cast<uint8_t>(v));
    samples.push_back(static_cast<uint8_t>(v >> 8));
  }
  vuClampSamples16(samples.data(), 1100, 4095);
  for (int i = 0; i < 1100; ++i) {
    const int v = samples[2 * i] | (samples[2 * i + 1] << 8);
    ASSERT_EQ(v, std::min(i * 60 % 65536, 4095)) << i;
  }
}

// Rows wide enough for every vector width, with widths that leave a tail.
TEST(RowCopy, WidePixelMapRowsKeepEverySample) {
  TempDir dir;
  for (vuBMFormat format : {BM_8BIT_GRAY, BM_24BIT, BM_16BIT_GRAY, BM_48BIT}) {
    for (int width : {64, 67, 130, 301}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image, back;
      ASSERT_EQ(image.AllocateBitmap(width, 3, format == BM_8BIT_GRAY ? 256 : 0, format), 1);
      vutest::FillPattern(image, uint32_t(width));
      image.sampleBits = 16;
      const int type = (format == BM_8BIT_GRAY || format == BM_16BIT_GRAY) ? 5 : 4;
      const std::string path = dir.Path("wide");
      ASSERT_EQ(image.SaveImage(path.c_str(), type, nullptr), 0);
      ASSERT_EQ(back.LoadImage(path.c_str()), 0);
      std::string why;
      EXPECT_TRUE(vutest::SamePixels(image, back, &why)) << why;
      // The file holds the top line first, red before blue, 16-bit samples big-endian.
      const std::vector<uint8_t> file = vutest::ReadFileBytes(path);
      const uint8_t* top = image.Row(2);
      const uint8_t* first = file.data() + file.size() - size_t(width) * (image.Depth() / 8) * 3;
      if (format == BM_24BIT) {
        EXPECT_EQ(first[0], top[2]);
        EXPECT_EQ(first[2], top[0]);
      } else if (format == BM_48BIT) {
        EXPECT_EQ(first[0], top[5]);
        EXPECT_EQ(first[1], top[4]);
      } else if (format == BM_16BIT_GRAY) {
        EXPECT_EQ(first[0], top[1]);
      } else {
        EXPECT_EQ(first[0], top[0]);
      }
    }
  }
}

TEST(RowCopy, SixteenBitSamplesPastTheMaximumAreTheMaximum) {
  TempDir dir;
  // Maximum 4095 (twelve bits, no rescaling); a damaged file holds 5000 in a wide row.
  std::vector<uint8_t> file = {'P', '5', ' ', '1', '0', '0', ' ',
                               '1', ' ', '4', '0', '9', '5', '\n'};
  for (int x = 0; x < 100; ++x) {
    const int v = x == 77 ? 5000 : x * 40;
    file.push_back(static_cast<uint8_t>(v >> 8));
    file.push_back(static_cast<uint8_t>(v));
  }
  vutest::WriteFileBytes(dir.Path("a.pgm"), file);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(dir.Path("a.pgm").c_str()), 0);
  uint16_t v[4];
  image.accessor->GetRaw(77, 0, v);
  EXPECT_EQ(v[0], 4095);
  image.accessor->GetRaw(76, 0, v);
  EXPECT_EQ(v[0], 76 * 40);
}
