// Convolution filters, brightness, contrast and inversion: the worked numbers and the
// orientation of the kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imagelib/vuImageFilters.h"
#include "support/TestSupport.h"

namespace {

using vutest::ScopedImage;

void FillGrey(vuImage& image, uint8_t value) {
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      image.SetColor(x, y, value);
}

TEST(FilterKernels, TableAndNames) {
  EXPECT_STREQ(vuFilterNames[0], "Low Pass 1");
  EXPECT_STREQ(vuFilterNames[12], "Laplace 4");
  EXPECT_EQ(vuFilterIndex("Low Pass 1"), 0);
  EXPECT_EQ(vuFilterIndex("difference 3"), 8);
  EXPECT_EQ(vuFilterIndex("Laplace"), -1);
  EXPECT_EQ(vuFilterIndex("Gradient North"), 14);
  EXPECT_EQ(vuFilterIndex("gradient north west"), 21);
  EXPECT_EQ(vuFilterIndex("Gradient"), -1);
  EXPECT_EQ(vuFilterIndex("Gradient Up"), -1);
  EXPECT_EQ(vuFilterIndex("North"), -1);
  // Difference 1 is the same kernel as High Pass 3.
  EXPECT_EQ(std::memcmp(&vuFilterKernels[5], &vuFilterKernels[6], sizeof(vuFilterKernel)), 0);
  for (const vuFilterKernel& kernel : vuFilterKernels)
    EXPECT_NE(kernel.divisor, 0);
}

TEST(Filter, LowPassSpreadsASingleWhitePixel) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(7, 7, 256, BM_8BIT_GRAY), 1);
  FillGrey(image, 0);
  image.SetColor(3, 3, 255);
  ASSERT_EQ(image.Filter(vuFilterIndex("Low Pass 1")), 1);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) {
      bool near = std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1;
      uint8_t v = 0;
      image.GetColor(x, y, &v);
      EXPECT_EQ(v, near ? 28 : 0) << x << "," << y; // 255 / 9 truncated
    }
}

TEST(Filter, UniformPicturesAtTheBorder) {
  // With the border pixels repeated a uniform picture stays uniform under the sharpening and
  // smoothing kernels and becomes 0 under the Laplace kernels whose sum is 0.
  struct Case {
    const char* name;
    int expected;
  };
  for (Case c : {Case{"Low Pass 1", 90}, Case{"Low Pass 3", 90}, Case{"High Pass 1", 90},
                 Case{"High Pass 2", 90}, Case{"Laplace 2", 0}, Case{"Laplace 3", 0}}) {
    ScopedImage grey, colour;
    ASSERT_EQ(grey.AllocateBitmap(5, 4, 256, BM_8BIT_GRAY), 1);
    ASSERT_EQ(colour.AllocateBitmap(5, 4, 0, BM_24BIT), 1);
    FillGrey(grey, 90);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        colour.SetColor(x, y, 90, 90, 90);
    ASSERT_EQ(grey.Filter(vuFilterIndex(c.name)), 1);
    ASSERT_EQ(colour.Filter(vuFilterIndex(c.name)), 1);
    EXPECT_EQ(colour.format, BM_24BIT);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        uint8_t v = 0, r = 0, g = 0, b = 0;
        grey.GetColor(x, y, &v);
        colour.GetColor(x, y, &r, &g, &b);
        EXPECT_EQ(v, c.expected) << c.name << " at " << x << "," << y;
        EXPECT_EQ(r, c.expected) << c.name;
        EXPECT_EQ(b, c.expected) << c.name;
      }
  }
}

TEST(Filter, TopOfTheKernelIsTheRowAbove) {
  // Difference 2 is centre minus the pixel above (row y + 1, since rows count from the bottom);
  // Difference 3 is centre minus the pixel to the left.
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 5, 256, BM_8BIT_GRAY), 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x)
      image.SetColor(x, y, uint8_t(200 - 30 * y + x));
  ScopedImage left;
  ASSERT_EQ(left.AllocateBitmap(4, 5, 256, BM_8BIT_GRAY), 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x)
      left.SetColor(x, y, uint8_t(100 - 20 * x));
  ASSERT_EQ(image.Filter(vuFilterIndex("Difference 2")), 1);
  ASSERT_EQ(left.Filter(vuFilterIndex("Difference 3")), 1);
  for (int x = 0; x < 4; ++x) {
    for (int y = 0; y < 5; ++y) {
      uint8_t v = 0;
      image.GetColor(x, y, &v);
      EXPECT_EQ(v, y < 4 ? 30 : 0) << x << "," << y; // the top row repeats itself
    }
    uint8_t w = 0;
    left.GetColor(x, 2, &w);
    EXPECT_EQ(w, 0) << x; // centre minus a brighter left neighbour clamps to 0
  }
}

