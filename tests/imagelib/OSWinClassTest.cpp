// The image that draws itself: which bitmap each Draw picks and which rectangles it asks for.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuSoftwareTarget.h"
#include "support/TestSupport.h"

namespace {

struct ScopedWinImage : vuOSWinClass {
  ~ScopedWinImage() override { Delete(); }
};

bool SameRect(const vuDrawRect& a, const vuDrawRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

uint32_t ImageColor(vuImage& image, int x, int yFromTop) {
  uint8_t red, green, blue;
  image.GetColor(x, image.Height() - 1 - yFromTop, &red, &green, &blue);
  return vuPackPixel(red, green, blue);
}

class OSWinClass : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(image.hDrawDib, nullptr);
    ASSERT_EQ(image.AllocateBitmap(300, 200, 0, BM_24BIT), 1);
    vutest::FillPattern(image, 4);
  }
  vuRecordingPlatform platform;
  vuScopedPlatform installed{&platform};
  ScopedWinImage image;
  vuSoftwareTarget target{400, 300, 24};
};

TEST_F(OSWinClass, ZoomedViewDrawsTheScaledSource) {
  image.Draw(&target, 200, 100, 50, 30, 300, 200, 2.0f, VU_DDF_BACKGROUNDPAL);
  ASSERT_EQ(target.drawCalls, 1);
  EXPECT_TRUE(SameRect(target.lastDraw.source, {25, 15, 100, 50}));
  EXPECT_TRUE(SameRect(target.lastDraw.destination, {0, 0, 200, 100}));
  EXPECT_EQ(target.lastDraw.flags, VU_DDF_BACKGROUNDPAL);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      ASSERT_EQ(target.Pixel(x, y), ImageColor(image, 25 + x / 2, 15 + y / 2)) << x << "," << y;

  // Truncation toward zero, in double precision.
  image.Draw(&target, 101, 51, 7, 3, 0, 0, 4.0f, 0);
  EXPECT_TRUE(SameRect(target.lastDraw.source, {1, 0, 25, 12}));
}

TEST_F(OSWinClass, ZoomsThatAreNoScaleDrawNothing) {
  for (float zoom : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity(), 1e-30f})
    image.Draw(&target, 200, 100, 50, 30, 0, 0, zoom, 0);
  EXPECT_EQ(target.drawCalls, 0);
}

TEST_F(OSWinClass, UseAlternatePicksTheAlternateImage) {
  // No alternate image yet: nothing is drawn by any overload, although the main bitmap exists.
  image.useAlternate = 1;
  image.Draw(&target, 300, 200, 0);
  image.Draw(&target, 0, 0, 10, 10, 0);
  image.Draw(&target, 200, 100, 50, 30, 0, 0, 2.0f, 0);
  image.Draw(&target, 0, 0, 10, 10, 1, 0);
  EXPECT_EQ(target.drawCalls, 0);
  for (uint32_t pixel : target.Pixels())
    ASSERT_EQ(pixel, 0xFFFFFFFFu);

  // A grey alternate image is drawn instead of the colour picture.
  ASSERT_EQ(image.CreateAlternateImage(BM_8BIT_GRAY), 1);
  image.Draw(&target, 300, 200, 0);
  ASSERT_EQ(target.drawCalls, 1);
  EXPECT_EQ(target.lastDraw.header.bitCount, 8);
  uint8_t red, green, blue;
  image.GetColor(7, 199, &red, &green, &blue);
  EXPECT_EQ(target.Pixel(7, 0), vuPackPixel(green, green, green)); // grey is the green channel

  image.useAlternate = 0;
  image.Draw(&target, 300, 200, 0);
  EXPECT_EQ(target.lastDraw.header.bitCount, 24);
  EXPECT_EQ(target.Pixel(7, 0), vuPackPixel(red, green, blue));
}

TEST_F(OSWinClass, WholeAndCornerOverloads) {
  image.Draw(&target, 150, 100, 0); // the whole picture at half size
  EXPECT_TRUE(SameRect(target.lastDraw.source, {0, 0, 300, 200}));
  EXPECT_TRUE(SameRect(target.lastDraw.destination, {0, 0, 150, 100}));
  EXPECT_EQ(target.Pixel(10, 20), ImageColor(image, 21, 41));

  image.Draw(&target, 40, 30, 140, 80, 0); // unscaled part at the origin
  EXPECT_TRUE(SameRect(target.lastDraw.source, {40, 30, 100, 50}));
  EXPECT_TRUE(SameRect(target.lastDraw.destination, {0, 0, 100, 50}));
  EXPECT_EQ(target.Pixel(3, 4), ImageColor(image, 43, 34));
}

TEST_F(OSWinClass, DivisorOverload) {
  image.Draw(&target, 10, 20, 90, 60, 3, 0);
  EXPECT_TRUE(SameRect(target.lastDraw.source, {10, 20, 30, 20}));
  EXPECT_TRUE(SameRect(target.lastDraw.destination, {10, 20, 90, 60}));
  EXPECT_EQ(target.Pixel(10 + 3 * 5, 20 + 3 * 2), ImageColor(image, 15, 22));

  ASSERT_EQ(image.CreateAlternateImage(BM_24BIT), 1);
  image.useAlternate = 1;
  image.Draw(&target, 10, 20, 90, 60, 3, 0);
  EXPECT_TRUE(SameRect(target.lastDraw.destination, {0, 0, 90, 60}));

  const int calls = target.drawCalls;
  image.Draw(&target, 10, 20, 90, 60, 0, 0); // no divisor: nothing
  image.Draw(&target, 10, 20, 90, 60, -2, 0);
  EXPECT_EQ(target.drawCalls, calls);
}

TEST_F(OSWinClass, PreviewAlternateAndEmptyImagesDrawNothing) {
  image.DrawPreview(&target, 10, 10);
  image.DrawAlternate(&target, 10, 10, &image);
  ScopedWinImage empty;
  empty.Draw(&target, 100, 100, 0);
  empty.Draw(&target, 100, 100, 0, 0, 0, 0, 1.0f, 0);
  EXPECT_EQ(target.drawCalls, 0);
}

} // namespace
