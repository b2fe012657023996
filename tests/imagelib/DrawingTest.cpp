// Drawing bitmaps through the software target: every pixel format, stretching, clipping, and the
// simulated palette screen (system palette, nearest entries, dithering of true colour).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "imagelib/vuSoftwareTarget.h"
#include "support/TestSupport.h"

namespace {

using vutest::ScopedImage;

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The colour the image model gives for pixel (x, y), y counted from the top line.
uint32_t ImageColor(vuImage& image, int x, int yFromTop) {
  uint16_t rgb[4] = {};
  image.accessor->GetRGB(x, image.Height() - 1 - yFromTop, rgb);
  return vuPackPixel(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                     static_cast<uint8_t>(rgb[2]));
}

bool DrawWhole(vuSoftwareTarget& target, vuImage& image, const vuDrawRect& destination) {
  return target.DrawBitmap(*image.header, image.palette, image.bits,
                           {0, 0, image.Width(), image.Height()}, destination,
                           VU_DDF_BACKGROUNDPAL);
}

// A palette of distinct colours, so that a wrong index or channel order shows.
void FillColorTable(vuImage& image) {
  for (int i = 0; i < image.Colors(); ++i)
    image.palette[i] = vuRGBA{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i * 37 + 11), 0};
}

// Every platform test gets fresh services (screen, system palette) and leaves none behind.
class Drawing : public ::testing::Test {
protected:
  vuRecordingPlatform platform;
  vuScopedPlatform installed{&platform};
};

TEST_F(Drawing, EveryDrawableFormatShowsPixelForPixel) {
  struct Case {
    vuBMFormat format;
    int colors;
  };
  const Case cases[] = {{BM_1BIT, 2},        {BM_4BIT, 16},       {BM_8BIT_COLOR, 256},
                        {BM_8BIT_GRAY, 256}, {BM_16BIT_COLOR, 0}, {BM_24BIT, 0},
                        {BM_32BIT, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(13, 7, c.colors, c.format), 1); // odd width: padded rows
    if (c.format == BM_4BIT || c.format == BM_8BIT_COLOR) FillColorTable(image);
    vutest::FillPattern(image, 5);
    vuSoftwareTarget target(13, 7, 24);
    ASSERT_TRUE(DrawWhole(target, image, {0, 0, 13, 7}));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(target.Pixel(x, y), ImageColor(image, x, y)) << x << "," << y;
  }
}

TEST_F(Drawing, BitmapsTheDisplayCannotTakeDrawNothing) {
  ScopedImage wide;
  ASSERT_EQ(wide.AllocateBitmap(4, 4, 0, BM_48BIT), 1); // shown through its alternate image only
  vuSoftwareTarget untouched(4, 4, 24);
  EXPECT_FALSE(DrawWhole(untouched, wide, {0, 0, 4, 4}));

  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 0, BM_24BIT), 1);
  vuSoftwareTarget target(4, 4, 24);
  vuBitmapInfoHeader run = *image.header;
  run.compression = 1; // run-length rows are not ours
  EXPECT_FALSE(target.DrawBitmap(run, nullptr, image.bits, {0, 0, 4, 4}, {0, 0, 4, 4}, 0));
  EXPECT_FALSE(
      target.DrawBitmap(*image.header, nullptr, image.bits, {0, 0, 0, 4}, {0, 0, 4, 4}, 0));
  EXPECT_FALSE(
      target.DrawBitmap(*image.header, nullptr, image.bits, {0, 0, 4, 4}, {0, 0, 4, -4}, 0));
  for (const vuSoftwareTarget* t : {&untouched, &target})
    for (uint32_t pixel : t->Pixels())
      ASSERT_EQ(pixel, kWhite);
}

TEST_F(Drawing, IndexesPastTheColourTableShowBlack) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 1, 4, BM_8BIT_COLOR), 1);
  FillColorTable(image);
  image.bits[0] = 3;
  image.bits[1] = 200; // only 4 entries
  vuSoftwareTarget target(2, 1, 24);
  ASSERT_TRUE(DrawWhole(target, image, {0, 0, 2, 1}));
  EXPECT_EQ(target.Pixel(0, 0),
            vuPackPixel(image.palette[3].red, image.palette[3].green, image.palette[3].blue));
  EXPECT_EQ(target.Pixel(1, 0), vuPackPixel(0, 0, 0));
}

