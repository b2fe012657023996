// The image object and its storage: strides, block layout, limits, pixel access, stream cursor.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using vutest::ScopedImage;

namespace {

struct FormatCase {
  vuBMFormat format;
  int bitCount;
  int tableEntries; // colour-table entries allocated for AllocateBitmap(..., 256 or 16, ...)
  int colors;       // the colors argument passed
};

const FormatCase kFormats[] = {
    {BM_1BIT, 1, 2, 0},   {BM_24BIT, 24, 0, 0},      {BM_8BIT_COLOR, 8, 256, 256},
    {BM_4BIT, 4, 16, 16}, {BM_32BIT, 32, 0, 0},      {BM_8BIT_GRAY, 8, 256, 256},
    {BM_48BIT, 48, 0, 0}, {BM_16BIT_GRAY, 16, 0, 0}, {BM_16BIT_COLOR, 16, 0, 0},
};

} // namespace

TEST(ImageModel, OnePixelImageOfEveryFormatHasTheDataModelLayout) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.format);
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(1, 1, c.colors, c.format), 1);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.header->size, 40u);
    EXPECT_EQ(image.header->planes, 1);
    EXPECT_EQ(image.Depth(), c.bitCount);
    EXPECT_EQ(image.header->compression, c.format == BM_16BIT_COLOR ? 3u : 0u);
    EXPECT_EQ(image.header->xResolution, 1);
    EXPECT_EQ(image.header->colorsImportant, image.header->colorsUsed);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(image.palette),
              reinterpret_cast<uint8_t*>(image.header) + 40);
    EXPECT_EQ(image.bits, reinterpret_cast<uint8_t*>(image.header) + 40 + 4 * c.tableEntries);
    EXPECT_EQ(image.Stride(), c.bitCount == 48 ? 8 : 4);
  }
}

TEST(ImageModel, StrideRoundsRowBytesUpToFourAndTablesStartAsRamps) {
  EXPECT_EQ(BitmapAccessor::Stride(5, 24), 16);
  EXPECT_EQ(BitmapAccessor::Stride(4, 24), 12);
  EXPECT_EQ(BitmapAccessor::Stride(9, 4), 8);
  EXPECT_EQ(BitmapAccessor::Stride(33, 1), 8);
  EXPECT_EQ(BitmapAccessor::Stride(3, 48), 20);

  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(3, 2, 256, BM_8BIT_GRAY), 1);
  EXPECT_EQ(grey.palette[200].red, 200);
  EXPECT_EQ(grey.palette[200].blue, 200);
  ScopedImage bilevel;
  ASSERT_EQ(bilevel.AllocateBitmap(3, 2, 99, BM_1BIT), 1);
  EXPECT_EQ(bilevel.Colors(), 2);
  EXPECT_EQ(bilevel.palette[0].red, 255);
  EXPECT_EQ(bilevel.palette[1].red, 0);
}

TEST(ImageModel, RefusesRowsPastTheDataModelAndUnknownFormats) {
  ScopedImage image;
  EXPECT_EQ(image.AllocateBitmap(10922, 1, 0, BM_24BIT), 1);
  EXPECT_EQ(image.AllocateBitmap(10923, 1, 0, BM_24BIT), 0);
  EXPECT_EQ(image.header, nullptr);
  EXPECT_EQ(image.AllocateBitmap(5461, 1, 0, BM_48BIT), 1);
  EXPECT_EQ(image.AllocateBitmap(5462, 1, 0, BM_48BIT), 0);
  EXPECT_EQ(image.AllocateBitmap(0, 5, 0, BM_24BIT), 0);
  EXPECT_EQ(image.AllocateBitmap(5, 0, 0, BM_24BIT), 0);
  EXPECT_EQ(image.AllocateBitmap(5, -3, 0, BM_24BIT), 0);
  EXPECT_EQ(image.AllocateBitmap(8000, 100000, 0, BM_24BIT), 0); // past the block limit
  EXPECT_EQ(image.AllocateBitmap(4, 4, 0, static_cast<vuBMFormat>(2)), 0);
  EXPECT_EQ(image.header, nullptr);
  EXPECT_EQ(image.accessor, nullptr);
}

TEST(ImageModel, CreateMakesOnlyEightAndTwentyFourBitImages) {
  ScopedImage image;
  EXPECT_EQ(image.Create(4, 3, 24, 0), 1);
  EXPECT_EQ(image.format, BM_24BIT);
  EXPECT_EQ(image.Create(4, 3, 8, 256), 1);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
  EXPECT_EQ(image.Colors(), 256);
  vuBitmapInfoHeader* before = image.header;
  EXPECT_EQ(image.Create(4, 3, 16, 0), 1);
  EXPECT_EQ(image.header, before);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
}

