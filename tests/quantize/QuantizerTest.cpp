// The colour quantizer: known answers for small pictures, the layout of the pixel-pointer
// overload, and the quality on real photographs against an independent tool.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "quantize/vuQuantizer.h"
#include "support/TestSupport.h"

namespace {

using vutest::ScopedImage;

void FillColour(vuImage& image, uint8_t red, uint8_t green, uint8_t blue) {
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      image.SetColor(x, y, red, green, blue);
}

// Table entry bytes 0, 1, 2 (the axes of the source pixel bytes).
std::array<int, 3> Entry(const vuImage& image, int index) {
  const vuRGBA& e = image.palette[index];
  return {e.blue, e.green, e.red};
}

// The largest index used by any pixel.
int LargestIndex(const vuImage& image) {
  int largest = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      largest = std::max<int>(largest, image.Row(y)[x]);
  return largest;
}

// PSNR of the palette picture's colours against the 24-bit original.
double PaletteImagePsnr(vuImage& original, vuImage& reduced) {
  return vutest::Psnr(vutest::PictureOf(original), vutest::PictureOf(reduced));
}

TEST(MedianCut, OneColourGivesOneBoxAtItsCell) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(7, 5, 0, BM_24BIT), 1);
  FillColour(image, 100, 150, 200);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 7, 5, 256, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(reduced->format, BM_8BIT_COLOR);
  EXPECT_EQ(reduced->Colors(), 256);
  EXPECT_EQ(quantizer.ColorsMade(), 1);
  // Blue 200 lies in cell 25, green 150 in 18, red 100 in 12: the box middle is 8 x the cell.
  EXPECT_EQ(Entry(*reduced, 0), (std::array<int, 3>{200, 144, 96}));
  EXPECT_EQ(LargestIndex(*reduced), 0);
}

TEST(MedianCut, BlackAndWhiteSplitOnAxisZero) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(8, 6, 0, BM_24BIT), 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      image.SetColor(x, y, x < 4 ? 0 : 255, x < 4 ? 0 : 255, x < 4 ? 0 : 255);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 8, 6, 2, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(reduced->Colors(), 2);
  EXPECT_EQ(quantizer.ColorsMade(), 2);
  EXPECT_EQ(Entry(*reduced, 0), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(Entry(*reduced, 1), (std::array<int, 3>{248, 248, 248}));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(reduced->Row(y)[x], x < 4 ? 0 : 1) << x << "," << y;
}

TEST(MedianCut, DiffusedValueInAnEmptyCellIsMappedOnTheSpot) {
  // Two colours far apart in a ramp-free picture: dithering between them pushes values into
  // cells that held no pixel; those still map to a valid palette colour.
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(16, 16, 0, BM_24BIT), 1);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      image.SetColor(x, y, (x + y) % 2 ? 30 : 226, 128, (x * y) % 3 ? 10 : 250);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 16, 16, 3, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_LE(quantizer.ColorsMade(), 3);
  EXPECT_LT(LargestIndex(*reduced), quantizer.ColorsMade());
}

TEST(MedianCut, ThinPicturesKeepErrorsInside) {
  // One row and one column: the diffusion must never reach past the edges (sanitizer builds
  // catch a stray write).
  for (auto [w, h] : {std::pair{1, 37}, std::pair{37, 1}, std::pair{1, 1}, std::pair{5, 3}}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(w, h, 0, BM_24BIT), 1);
    vutest::FillPattern(image, 7);
    for (vuColorReduction method : {CR_MEDIAN_CUT, CR_BEST_QUANT, CR_FAST_QUANT}) {
      vuQuantizer quantizer;
      vuImagePtr reduced(quantizer.Quantize(&image, w, h, 4, method));
      ASSERT_TRUE(reduced->header);
      EXPECT_LT(LargestIndex(*reduced), method == CR_FAST_QUANT ? 256 : 4);
    }
  }
}

TEST(Quantizer, ColourCountOutsideOneTo256MeansFull) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 3);
  for (int n : {0, -5, 1000}) {
    vuQuantizer quantizer;
    vuImagePtr reduced(quantizer.Quantize(&image, 4, 4, n, CR_MEDIAN_CUT));
    ASSERT_TRUE(reduced->header);
    EXPECT_EQ(reduced->Colors(), 256) << n;
  }
}

TEST(Quantizer, QuickDitherLeavesTheResultAsAllocated) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 0, BM_24BIT), 1);
  FillColour(image, 200, 10, 10);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 4, 4, 16, CR_QUICK_DITHER));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(reduced->Colors(), 16);
  EXPECT_EQ(Entry(*reduced, 15), (std::array<int, 3>{15, 15, 15}));
  EXPECT_EQ(LargestIndex(*reduced), 0);
}