TEST(Filter, NegativeSumsTruncateAndClamp) {
  // High Pass 1 on a bright dot: the centre overflows to 255, its neighbours go negative to 0,
  // and the division truncates towards zero (Low Pass 2: 1 x 100 / 10 = 10).
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(5, 5, 256, BM_8BIT_GRAY), 1);
  FillGrey(image, 10);
  image.SetColor(2, 2, 100);
  ScopedImage copy;
  ASSERT_EQ(image.SubImage(&copy, 0, 0, 5, 5), 1);
  ASSERT_EQ(image.Filter(vuFilterIndex("High Pass 1")), 1);
  uint8_t v = 0;
  image.GetColor(2, 2, &v);
  EXPECT_EQ(v, 255); // 9 x 100 - 8 x 10
  image.GetColor(1, 2, &v);
  EXPECT_EQ(v, 0); // 9 x 10 - 100 - 7 x 10 = -80
  image.GetColor(0, 0, &v);
  EXPECT_EQ(v, 10);
  ASSERT_EQ(copy.Filter(vuFilterIndex("Low Pass 2")), 1);
  copy.GetColor(1, 1, &v);
  EXPECT_EQ(v, 19); // (7 x 10 + 100 + 2 x 10) / 10, the dot in the top-right corner
}

TEST(Filter, OtherDepthsAndIndexesChangeNothing) {
  ScopedImage bits, original;
  ASSERT_EQ(bits.AllocateBitmap(9, 3, 2, BM_1BIT), 1);
  ASSERT_EQ(original.AllocateBitmap(9, 3, 2, BM_1BIT), 1);
  vutest::FillPattern(bits, 5);
  vutest::FillPattern(original, 5);
  EXPECT_EQ(bits.Filter(0), 1);
  EXPECT_TRUE(vutest::SamePixels(bits, original));
  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(3, 3, 256, BM_8BIT_GRAY), 1);
  FillGrey(grey, 50);
  EXPECT_EQ(grey.Filter(vuFilterKernelCount), 0);
  EXPECT_EQ(grey.Filter(-1), 0);
  EXPECT_EQ(grey.Filter(13), 1); // this kernel has no menu entry but exists
}

TEST(Filter, PaletteImagesAreFilteredOnTheirIndexesAndGetARamp) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 3, 4, BM_8BIT_COLOR), 1);
  image.palette[2] = vuRGBA{0, 0, 255, 0};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      image.SetColor(x, y, 2);
  ASSERT_EQ(image.Filter(0), 1);
  EXPECT_EQ(image.format, BM_8BIT_COLOR);
  EXPECT_EQ(image.Colors(), 256);
  EXPECT_EQ(image.palette[2].red, 2);
  uint8_t v = 0;
  image.GetColor(1, 1, &v);
  EXPECT_EQ(v, 2);
}

// The tone functions at the values of the worked examples.
TEST(Tone, BrightnessValues) {
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(vuToneBrightness(c, 0), c) << c;
  EXPECT_EQ(vuToneBrightness(128, 100), 228);
  EXPECT_EQ(vuToneBrightness(255, 100), 255);
  EXPECT_EQ(vuToneBrightness(0, 100), 0);
  EXPECT_EQ(vuToneBrightness(64, 100), 135);  // 64 + 100 x sqrt(0.5) = 134.71
  EXPECT_EQ(vuToneBrightness(127, 100), 227); // 127 + 100 x sqrt(127 / 128) = 226.61
  EXPECT_EQ(vuToneBrightness(192, 100), 255); // 192 + 70.16 overflows
  EXPECT_EQ(vuToneBrightness(192, -50), 157); // 192 - 50 x sqrt(63 / 128) = 156.92
  EXPECT_EQ(vuToneBrightness(64, -100), 0);   // 64 - 70.71 is below 0
}

