// Quarter turns, mirroring, cut-outs and the size change, checked with known answers and
// against independent tools pixel for pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "support/TestSupport.h"

namespace {

using vutest::Quote;
using vutest::ScopedImage;

// Every format whose pixels can be read back (16-bit 5-5-5 colour is write-mostly).
const vuBMFormat kFormats[] = {BM_1BIT,  BM_24BIT,     BM_8BIT_COLOR, BM_4BIT,
                               BM_32BIT, BM_8BIT_GRAY, BM_48BIT,      BM_16BIT_GRAY};

int TableSizeFor(vuBMFormat format) {
  return format == BM_8BIT_COLOR || format == BM_8BIT_GRAY ? 256 : (format == BM_4BIT ? 16 : 0);
}

void Make(vuImage& image, vuBMFormat format, int width, int height, uint32_t seed) {
  ASSERT_EQ(image.AllocateBitmap(width, height, TableSizeFor(format), format), 1);
  vutest::FillPattern(image, seed);
  // A colour table that is not a ramp, so that a lost table shows.
  for (int i = 0; i < image.TableEntries(); ++i)
    image.palette[i] = vuRGBA{uint8_t(3 * i), uint8_t(255 - i), uint8_t(7 * i), uint8_t(i)};
}

std::array<uint8_t, 3> Rgb(vuImage& image, int x, int y) {
  uint8_t r = 0, g = 0, b = 0;
  image.GetColor(x, y, &r, &g, &b);
  return {r, g, b};
}

TEST(Rotate, ThreeByTwoQuarterTurns) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 2, 0, BM_24BIT), 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      image.SetColor(x, y, uint8_t(10 * x), uint8_t(100 + y), 7);
  ASSERT_EQ(image.Rotate(90), 1);
  ASSERT_EQ(image.Width(), 2);
  ASSERT_EQ(image.Height(), 3);
  // Source (x, y) sits at (y, 2 - x): the bottom-left pixel is now the top-left one.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Rgb(image, y, 2 - x),
                (std::array<uint8_t, 3>{uint8_t(10 * x), uint8_t(100 + y), 7}));
  ASSERT_EQ(image.Rotate(-90), 1);
  ASSERT_EQ(image.Width(), 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Rgb(image, x, y), (std::array<uint8_t, 3>{uint8_t(10 * x), uint8_t(100 + y), 7}));
  // Counter-clockwise: (x, y) goes to (height - 1 - y, x).
  ASSERT_EQ(image.Rotate(-90), 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Rgb(image, 1 - y, x),
                (std::array<uint8_t, 3>{uint8_t(10 * x), uint8_t(100 + y), 7}));
}

TEST(Rotate, ThereAndBackRestoresEveryFormat) {
  for (vuBMFormat format : kFormats) {
    ScopedImage image, original;
    Make(image, format, 7, 5, 21);
    Make(original, format, 7, 5, 21);
    ASSERT_EQ(image.Rotate(90), 1) << format;
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 7);
    EXPECT_EQ(image.format, format);
    ASSERT_EQ(image.Rotate(-90), 1);
    std::string why;
    EXPECT_TRUE(vutest::SamePixels(image, original, &why)) << format << ": " << why;
    for (int i = 0; i < original.TableEntries(); ++i) {
      EXPECT_EQ(std::memcmp(&image.palette[i], &original.palette[i], 4), 0) << format << " " << i;
    }
  }
}

TEST(Rotate, OtherAnglesChangeNothing) {
  ScopedImage image, original;
  Make(image, BM_24BIT, 4, 3, 5);
  Make(original, BM_24BIT, 4, 3, 5);
  for (int angle : {0, 45, 180, 270, -180}) {
    EXPECT_EQ(image.Rotate(angle), 0) << angle;
    EXPECT_TRUE(vutest::SamePixels(image, original));
  }
}

TEST(Flip, MirrorsAndRestores) {
  for (vuBMFormat format : kFormats) {
    ScopedImage image, original;
    Make(image, format, 9, 5, 33);
    Make(original, format, 9, 5, 33);
    ASSERT_EQ(image.Flip(1), 1);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 9; ++x) {
        uint16_t a[4] = {0, 0, 0, 0}, b[4] = {0, 0, 0, 0};
        image.accessor->GetRaw(x, y, a);
        original.accessor->GetRaw(8 - x, y, b);
        EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << format << " at " << x << "," << y;
      }
    }
    ASSERT_EQ(image.Flip(1), 1);
    ASSERT_EQ(image.Flip(0), 1);
    ASSERT_EQ(image.Flip(0), 1);
    EXPECT_TRUE(vutest::SamePixels(image, original)) << format;
    EXPECT_EQ(image.Flip(2), 1); // no such direction: nothing changes
    EXPECT_TRUE(vutest::SamePixels(image, original)) << format;
  }
}

