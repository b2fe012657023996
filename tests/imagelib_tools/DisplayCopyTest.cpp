// The 8-bit palette display copy made by the quantizer.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

using vutest::ScopedImage;

TEST(DisplayCopy, AlternateImageOfAPhotograph) {
  ScopedImage photo, original;
  ASSERT_EQ(photo.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(original.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(photo.CreateAlternateImage(BM_8BIT_COLOR), 1);
  ASSERT_NE(photo.altHeader, nullptr);
  EXPECT_EQ(photo.altHeader->bitCount, 8);
  EXPECT_EQ(photo.altHeader->width, photo.Width());
  EXPECT_EQ(photo.altHeader->height, photo.Height());
  EXPECT_EQ(photo.altHeader->colorsUsed, 256u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(photo.altPalette),
            reinterpret_cast<uint8_t*>(photo.altHeader) + 40);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(photo.altBits),
            reinterpret_cast<uint8_t*>(photo.altHeader) + 40 + 4 * 256);
  ASSERT_NE(photo.hPalette, nullptr);
  EXPECT_EQ(photo.hPalette->entries.size(), 256u);
  EXPECT_EQ(photo.format, BM_24BIT);
  EXPECT_TRUE(vutest::SamePixels(photo, original)); // the main picture is untouched

  // Rebuilding with fewer colours by another method replaces the copy (the old one is released).
  ASSERT_EQ(photo.Create8bitColor(16, CR_BEST_QUANT), 1);
  EXPECT_EQ(photo.altHeader->colorsUsed, 16u);
  int stride = (photo.Width() + 3) / 4 * 4;
  for (int y = 0; y < photo.Height(); ++y)
    for (int x = 0; x < photo.Width(); ++x)
      ASSERT_LT(photo.altBits[int64_t(y) * stride + x], 16);
}

TEST(DisplayCopy, EmptyImageGivesNoCopy) {
  ScopedImage empty;
  EXPECT_EQ(empty.Create8bitColor(256, CR_MEDIAN_CUT), 0);
  EXPECT_EQ(empty.altHeader, nullptr);
}

TEST(DisplayCopy, QuickDitherGivesTheUntouchedResult) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 3, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 2);
  ASSERT_EQ(image.Create8bitColor(256, CR_QUICK_DITHER), 1);
  ASSERT_NE(image.altHeader, nullptr);
  EXPECT_EQ(image.altPalette[77].green, 77); // still the grey ramp of the allocation
}

} // namespace
