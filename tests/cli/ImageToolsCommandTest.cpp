// vuconvert's image tools end to end: palettes, geometry against ImageMagick, filters, tone and
// the refusals.
#include <gtest/gtest.h>

#include "imagelib/vuImageFilters.h"
#include "support/TestSupport.h"

using vutest::Quote;
using vutest::ScopedImage;
using vutest::TempDir;

namespace {

int Tools(const std::string& input, const std::string& output, const std::string& tools,
          std::string* messages = nullptr) {
  return vutest::RunConvert(Quote(input) + " " + Quote(output) + " " + tools, messages);
}

bool SameFilePixels(const std::string& a, const std::string& b, std::string* why) {
  ScopedImage first, second;
  if (first.LoadImage(a.c_str()) != 0 || second.LoadImage(b.c_str()) != 0) {
    *why = "cannot load";
    return false;
  }
  return vutest::SamePixels(first, second, why);
}

} // namespace

TEST(ImageToolsCommand, ColorsWritesAPaletteImage) {
  TempDir dir;
  std::string sample = vutest::Sample("chelsea.ppm");
  ScopedImage original;
  ASSERT_EQ(original.LoadImage(sample.c_str()), 0);
  struct Case {
    const char* arguments;
    int colours;
    double minimumPsnr;
  };
  for (Case c : {Case{"--colors 16", 16, 21.0}, Case{"--colors 256 --reduce best", 256, 30.0},
                 Case{"--reduce fast --colors 256", 256, 20.0}}) {
    std::string out = dir.Path("reduced.bmp");
    ASSERT_EQ(Tools(sample, out, c.arguments), 0) << c.arguments;
    ScopedImage reduced;
    ASSERT_EQ(reduced.LoadImage(out.c_str()), 0);
    ASSERT_EQ(reduced.format, BM_8BIT_COLOR) << c.arguments;
    EXPECT_EQ(reduced.Colors(), c.colours);
    for (int y = 0; y < reduced.Height(); ++y)
      for (int x = 0; x < reduced.Width(); ++x)
        ASSERT_LT(reduced.Row(y)[x], c.colours);
    ASSERT_EQ(reduced.MakeRGB(), 1);
    EXPECT_GT(vutest::Psnr(original, reduced), c.minimumPsnr) << c.arguments;
  }
}