TEST(Flip, OnePixelWideLeftRightChangesNothing) {
  ScopedImage image, original;
  Make(image, BM_24BIT, 1, 6, 8);
  Make(original, BM_24BIT, 1, 6, 8);
  image.Flip(1);
  EXPECT_TRUE(vutest::SamePixels(image, original));
  image.Flip(0); // an odd middle row stays: compare the reversed column
  for (int y = 0; y < 6; ++y)
    EXPECT_EQ(Rgb(image, 0, y), Rgb(original, 0, 5 - y));
}

// Our rotation or flip of a sample agrees with ImageMagick's (and netpbm's) pixel for pixel.
struct ToolCase {
  const char* sample;
  const char* ourOperation; // r90, r-90, fh, fv
  const char* command;      // %s in, %s out
};

class AgainstIndependentTools : public ::testing::TestWithParam<ToolCase> {};

TEST_P(AgainstIndependentTools, SamePixels) {
  const ToolCase& c = GetParam();
  std::string program = std::string(c.command).substr(0, std::string(c.command).find(' '));
  if (!vutest::HaveProgram(program)) GTEST_SKIP() << program << " is not installed";
  vutest::TempDir dir;
  std::string sample = vutest::Sample(c.sample);
  std::string extension = std::string(c.sample).substr(std::string(c.sample).rfind('.'));
  std::string theirsPath = dir.Path("theirs" + extension);
  char command[1024];
  std::snprintf(command, sizeof command, c.command, Quote(sample).c_str(),
                Quote(theirsPath).c_str());
  ASSERT_EQ(vutest::RunCommand(command), 0) << command;

  ScopedImage ours, theirs;
  ASSERT_EQ(ours.LoadImage(sample.c_str()), 0);
  ASSERT_EQ(theirs.LoadImage(theirsPath.c_str()), 0);
  std::string op = c.ourOperation;
  if (op == "r90")
    ASSERT_EQ(ours.Rotate(90), 1);
  else if (op == "r-90")
    ASSERT_EQ(ours.Rotate(-90), 1);
  else if (op == "fh")
    ASSERT_EQ(ours.Flip(1), 1);
  else
    ASSERT_EQ(ours.Flip(0), 1);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(ours, theirs, &why)) << command << ": " << why;
}

INSTANTIATE_TEST_SUITE_P(
    Samples, AgainstIndependentTools,
    ::testing::Values(ToolCase{"chelsea.ppm", "r90", "convert %s -rotate 90 %s"},
                      ToolCase{"chelsea.ppm", "r-90", "convert %s -rotate -90 %s"},
                      ToolCase{"chelsea.ppm", "fh", "convert %s -flop %s"},
                      ToolCase{"chelsea.ppm", "fv", "convert %s -flip %s"},
                      ToolCase{"camera.pgm", "r90", "pamflip -cw %s > %s"},
                      ToolCase{"camera.pgm", "r-90", "pamflip -ccw %s > %s"},
                      ToolCase{"camera.pgm", "fh", "pamflip -lr %s > %s"},
                      ToolCase{"camera.pgm", "fv", "pamflip -tb %s > %s"}));

TEST(SubImage, IntoTargetCopiesPixelsAndTable) {
  for (vuBMFormat format : kFormats) {
    ScopedImage image, part;
    Make(image, format, 11, 7, 4);
    ASSERT_EQ(image.SubImage(&part, 2, 3, 5, 4), 1) << format;
    ASSERT_EQ(part.format, format);
    ASSERT_EQ(part.Width(), 5);
    ASSERT_EQ(part.Height(), 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        uint16_t a[4] = {0, 0, 0, 0}, b[4] = {0, 0, 0, 0};
        part.accessor->GetRaw(x, y, a);
        image.accessor->GetRaw(2 + x, 3 + y, b);
        EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << format;
      }
    if (format == BM_8BIT_COLOR || format == BM_4BIT) {
      for (int i = 0; i < image.TableEntries(); ++i)
        EXPECT_EQ(std::memcmp(&part.palette[i], &image.palette[i], 4), 0) << format << " " << i;
    }
  }
}