TEST_F(Drawing, StretchingReplicatesAndShrinkingSamplesCentres) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(10, 6, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 9);

  vuSoftwareTarget big(30, 18, 24);
  ASSERT_TRUE(DrawWhole(big, image, {0, 0, 30, 18}));
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 30; ++x)
      ASSERT_EQ(big.Pixel(x, y), ImageColor(image, x / 3, y / 3)) << x << "," << y;

  vuSoftwareTarget small(5, 3, 24);
  ASSERT_TRUE(DrawWhole(small, image, {0, 0, 5, 3}));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      ASSERT_EQ(small.Pixel(x, y), ImageColor(image, 2 * x + 1, 2 * y + 1)) << x << "," << y;
}

TEST_F(Drawing, OnlyTheBitmapAndTheDeviceAreTouched) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(6, 4, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 3);

  // A source larger than the picture (a view wider than its image) keeps the scale and leaves
  // the rest of the window alone.
  vuSoftwareTarget view(20, 10, 24);
  ASSERT_TRUE(
      view.DrawBitmap(*image.header, nullptr, image.bits, {0, 0, 10, 5}, {0, 0, 20, 10}, 0));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(view.Pixel(x, y), x < 12 && y < 8 ? ImageColor(image, x / 2, y / 2) : kWhite);

  // A destination partly off the device is clipped; a negative source origin starts outside.
  vuSoftwareTarget clipped(4, 4, 24);
  ASSERT_TRUE(
      clipped.DrawBitmap(*image.header, nullptr, image.bits, {-1, 0, 6, 4}, {-2, -1, 6, 4}, 0));
  EXPECT_EQ(clipped.Pixel(0, 0), ImageColor(image, 1, 1));
  EXPECT_EQ(clipped.Pixel(3, 2), ImageColor(image, 4, 3));
  EXPECT_EQ(clipped.Pixel(0, 3), kWhite); // below the picture
}

TEST_F(Drawing, SystemPaletteRealisation) {
  vuLogicalPalette grey;
  for (int i = 0; i < 256; ++i)
    grey.entries.push_back(vuPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0});

  // A true-colour screen has nothing to realise.
  EXPECT_EQ(platform.RealizePalette(&grey, false), 0);
  EXPECT_EQ(platform.systemPalette.Entry(1).blue, 85); // still the cube

  platform.screen.bitsPerPixel = 8;
  // The cube and the ramp share black, white and nothing else.
  EXPECT_EQ(platform.RealizePalette(&grey, true), 0); // background: nothing changes
  EXPECT_EQ(platform.systemPalette.Entry(1).red, 0);
  EXPECT_EQ(platform.RealizePalette(&grey, false), 254);
  EXPECT_EQ(platform.systemPalette.Entry(1).red, 1);
  EXPECT_EQ(platform.RealizePalette(&grey, false), 0); // already there

  vuLogicalPalette two;
  two.entries = {{0, 0, 0, 0}, {255, 0, 0, 0}};
  EXPECT_EQ(platform.RealizePalette(&two, false), 1);
  EXPECT_EQ(platform.systemPalette.Entry(2).red, 2); // the rest stays
  EXPECT_EQ(platform.RealizePalette(nullptr, false), 0);
}

