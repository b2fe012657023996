// Colour-mode conversions and the alternate image.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using vutest::ScopedImage;

namespace {
void MakeColour(vuImage& image, int width, int height) {
  ASSERT_EQ(image.AllocateBitmap(width, height, 0, BM_24BIT), 1);
}
} // namespace

TEST(Conversion, GreyFromColourByGreenAndByWeights) {
  ScopedImage a, b;
  MakeColour(a, 2, 1);
  a.SetColor(0, 0, 200, 100, 50);
  a.SetColor(1, 0, 255, 255, 255);
  MakeColour(b, 2, 1);
  b.SetColor(0, 0, 200, 100, 50);
  b.SetColor(1, 0, 255, 255, 255);

  ASSERT_EQ(a.MakeGS(), 1);
  EXPECT_EQ(a.format, BM_8BIT_GRAY);
  EXPECT_EQ(a.Row(0)[0], 100);
  EXPECT_EQ(a.Row(0)[1], 255);
  EXPECT_EQ(a.MakeGS(), -8);

  ASSERT_EQ(b.Make8Bit(), 1);
  EXPECT_EQ(b.format, BM_8BIT_GRAY);
  EXPECT_EQ(b.Colors(), 256);
  EXPECT_EQ(b.Row(0)[0], 122); // 59 + 58 + 5
  EXPECT_EQ(b.Row(0)[1], 254); // 76 + 149 + 29
  EXPECT_EQ(b.Make8Bit(), -1);
}

TEST(Conversion, MakeRgbExpandsEveryFormatAndRefusesTwentyFourBit) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 2, 4, BM_8BIT_COLOR), 1);
  image.palette[3] = vuRGBA{30, 20, 10, 0};
  image.Row(1)[2] = 3;
  ASSERT_EQ(image.MakeRGB(), 1);
  EXPECT_EQ(image.format, BM_24BIT);
  uint8_t r, g, b;
  image.GetColor(2, 1, &r, &g, &b);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(b, 30);
  vuBitmapInfoHeader* before = image.header;
  EXPECT_EQ(image.MakeRGB(), -8);
  EXPECT_EQ(image.header, before);
  EXPECT_EQ(image.Make24Bit(), 1);

  ScopedImage deep;
  ASSERT_EQ(deep.AllocateBitmap(1, 1, 0, BM_48BIT), 1);
  uint16_t sample[4] = {0xABCD, 0x1234, 0xFF00, 0};
  deep.accessor->SetRaw(0, 0, sample);
  ASSERT_EQ(deep.MakeRGB(), 1);
  deep.GetColor(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 0xAB);
  EXPECT_EQ(g, 0x12);
  EXPECT_EQ(b, 0xFF);
}

TEST(Conversion, TableConversions) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 1, 256, BM_8BIT_COLOR), 1);
  image.palette[5] = vuRGBA{50, 100, 200, 0}; // blue, green, red
  image.Row(0)[0] = 5;
  image.Row(0)[1] = 7;
  ASSERT_EQ(image.MakeGrayScale(), 1);
  EXPECT_EQ(image.Row(0)[0], 59 + 58 + 5);
  EXPECT_EQ(image.Row(0)[1], 2 + 4 + 0); // entry 7 was the ramp's (7, 7, 7)
  EXPECT_EQ(image.palette[5].red, 5);
  EXPECT_EQ(image.format, BM_8BIT_COLOR);

  ScopedImage linear;
  ASSERT_EQ(linear.AllocateBitmap(2, 1, 4, BM_8BIT_COLOR), 1);
  linear.palette[2] = vuRGBA{1, 2, 90, 0};
  linear.Row(0)[0] = 2;
  ASSERT_EQ(linear.MakeLinearGray(), 1);
  EXPECT_EQ(linear.Row(0)[0], 90);
  EXPECT_EQ(linear.Colors(), 256);
  EXPECT_EQ(linear.format, BM_8BIT_COLOR);

  ScopedImage colour;
  MakeColour(colour, 1, 1);
  EXPECT_EQ(colour.MakeGrayScale(), -1);
  EXPECT_EQ(colour.MakeLinearGray(), -8);
}