TEST(SubImage, RectangleOutsideTheImageIsRefused) {
  ScopedImage image, part, original;
  Make(image, BM_24BIT, 6, 4, 2);
  Make(part, BM_8BIT_GRAY, 3, 3, 9);
  Make(original, BM_8BIT_GRAY, 3, 3, 9);
  const int rectangles[][4] = {{-1, 0, 2, 2}, {0, -1, 2, 2}, {5, 0, 2, 1},         {0, 3, 1, 2},
                               {0, 0, 0, 1},  {0, 0, 1, 0},  {1, 1, 0x7FFFFFFF, 1}};
  for (const auto& r : rectangles) {
    EXPECT_EQ(image.SubImage(&part, r[0], r[1], r[2], r[3]), 0);
    EXPECT_TRUE(vutest::SamePixels(part, original)); // the target stays as it was
  }
  EXPECT_EQ(image.SubImage(&image, 0, 0, 2, 2), 0);
  EXPECT_EQ(image.Width(), 6);
}

TEST(SubImage, NewImageOfEightAndTwentyFourBits) {
  ScopedImage colour;
  Make(colour, BM_24BIT, 6, 5, 12);
  vuImagePtr part(colour.SubImage(4, 3, 4, 4)); // reaches past the corner: reads repeat the border
  ASSERT_NE(part, nullptr);
  ASSERT_TRUE(part->header);
  EXPECT_EQ(part->format, BM_24BIT);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Rgb(*part, x, y), Rgb(colour, std::min(4 + x, 5), std::min(3 + y, 4)));

  ScopedImage palette;
  Make(palette, BM_8BIT_COLOR, 5, 5, 3);
  part.reset(palette.SubImage(1, 1, 2, 3));
  ASSERT_TRUE(part && part->header);
  // An 8-bit cut-out is a grey image with a ramp of the source's table size.
  EXPECT_EQ(part->format, BM_8BIT_GRAY);
  EXPECT_EQ(part->Colors(), 256);
  EXPECT_EQ(part->palette[200].red, 200);
  uint8_t a = 0, b = 0;
  part->GetColor(1, 2, &a);
  palette.GetColor(2, 3, &b);
  EXPECT_EQ(a, b);

  ScopedImage wide;
  Make(wide, BM_48BIT, 4, 4, 1);
  part.reset(wide.SubImage(0, 0, 2, 2));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->header, nullptr);
}

TEST(ZoomImage, UpscaleLeavesGaps) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 256, BM_8BIT_GRAY), 1);
  image.SetColor(0, 0, 10);
  image.SetColor(1, 0, 20);
  image.SetColor(0, 1, 30);
  image.SetColor(1, 1, 40);
  ASSERT_EQ(image.ZoomImage(4, 4), 1);
  ASSERT_EQ(image.Width(), 4);
  ASSERT_EQ(image.Height(), 4);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
  EXPECT_EQ(image.Row(0)[0], 10);
  EXPECT_EQ(image.Row(0)[2], 20);
  EXPECT_EQ(image.Row(2)[0], 30);
  EXPECT_EQ(image.Row(2)[2], 40);
  EXPECT_EQ(image.Row(1)[1], 0);
  EXPECT_EQ(image.Row(3)[3], 0);
}

TEST(ZoomImage, DownscaleKeepsTheLastWrittenPixel) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 256, BM_8BIT_GRAY), 1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      image.SetColor(x, y, uint8_t(10 * y + x + 1));
  // Source rows arrive from the top down, left to right: of each 2 x 2 block the pixel in the
  // lower row and the right column is written last.
  ASSERT_EQ(image.ZoomImage(2, 2), 1);
  EXPECT_EQ(image.Row(0)[0], 2);
  EXPECT_EQ(image.Row(0)[1], 4);
  EXPECT_EQ(image.Row(1)[0], 22);
  EXPECT_EQ(image.Row(1)[1], 24);
}

TEST(ZoomImage, ColourImageAndWrongDepth) {
  ScopedImage image;
  Make(image, BM_24BIT, 3, 3, 14);
  std::array<uint8_t, 3> corner = Rgb(image, 2, 2);
  ASSERT_EQ(image.ZoomImage(6, 9), 1); // the smaller ratio, 2, wins
  EXPECT_EQ(image.Width(), 6);
  EXPECT_EQ(image.Height(), 9);
  EXPECT_EQ(Rgb(image, 4, 4), corner);
  ScopedImage deep;
  Make(deep, BM_48BIT, 3, 3, 1);
  EXPECT_EQ(deep.ZoomImage(6, 6), -2);
  EXPECT_EQ(deep.Width(), 3);
}

} // namespace