TEST(ImageToolsCommand, GeometryAgreesWithImageMagick) {
  if (!vutest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  std::string sample = vutest::Sample("chelsea.ppm");
  struct Case {
    const char* ours;
    const char* theirs;
  };
  // Crop corners count from the top-left, as ImageMagick's geometry does; tools apply in order.
  for (Case c : {Case{"--rotate 90", "-rotate 90"}, Case{"--rotate -90", "-rotate -90"},
                 Case{"--flip h", "-flop"}, Case{"--flip v", "-flip"},
                 Case{"--crop 10,20,100,50", "-crop 100x50+10+20 +repage"},
                 Case{"--crop 0,0,451,300", "-crop 451x300+0+0 +repage"},
                 Case{"--rotate 90 --crop 5,7,30,40", "-rotate 90 -crop 30x40+5+7 +repage"},
                 Case{"--crop 5,7,30,40 --rotate 90", "-crop 30x40+5+7 +repage -rotate 90"},
                 Case{"--flip h --rotate -90 --flip v", "-flop -rotate -90 -flip"}}) {
    std::string ours = dir.Path("ours.ppm"), theirs = dir.Path("theirs.ppm");
    ASSERT_EQ(Tools(sample, ours, c.ours), 0) << c.ours;
    ASSERT_EQ(vutest::RunCommand("convert " + Quote(sample) + " " + c.theirs + " " + Quote(theirs)),
              0);
    std::string why;
    EXPECT_TRUE(SameFilePixels(ours, theirs, &why)) << c.ours << ": " << why;
  }
}

TEST(ImageToolsCommand, FilterByNameOrIndex) {
  TempDir dir;
  std::string sample = vutest::Sample("camera.pgm");
  ASSERT_EQ(Tools(sample, dir.Path("a.pgm"), "--filter 'Low Pass 1'"), 0);
  ASSERT_EQ(Tools(sample, dir.Path("b.pgm"), "--filter 0"), 0);
  ASSERT_EQ(Tools(sample, dir.Path("c.pgm"), "--filter 'laplace 4'"), 0);
  std::string why;
  EXPECT_TRUE(SameFilePixels(dir.Path("a.pgm"), dir.Path("b.pgm"), &why)) << why;
  // The same filter as the library gives.
  ScopedImage direct;
  ASSERT_EQ(direct.LoadImage(sample.c_str()), 0);
  ASSERT_EQ(direct.Filter(12), 1);
  ScopedImage written;
  ASSERT_EQ(written.LoadImage(dir.Path("c.pgm").c_str()), 0);
  EXPECT_TRUE(vutest::SamePixels(direct, written, &why)) << why;
  // A colour photograph is filtered per channel; a 1-bit picture is refused.
  ASSERT_EQ(Tools(vutest::Sample("chelsea.ppm"), dir.Path("d.ppm"), "--filter 'High Pass 2'"), 0);
  std::string messages;
  ASSERT_EQ(Tools(dir.Path("d.ppm"), dir.Path("e.bmp"), "--colors 8 --filter 1", &messages), 1);
  EXPECT_NE(messages.find("--rgb"), std::string::npos) << messages;
}

TEST(ImageToolsCommand, InvertTwiceRestores) {
  TempDir dir;
  std::string sample = vutest::Sample("chelsea.ppm");
  ASSERT_EQ(Tools(sample, dir.Path("i.ppm"), "--invert --invert"), 0);
  std::string why;
  EXPECT_TRUE(SameFilePixels(sample, dir.Path("i.ppm"), &why)) << why;
  ASSERT_EQ(Tools(sample, dir.Path("j.ppm"), "--invert"), 0);
  ScopedImage original, inverted;
  ASSERT_EQ(original.LoadImage(sample.c_str()), 0);
  ASSERT_EQ(inverted.LoadImage(dir.Path("j.ppm").c_str()), 0);
  EXPECT_EQ(original.Row(10)[33], 255 - inverted.Row(10)[33]);
}

TEST(ImageToolsCommand, ToneOnGreyThroughTheTable) {
  TempDir dir;
  std::string sample = vutest::Sample("camera.pgm");
  ScopedImage original;
  ASSERT_EQ(original.LoadImage(sample.c_str()), 0);
  ASSERT_EQ(Tools(sample, dir.Path("b.pgm"), "--brightness 40"), 0);
  ASSERT_EQ(Tools(sample, dir.Path("c.pgm"), "--contrast -60"), 0);
  ASSERT_EQ(Tools(sample, dir.Path("bc.pgm"), "--brightness 40 --contrast -60"), 0);
  ScopedImage bright, contrast, both;
  ASSERT_EQ(bright.LoadImage(dir.Path("b.pgm").c_str()), 0);
  ASSERT_EQ(contrast.LoadImage(dir.Path("c.pgm").c_str()), 0);
  ASSERT_EQ(both.LoadImage(dir.Path("bc.pgm").c_str()), 0);
  for (int y = 0; y < original.Height(); y += 7) {
    for (int x = 0; x < original.Width(); x += 5) {
      int c = original.Row(y)[x];
      ASSERT_EQ(bright.Row(y)[x], vuToneBrightness(c, 40));
      ASSERT_EQ(contrast.Row(y)[x], vuToneContrast(c, -60));
      ASSERT_EQ(both.Row(y)[x], vuToneContrast(vuToneBrightness(c, 40), -60));
    }
  }
}

TEST(ImageToolsCommand, RefusalsAndUsageErrors) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  std::string out = dir.Path("out.ppm");
  std::string messages;
  // Tone on 16-bit samples: a clear failure, nothing written ...
  std::string deep = dir.Path("deep.pgm");
  vutest::WriteFileBytes(deep, {'P', '5', ' ', '1', ' ', '1', ' ', '4', '0', '9', '5', '\n', 1, 2});
  EXPECT_EQ(Tools(deep, out, "--brightness 10", &messages), 1);
  EXPECT_NE(messages.find("vuconvert: "), std::string::npos);
  EXPECT_NE(messages.find("--gray"), std::string::npos) << messages;
  EXPECT_FALSE(std::filesystem::exists(out));
  // ... but after --gray it works.
  EXPECT_EQ(Tools(deep, dir.Path("g.pgm"), "--gray --contrast 10"), 0);
  // A crop rectangle outside the picture.
  EXPECT_EQ(Tools(colour, out, "--crop 400,0,100,10", &messages), 1);
  EXPECT_NE(messages.find("451 x 300"), std::string::npos) << messages;
  // Mistyped values are usage errors, found before anything is read.
  for (const char* bad :
       {"--rotate 45", "--rotate x", "--flip d", "--crop 1,2,3", "--crop 1,2,3,4,5",
        "--crop a,b,c,d", "--filter nope", "--filter 14", "--brightness 101", "--contrast -101",
        "--colors 0", "--colors 257", "--colors 16 --reduce fast", "--colors 8 --reduce octree"}) {
    EXPECT_EQ(Tools(colour, out, bad, &messages), 2) << bad;
    EXPECT_FALSE(std::filesystem::exists(out)) << bad;
  }
}