TEST(ImageModel, PixelAccessClampsReadsAndRefusesOtherDepths) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 3, 256, BM_8BIT_GRAY), 1);
  ASSERT_EQ(image.SetColor(0, 2, uint8_t(77)), 0);
  uint8_t v = 0;
  EXPECT_EQ(image.GetColor(-5, 3 + 3, &v), 0);
  EXPECT_EQ(v, 77);
  uint8_t r, g, b;
  EXPECT_EQ(image.GetColor(0, 0, &r, &g, &b), -2);
  EXPECT_EQ(image.SetColor(0, 0, 1, 2, 3), -2);
  EXPECT_EQ(image.StreamColor(1, 2, 3), -2);

  ScopedImage colour;
  ASSERT_EQ(colour.AllocateBitmap(2, 2, 0, BM_24BIT), 1);
  ASSERT_EQ(colour.SetColor(1, 1, 10, 20, 30), 0);
  EXPECT_EQ(colour.Row(1)[3], 30); // blue first in memory
  EXPECT_EQ(colour.Row(1)[5], 10);
  EXPECT_EQ(colour.GetColor(9, 9, &r, &g, &b), 0);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 30);
  EXPECT_EQ(colour.GetColor(0, 0, &v), -2);
}

TEST(ImageModel, StreamCursorWritesInReadingOrderAndWraps) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 2, 256, BM_8BIT_GRAY), 1);
  image.InitializePos();
  for (int i = 0; i < 3 * 2 + 1; ++i)
    ASSERT_EQ(image.StreamColor(uint8_t(10 + i)), 0);
  // Top line first: row 1 is the top. The seventh value lands on the top-left pixel again.
  EXPECT_EQ(image.Row(1)[0], 16);
  EXPECT_EQ(image.Row(1)[1], 11);
  EXPECT_EQ(image.Row(1)[2], 12);
  EXPECT_EQ(image.Row(0)[0], 13);
  EXPECT_EQ(image.Row(0)[2], 15);
  EXPECT_EQ(image.streamX, 1);
  EXPECT_EQ(image.streamY, 1);
}

TEST(ImageModel, GreyDetectionLooksAtTheTable) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_8BIT_COLOR), 1);
  EXPECT_EQ(image.IsGrayScale(), 1); // an empty table is grey
  ASSERT_EQ(image.AllocateBitmap(2, 2, 4, BM_8BIT_COLOR), 1);
  EXPECT_EQ(image.IsGrayScale(), 1);
  image.palette[3].red = 9;
  EXPECT_EQ(image.IsGrayScale(), 0);
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_16BIT_GRAY), 1);
  EXPECT_EQ(image.IsGrayScale(), 1);
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_24BIT), 1);
  EXPECT_EQ(image.IsGrayScale(), 0);
  EXPECT_EQ(image.IsColorMapSorted(), 0);
}

TEST(ImageModel, DisplayPaletteGoesThroughThePlatformAndDeleteReleasesEverything) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 3, BM_8BIT_COLOR), 1);
  image.palette[1] = vuRGBA{1, 2, 3, 0};
  ASSERT_EQ(image.CreateRGBPalette(3, image.palette), 1);
  ASSERT_NE(image.hPalette, nullptr);
  EXPECT_EQ(image.hPalette->version, 0x300);
  ASSERT_EQ(image.hPalette->entries.size(), 3u);
  EXPECT_EQ(image.hPalette->entries[1].red, 3);
  EXPECT_EQ(image.hPalette->entries[1].blue, 1);
  // Realising loads entries only on a palette screen (entry 0, black, is there already).
  vuRecordingPlatform platform;
  EXPECT_EQ(platform.RealizePalette(image.hPalette, false), 0);
  platform.screen.bitsPerPixel = 8;
  EXPECT_EQ(platform.RealizePalette(image.hPalette, false), 2);
  image.Delete();
  EXPECT_EQ(image.header, nullptr);
  EXPECT_EQ(image.hPalette, nullptr);
  EXPECT_EQ(image.accessor, nullptr);
}

TEST(Platform, RecorderCapturesMessagesAndAnswers) {
  vuRecordingPlatform recorder;
  vuScopedPlatform scope(&recorder);
  EXPECT_EQ(vuPlatform().MessageBox("text", "Info", VU_MB_OK, VU_ICON_NONE), VU_IDOK);
  recorder.answer = VU_IDCANCEL;
  EXPECT_EQ(vuPlatform().MessageBox("other", "TIFF", VU_MB_OKCANCEL, VU_ICON_ERROR), VU_IDCANCEL);
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[1].caption, "TIFF");
  EXPECT_EQ(recorder.messages[1].buttons, VU_MB_OKCANCEL);
}