TEST(Quantizer, SizeLargerThanTheSourceIsCutToIt) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(5, 3, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 9);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 500, 300, 8, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(reduced->Width(), 5);
  EXPECT_EQ(reduced->Height(), 3);
}

TEST(Quantizer, NonColourSourceIsReadThroughItsColours) {
  // A grey picture reduces to grey colours; the grey levels survive within a cell.
  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(32, 8, 256, BM_8BIT_GRAY), 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x)
      grey.SetColor(x, y, static_cast<uint8_t>(8 * x));
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&grey, 32, 8, 256, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(quantizer.ColorsMade(), 32);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 32; ++x) {
      auto e = Entry(*reduced, reduced->Row(y)[x]);
      EXPECT_EQ(e[0], 8 * x);
      EXPECT_EQ(e[1], e[0]);
      EXPECT_EQ(e[2], e[0]);
    }
  }
}

TEST(Quantizer, SixteenBitGreyIsReadByItsTopByte) {
  ScopedImage deep;
  ASSERT_EQ(deep.AllocateBitmap(6, 2, 0, BM_16BIT_GRAY), 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 6; ++x) {
      uint16_t sample[4] = {uint16_t(0x8000 + x), 0, 0, 0};
      deep.accessor->SetRaw(x, y, sample);
    }
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&deep, 6, 2, 256, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(quantizer.ColorsMade(), 1);
  EXPECT_EQ(Entry(*reduced, 0), (std::array<int, 3>{128, 128, 128}));
}

TEST(Quantizer, PointerOverloadReadsAndWritesPaddedRows) {
  // Width 5: 15 source bytes padded to 16, 5 index bytes padded to 8. Both overloads agree.
  for (vuColorReduction method : {CR_MEDIAN_CUT, CR_BEST_QUANT, CR_FAST_QUANT}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(5, 9, 0, BM_24BIT), 1);
    vutest::FillPattern(image, 11);
    vuQuantizer byImage, byRows;
    vuImagePtr reduced(byImage.Quantize(&image, 5, 9, 6, method));
    vuBMINFO* block = byRows.Quantize(image.bits, 5, 9, 6, method);
    ASSERT_TRUE(reduced->header);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->width, 5);
    EXPECT_EQ(block->height, 9);
    EXPECT_EQ(block->bitCount, 8);
    int entries = static_cast<int>(block->colorsUsed);
    EXPECT_EQ(entries, reduced->Colors());
    const auto* bytes = reinterpret_cast<const uint8_t*>(block);
    EXPECT_EQ(std::memcmp(bytes + 40, reduced->palette, 4 * size_t(entries)), 0);
    const uint8_t* rows = bytes + 40 + 4 * entries;
    for (int y = 0; y < 9; ++y)
      EXPECT_EQ(std::memcmp(rows + 8 * y, reduced->Row(y), 5), 0) << "row " << y;
    vuFreeBitmapBlock(block);
  }
}

TEST(FastQuantization, FixedTableAndMidGrey) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_24BIT), 1);
  FillColour(image, 128, 128, 128);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 2, 2, 256, CR_FAST_QUANT));
  ASSERT_TRUE(reduced->header);
  ASSERT_EQ(reduced->Colors(), 256);
  const int eight[8] = {0, 36, 73, 109, 146, 182, 219, 255};
  const int four[4] = {0, 85, 170, 255};
  for (int i = 0; i < 256; ++i) {
    auto e = Entry(*reduced, i);
    EXPECT_EQ(e[0], eight[i >> 5]);
    EXPECT_EQ(e[1], eight[(i >> 2) & 7]);
    EXPECT_EQ(e[2], four[i & 3]);
    EXPECT_EQ(reduced->palette[i].reserved, 0);
  }
  // Mid grey takes index 0x80 | 0x10 | 2 = 146, whose colour is (146, 146, 170): errors
  // (-18, -18, -42). The next pixel gets 7/16 of them, rounded away from zero: (-8, -8, -18), so
  // it sees (120, 120, 110) and takes 0x60 | 0x0C | 1 = 109.
  EXPECT_EQ(reduced->Row(0)[0], 146);
  EXPECT_EQ(reduced->Row(0)[1], 109);
}