TEST(Tone, ContrastValues) {
  EXPECT_EQ(vuToneContrast(64, 50), 0);    // 64 - 64 x sin(1.571)
  EXPECT_EQ(vuToneContrast(192, 50), 255); // 192 + 64
  EXPECT_EQ(vuToneContrast(127, 50), 125); // 127 - 64 x 0.0242 = 125.45
  EXPECT_EQ(vuToneContrast(128, 50), 128);
  EXPECT_EQ(vuToneContrast(255, 50), 255);
  EXPECT_EQ(vuToneContrast(0, 50), 0);
  // Negative contrast pulls towards the middle but never across it.
  EXPECT_EQ(vuToneContrast(64, -50), 128);
  EXPECT_EQ(vuToneContrast(192, -50), 128);
  EXPECT_EQ(vuToneContrast(127, -50), 128); // 128.55 rounds to 129, held at 128
  EXPECT_EQ(vuToneContrast(128, -100), 128);
  for (int c = 0; c < 256; ++c) {
    for (int a : {-100, -37, 0, 41, 100}) {
      int v = vuToneContrast(c, a);
      if (c < 128)
        EXPECT_LE(v, 128) << c << " " << a;
      else
        EXPECT_GE(v, 128) << c << " " << a;
    }
  }
}

TEST(Tone, BrightnessAndContrastRewriteTheTableFromTheSource) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 256, BM_8BIT_GRAY), 1);
  std::vector<vuRGBA> saved(image.palette, image.palette + 256);
  EXPECT_EQ(image.Brightness(saved.data(), 100), 1);
  EXPECT_EQ(image.palette[128].red, 228);
  EXPECT_EQ(image.palette[128].blue, 228);
  // Every call starts from the saved table: nothing accumulates.
  EXPECT_EQ(image.Brightness(saved.data(), 100), 1);
  EXPECT_EQ(image.palette[128].green, 228);
  EXPECT_EQ(image.Contrast(saved.data(), 50), 1);
  EXPECT_EQ(image.palette[64].red, 0);
  EXPECT_EQ(image.palette[192].red, 255);
  EXPECT_EQ(image.palette[128].red, 128);
  // Baking the table into the pixels.
  image.SetColor(0, 0, 192);
  image.SetColor(1, 0, 64);
  EXPECT_EQ(image.ApplyColorMap(), 1);
  EXPECT_EQ(image.Row(0)[0], 255);
  EXPECT_EQ(image.Row(0)[1], 0);
  EXPECT_EQ(image.palette[192].red, 192);
}

TEST(Tone, ColourTablesPerChannelAndColourImagesRefused) {
  ScopedImage palette;
  ASSERT_EQ(palette.AllocateBitmap(2, 2, 2, BM_8BIT_COLOR), 1);
  palette.palette[0] = vuRGBA{64, 128, 192, 0}; // blue, green, red
  palette.palette[1] = vuRGBA{0, 255, 10, 0};
  std::vector<vuRGBA> saved(palette.palette, palette.palette + 2);
  EXPECT_EQ(palette.Brightness(saved.data(), 100), 1);
  EXPECT_EQ(palette.palette[0].blue, 135);
  EXPECT_EQ(palette.palette[0].green, 228);
  EXPECT_EQ(palette.palette[0].red, 255);
  EXPECT_EQ(palette.palette[1].green, 255);

  ScopedImage colour;
  ASSERT_EQ(colour.AllocateBitmap(2, 2, 0, BM_24BIT), 1);
  EXPECT_EQ(colour.Brightness(saved.data(), 50), 0);
  EXPECT_EQ(colour.Contrast(saved.data(), 50), 1);
}

TEST(InvertColor, TwiceRestoresEveryFormat) {
  const vuBMFormat formats[] = {BM_1BIT,  BM_24BIT,     BM_8BIT_COLOR, BM_4BIT,
                                BM_32BIT, BM_8BIT_GRAY, BM_48BIT,      BM_16BIT_GRAY};
  for (vuBMFormat format : formats) {
    int colors =
        format == BM_4BIT ? 16 : (format == BM_8BIT_COLOR || format == BM_8BIT_GRAY ? 256 : 0);
    ScopedImage image, original;
    ASSERT_EQ(image.AllocateBitmap(5, 3, colors, format), 1);
    ASSERT_EQ(original.AllocateBitmap(5, 3, colors, format), 1);
    vutest::FillPattern(image, 17);
    vutest::FillPattern(original, 17);
    EXPECT_EQ(image.InvertColor(), 0);
    EXPECT_EQ(image.InvertColor(), 0);
    EXPECT_TRUE(vutest::SamePixels(image, original)) << format;
    for (int i = 0; i < original.TableEntries(); ++i)
      EXPECT_EQ(std::memcmp(&image.palette[i], &original.palette[i], 4), 0) << format;
  }
}