TEST_F(Drawing, PaletteScreenShowsTheNearestSystemEntry) {
  platform.screen.bitsPerPixel = 8;
  // Two pictures: a grey one whose palette is in the foreground, and a red one drawn in the
  // background through it.
  ScopedImage grey, red;
  ASSERT_EQ(grey.AllocateBitmap(2, 2, 256, BM_8BIT_GRAY), 1);
  ASSERT_EQ(grey.CreateRGBPalette(256, grey.palette), 1);
  ASSERT_EQ(red.AllocateBitmap(2, 2, 2, BM_8BIT_COLOR), 1);
  red.palette[0] = vuRGBA{0, 0, 255, 0};
  red.palette[1] = vuRGBA{0, 0, 250, 0};
  ASSERT_EQ(red.CreateRGBPalette(2, red.palette), 1);
  std::fill(red.bits, red.bits + 4, 0);

  vuDrawDib* greyHandle = vuDrawDibOpen();
  vuDrawDib* redHandle = vuDrawDibOpen();
  ASSERT_TRUE(vuDrawDibSetPalette(greyHandle, grey.hPalette));
  ASSERT_TRUE(vuDrawDibSetPalette(redHandle, red.hPalette));
  grey.Delete(); // the handle keeps its own copy of the palette

  vuSoftwareTarget screen(2, 2);
  EXPECT_EQ(screen.BitsPerPixel(), 8);
  EXPECT_EQ(vuDrawDibRealize(greyHandle, &screen, false), 254);
  ASSERT_TRUE(vuDrawDibDraw(redHandle, &screen, {0, 0, 2, 2}, red.header, red.palette, red.bits,
                            {0, 0, 2, 2}, VU_DDF_BACKGROUNDPAL));
  EXPECT_EQ(screen.Pixel(0, 0), vuPackPixel(85, 85, 85)); // the grey nearest to pure red
  EXPECT_EQ(vuDrawDibRealize(redHandle, &screen, true), 0);

  // Bringing the red picture forward loads its colours.
  EXPECT_EQ(vuDrawDibRealize(redHandle, &screen, false), 2);
  ASSERT_TRUE(vuDrawDibDraw(redHandle, &screen, {0, 0, 2, 2}, red.header, red.palette, red.bits,
                            {0, 0, 2, 2}, VU_DDF_BACKGROUNDPAL));
  EXPECT_EQ(screen.Pixel(1, 1), vuPackPixel(255, 0, 0));

  // A printer is no palette device.
  vuSoftwareTarget printer(2, 2, 24);
  EXPECT_EQ(vuDrawDibRealize(greyHandle, &printer, false), 0);
  vuDrawDibClose(greyHandle);
  vuDrawDibClose(redHandle);
}

TEST_F(Drawing, TrueColourOnAPaletteScreenIsDitheredToTheCube) {
  platform.screen.bitsPerPixel = 8;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(8, 8, 0, BM_24BIT), 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      image.SetColor(x, y, 100, 150, 200);
  vuSoftwareTarget screen(8, 8);
  ASSERT_TRUE(DrawWhole(screen, image, {0, 0, 8, 8}));

  vuLogicalPalette cube = vuColorCubePalette();
  long sum[3] = {};
  for (uint32_t pixel : screen.Pixels()) {
    bool inCube = false;
    for (const vuPaletteEntry& e : cube.entries)
      inCube = inCube || pixel == vuPackPixel(e.red, e.green, e.blue);
    ASSERT_TRUE(inCube);
    sum[0] += (pixel >> 16) & 255;
    sum[1] += (pixel >> 8) & 255;
    sum[2] += pixel & 255;
  }
  // The pattern keeps the colour on average.
  EXPECT_NEAR(sum[0] / 64.0, 100, 3);
  EXPECT_NEAR(sum[1] / 64.0, 150, 3);
  EXPECT_NEAR(sum[2] / 64.0, 200, 3);
  // More than one cube colour is used: a dither, not a plain reduction.
  std::set<uint32_t> used(screen.Pixels().begin(), screen.Pixels().end());
  EXPECT_GT(used.size(), 1u);

  // Colours on the cube come through unchanged.
  image.SetColor(0, 7, 255, 0, 0);
  image.SetColor(1, 7, 255, 255, 255);
  ASSERT_TRUE(DrawWhole(screen, image, {0, 0, 8, 8}));
  EXPECT_EQ(screen.Pixel(0, 0), vuPackPixel(255, 0, 0));
  EXPECT_EQ(screen.Pixel(1, 0), vuPackPixel(255, 255, 255));
}

TEST_F(Drawing, BufferAsAnImage) {
  ScopedImage image, copy;
  ASSERT_EQ(image.AllocateBitmap(5, 3, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 2);
  vuSoftwareTarget target(5, 3, 24);
  ASSERT_TRUE(DrawWhole(target, image, {0, 0, 5, 3}));
  ASSERT_EQ(target.CopyToImage(copy), 1);
  EXPECT_TRUE(vutest::SamePixels(image, copy));
}

} // namespace