TEST(FastQuantization, WhiteAndBlackAreExact) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 1, 0, BM_24BIT), 1);
  image.SetColor(0, 0, 255, 255, 255);
  image.SetColor(1, 0, 255, 255, 255);
  image.SetColor(2, 0, 0, 0, 0);
  vuQuantizer quantizer;
  // Whatever N asks, the fixed table has its 256 entries, so every index has a colour.
  vuImagePtr reduced(quantizer.Quantize(&image, 3, 1, 16, CR_FAST_QUANT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(reduced->Colors(), 256);
  EXPECT_EQ(reduced->Row(0)[0], 255);
  EXPECT_EQ(reduced->Row(0)[1], 255);
  EXPECT_EQ(reduced->Row(0)[2], 0);
}

TEST(BestQuantization, FiveColoursGiveFiveExactEntries) {
  const uint8_t colours[5][3] = {
      {255, 0, 0}, {0, 200, 0}, {10, 20, 30}, {250, 250, 250}, {128, 64, 32}};
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(13, 7, 0, BM_24BIT), 1);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const uint8_t* c = colours[(x * 3 + y) % 5];
      image.SetColor(x, y, c[0], c[1], c[2]);
    }
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 13, 7, 256, CR_BEST_QUANT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(quantizer.ColorsMade(), 5);
  std::set<std::array<int, 3>> made;
  for (int i = 0; i < 5; ++i)
    made.insert(Entry(*reduced, i));
  EXPECT_EQ(made.size(), 5u);
  for (int i = 5; i < 256; ++i)
    EXPECT_EQ(Entry(*reduced, i), (std::array<int, 3>{0, 0, 0})) << i;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const uint8_t* c = colours[(x * 3 + y) % 5];
      int index = reduced->Row(y)[x];
      EXPECT_LT(index, 5);
      const vuRGBA& e = reduced->palette[index];
      EXPECT_EQ(e.red, c[0]);
      EXPECT_EQ(e.green, c[1]);
      EXPECT_EQ(e.blue, c[2]);
    }
}

TEST(BestQuantization, TooManyColoursLowerThePrecision) {
  // 65,536 distinct colours: the working precision drops to 127 before the cut; the table comes
  // back scaled to 0..255 and stays close to the picture.
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(256, 256, 0, BM_24BIT), 1);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      image.SetColor(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                     static_cast<uint8_t>((x + y) / 2));
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, 256, 256, 256, CR_BEST_QUANT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(quantizer.ColorsMade(), 256);
  EXPECT_LT(LargestIndex(*reduced), 256);
  // Largest table value: a scaled-back 127 is 255, never above.
  int largest = 0;
  for (int i = 0; i < 256; ++i)
    for (int v : Entry(*reduced, i))
      largest = std::max(largest, v);
  EXPECT_GT(largest, 240);
  EXPECT_GT(PaletteImagePsnr(image, *reduced), 28.0);
}

class Photographs : public ::testing::TestWithParam<const char*> {};

TEST_P(Photographs, MedianCutIsCloseToAnIndependentTool) {
  ScopedImage photo;
  ASSERT_EQ(photo.LoadImage(vutest::Sample(GetParam()).c_str()), 0);
  ASSERT_EQ(photo.format, BM_24BIT);
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&photo, photo.Width(), photo.Height(), 256, CR_MEDIAN_CUT));
  ASSERT_TRUE(reduced->header);
  EXPECT_EQ(quantizer.ColorsMade(), 256);
  EXPECT_LT(LargestIndex(*reduced), quantizer.ColorsMade());
  double ours = PaletteImagePsnr(photo, *reduced);
  EXPECT_GT(ours, 30.0);

  vuQuantizer best;
  vuImagePtr exact(best.Quantize(&photo, photo.Width(), photo.Height(), 256, CR_BEST_QUANT));
  ASSERT_TRUE(exact->header);
  EXPECT_LT(LargestIndex(*exact), best.ColorsMade());
  double bestPsnr = PaletteImagePsnr(photo, *exact);
  EXPECT_GT(bestPsnr, 28.0);

  vuQuantizer fast;
  vuImagePtr fixed(fast.Quantize(&photo, photo.Width(), photo.Height(), 256, CR_FAST_QUANT));
  double fastPsnr = PaletteImagePsnr(photo, *fixed);
  EXPECT_GT(fastPsnr, 20.0);
  std::printf("%s: median cut %.2f dB, best %.2f dB, fast %.2f dB\n", GetParam(), ours, bestPsnr,
              fastPsnr);

  if (!vutest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
  vutest::TempDir dir;
  std::string out = dir.Path("reduced.ppm");
  ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample(GetParam())) +
                               " -colors 256 " + vutest::Quote(out)),
            0);
  ScopedImage theirs;
  ASSERT_EQ(theirs.LoadImage(out.c_str()), 0);
  ASSERT_EQ(theirs.format, BM_24BIT);
  double reference = vutest::Psnr(photo, theirs);
  std::printf("%s: convert -colors 256 %.2f dB\n", GetParam(), reference);
  // The 5-bit histogram and the diffusion cost a little against the independent tool's octree.
  EXPECT_GT(ours, reference - 3.5);
}

INSTANTIATE_TEST_SUITE_P(Samples, Photographs, ::testing::Values("chelsea.ppm", "astronaut.ppm"));

} // namespace
