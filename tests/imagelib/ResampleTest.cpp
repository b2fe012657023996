// Resampling with the Lanczos-3 filter: sizes, exactness where nothing moves, the sample ranges,
// and the picture an independent resampler makes.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/TestSupport.h"

using vutest::ScopedImage;

TEST(Resample, SameSizeIsExactAndFlatStaysFlat) {
  for (vuBMFormat format : {BM_8BIT_GRAY, BM_24BIT, BM_32BIT, BM_16BIT_GRAY, BM_48BIT}) {
    SCOPED_TRACE(format);
    ScopedImage image, copy;
    ASSERT_EQ(image.AllocateBitmap(37, 19, format == BM_8BIT_GRAY ? 256 : 0, format), 1);
    vutest::FillPattern(image, 3);
    ASSERT_EQ(copy.AllocateBitmap(37, 19, format == BM_8BIT_GRAY ? 256 : 0, format), 1);
    vutest::FillPattern(copy, 3);
    ASSERT_EQ(copy.Resample(37, 19), 1);
    std::string why;
    EXPECT_TRUE(vutest::SamePixels(image, copy, &why)) << why;

    // A flat picture is flat at any size.
    ScopedImage flat;
    ASSERT_EQ(flat.AllocateBitmap(20, 30, format == BM_8BIT_GRAY ? 256 : 0, format), 1);
    const uint16_t value[4] = {100, 150, 200, 250};
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 20; ++x)
        flat.accessor->SetRaw(x, y, value);
    ASSERT_EQ(flat.Resample(7, 71), 1);
    ASSERT_EQ(flat.Width(), 7);
    ASSERT_EQ(flat.Height(), 71);
    EXPECT_EQ(flat.format, format);
    for (int y = 0; y < 71; y += 5) {
      for (int x = 0; x < 7; ++x) {
        uint16_t got[4] = {0, 0, 0, 0};
        flat.accessor->GetRaw(x, y, got);
        ASSERT_EQ(got[0], 100) << x << "," << y;
      }
    }
  }
}

TEST(Resample, SamplesStayInTheirSignificantRange) {
  // A hard edge overshoots under the filter: 12-bit samples are clamped to 0..4095.
  ScopedImage edge;
  ASSERT_EQ(edge.AllocateBitmap(8, 1, 0, BM_16BIT_GRAY), 1);
  edge.sampleBits = 12;
  auto* row = reinterpret_cast<uint16_t*>(edge.Row(0));
  for (int x = 0; x < 8; ++x)
    row[x] = x < 4 ? 0 : 4095;
  ASSERT_EQ(edge.Resample(40, 1), 1);
  EXPECT_EQ(edge.sampleBits, 12);
  row = reinterpret_cast<uint16_t*>(edge.Row(0));
  EXPECT_EQ(*std::max_element(row, row + 40), 4095);
  EXPECT_EQ(*std::min_element(row, row + 40), 0);
  EXPECT_GT(row[20], 0); // the edge is a ramp now, not a step
  EXPECT_LT(row[19], 4095);
}

TEST(Resample, RefusesWhatItCannotMix) {
  ScopedImage palette;
  ASSERT_EQ(palette.AllocateBitmap(4, 4, 16, BM_8BIT_COLOR), 1);
  EXPECT_EQ(palette.Resample(8, 8), -2);
  EXPECT_EQ(palette.Width(), 4);
  EXPECT_EQ(palette.Resample(0, 8), 0);
  ScopedImage empty;
  EXPECT_EQ(empty.Resample(8, 8), 0);
}

TEST(Resample, CloseToAnIndependentLanczosResampler) {
  if (!vutest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  vutest::TempDir dir;
  ScopedImage ours;
  ASSERT_EQ(ours.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(ours.Resample(173, 115), 1);
  std::string theirs = dir.Path("theirs.ppm");
  ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample("chelsea.ppm")) +
                               " -filter Lanczos -resize '173x115!' " + vutest::Quote(theirs)),
            0);
  ScopedImage reference;
  ASSERT_EQ(reference.LoadImage(theirs.c_str()), 0);
  EXPECT_GT(vutest::Psnr(ours, reference), 45.0);
}