TEST(Conversion, ApplyColorMapBakesAGreyTableIntoThePixels) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 1, 256, BM_8BIT_GRAY), 1);
  image.palette[10] = vuRGBA{90, 90, 90, 0};
  image.Row(0)[0] = 10;
  image.Row(0)[1] = 11;
  ASSERT_EQ(image.ApplyColorMap(), 1);
  EXPECT_EQ(image.Row(0)[0], 90);
  EXPECT_EQ(image.Row(0)[1], 11);
  EXPECT_EQ(image.palette[10].red, 10);

  // A 24-bit image has no table: nothing changes.
  ScopedImage colour;
  MakeColour(colour, 2, 1);
  colour.SetColor(0, 0, 1, 2, 3);
  ASSERT_EQ(colour.ApplyColorMap(), 1);
  uint8_t r, g, b;
  colour.GetColor(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(b, 3);
}

TEST(Conversion, SwapRedAndBlue) {
  ScopedImage image;
  MakeColour(image, 1, 1);
  image.SetColor(0, 0, 1, 2, 3);
  ASSERT_EQ(image.SwapRB(), 1);
  uint8_t r, g, b;
  image.GetColor(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(g, 2);
  EXPECT_EQ(b, 1);
  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(1, 1, 256, BM_8BIT_GRAY), 1);
  EXPECT_EQ(grey.SwapRB(), -1);
}

TEST(Conversion, SixteenBitDisplayCopyShowsTheChosenBits) {
  ScopedImage deep;
  ASSERT_EQ(deep.AllocateBitmap(1, 1, 0, BM_48BIT), 1);
  uint16_t sample[4] = {0xABCD, 0xABCD, 0xABCD, 0};
  deep.accessor->SetRaw(0, 0, sample);
  ASSERT_EQ(deep.CreateAlt16bitImage(8, 15), 1);
  EXPECT_EQ(deep.altHeader->bitCount, 24);
  EXPECT_EQ(deep.altBits[2], 0xAB);
  ASSERT_EQ(deep.CreateAlt16bitImage(4, 11), 1);
  EXPECT_EQ(deep.altBits[0], 0xBC);
  EXPECT_EQ(deep.format, BM_48BIT);

  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(2, 1, 0, BM_16BIT_GRAY), 1);
  uint16_t v[4] = {0x0FFF, 0, 0, 0};
  grey.accessor->SetRaw(1, 0, v);
  ASSERT_EQ(grey.CreateAlt16bitImage(4, 11), 1);
  EXPECT_EQ(grey.altBits[1], 0xFF);
  EXPECT_EQ(grey.altHeader->colorsUsed, 256u);
  EXPECT_NE(grey.hPalette, nullptr);

  ScopedImage colour;
  MakeColour(colour, 1, 1);
  EXPECT_EQ(colour.CreateAlt16bitImage(8, 15), -2);
}

TEST(Conversion, AlternateImagesInGreyAndColour) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 2, BM_1BIT), 1);
  image.Row(0)[0] = 0x80; // pixel (0, 0) black
  ASSERT_EQ(image.CreateAlternateImage(BM_24BIT), 1);
  EXPECT_EQ(image.altBits[0], 0);
  EXPECT_EQ(image.altBits[3], 255);
  ASSERT_EQ(image.CreateAlternateImage(BM_8BIT_GRAY), 1);
  EXPECT_EQ(image.altBits[0], 0);
  EXPECT_EQ(image.altBits[1], 255);
  EXPECT_NE(image.hPalette, nullptr);
  EXPECT_EQ(image.format, BM_1BIT);
  image.FreeBitmap();
  EXPECT_EQ(image.altHeader, nullptr);
}

// The 8-bit palette display copy made by the quantizer.

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