TEST(InvertColor, PaletteTableOrPixels) {
  ScopedImage palette;
  ASSERT_EQ(palette.AllocateBitmap(2, 1, 3, BM_8BIT_COLOR), 1);
  palette.SetColor(0, 0, 1);
  palette.InvertColor();
  EXPECT_EQ(palette.Row(0)[0], 1); // the pixels stay, the table turns
  EXPECT_EQ(palette.palette[1].red, 254);
  ScopedImage colour;
  ASSERT_EQ(colour.AllocateBitmap(1, 1, 0, BM_24BIT), 1);
  colour.SetColor(0, 0, 10, 20, 30);
  colour.InvertColor();
  uint8_t r, g, b;
  colour.GetColor(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 245);
  EXPECT_EQ(g, 235);
  EXPECT_EQ(b, 225);
}

} // namespace

namespace {

// The kernels whose divisor is 1 give whole numbers, so an independent correlation with the same
// border rule (edge pixels repeated) must agree exactly.
class FilterAgainstImageMagick : public ::testing::TestWithParam<int> {};

TEST_P(FilterAgainstImageMagick, SamePixels) {
  if (!vutest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
  const int index = GetParam();
  const vuFilterKernel& kernel = vuFilterKernels[index];
  ASSERT_EQ(kernel.divisor, 1);
  std::string text = "3x3:";
  for (int k = 0; k < 9; ++k) {
    text += k % 3 == 0 ? ' ' : ',';
    text += std::to_string(kernel.coefficients[k]);
  }
  for (const char* sample : {"camera.pgm", "chelsea.ppm"}) {
    if (std::string(sample) == "chelsea.ppm" && index % 3 != 0) continue; // keep the run short
    vutest::TempDir dir;
    std::string extension = std::string(sample).substr(std::string(sample).rfind('.'));
    std::string theirsPath = dir.Path("theirs" + extension);
    ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample(sample)) +
                                 " -virtual-pixel edge -morphology Correlate " +
                                 vutest::Quote(text) + " " + vutest::Quote(theirsPath)),
              0);
    ScopedImage ours, theirs;
    ASSERT_EQ(ours.LoadImage(vutest::Sample(sample).c_str()), 0);
    ASSERT_EQ(theirs.LoadImage(theirsPath.c_str()), 0);
    ASSERT_EQ(ours.Filter(index), 1);
    std::string why;
    EXPECT_TRUE(vutest::SamePixels(ours, theirs, &why)) << sample << " " << text << ": " << why;
  }
}

INSTANTIATE_TEST_SUITE_P(WholeNumberKernels, FilterAgainstImageMagick, ::testing::Range(3, 14));

} // namespace

// Every kernel on a real photograph, grey and colour, against the neighbourhood sum written out
// pixel by pixel through the clamped single-pixel reads.
TEST(Filter, EveryKernelMatchesThePixelByPixelDefinition) {
  for (const char* sample : {"chelsea.ppm", "camera.pgm"}) {
    vutest::ScopedImage photo;
    ASSERT_EQ(photo.LoadImage(vutest::Sample(sample).c_str()), 0);
    for (int index = 0; index < vuFilterKernelCount; ++index) {
      SCOPED_TRACE(testing::Message() << sample << " kernel " << index);
      vutest::ScopedImage image;
      ASSERT_EQ(photo.SubImage(&image, 150, 100, 37, 23), 1);
      const vuFilterKernel& kernel = vuFilterKernels[index];
      const int channels = image.Depth() / 8;
      std::vector<int> expected;
      for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
          int sums[3] = {0, 0, 0};
          int k = 0;
          for (int dy = 1; dy >= -1; --dy) {
            for (int dx = -1; dx <= 1; ++dx, ++k) {
              uint8_t v[3] = {0, 0, 0};
              if (channels == 3)
                image.GetColor(x + dx, y + dy, &v[0], &v[1], &v[2]);
              else
                image.GetColor(x + dx, y + dy, &v[0]);
              for (int c = 0; c < channels; ++c)
                sums[c] += kernel.coefficients[k] * v[c];
            }
          }
          for (int c = 0; c < channels; ++c) {
            expected.push_back(std::clamp(sums[c] / kernel.divisor, 0, 255));
          }
        }
      }
      ASSERT_EQ(image.Filter(index), 1);
      std::vector<int> got;
      for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
          uint8_t v[3] = {0, 0, 0};
          if (channels == 3)
            image.GetColor(x, y, &v[0], &v[1], &v[2]);
          else
            image.GetColor(x, y, &v[0]);
          for (int c = 0; c < channels; ++c)
            got.push_back(v[c]);
        }
      }
      EXPECT_EQ(got, expected);
    }
  }
}
