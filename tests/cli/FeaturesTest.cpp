// What people reach for: pipes, figures, target size and quality, resizing, the other quarter
// turns, tone on colour, short option forms, JSON facts and the manual page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "imagelib/vuImageFilters.h"
#include "support/TestSupport.h"

using vutest::Quote;
using vutest::ScopedImage;
using vutest::TempDir;

namespace fs = std::filesystem;

namespace {

// The numbers of the -v line: bytes, PSNR and quality.
struct Figures {
  long bytes = -1;
  double psnr = -1;
  int quality = -1;
};
Figures ParseFigures(const std::string& output) {
  Figures f;
  size_t bytes = output.find(" bytes, ratio");
  size_t at = output.rfind(": ", bytes);
  if (bytes == std::string::npos || at == std::string::npos) return f;
  std::sscanf(output.c_str() + at + 2, "%ld bytes", &f.bytes);
  if (size_t p = output.find("PSNR "); p != std::string::npos)
    std::sscanf(output.c_str() + p, "PSNR %lf", &f.psnr);
  if (size_t q = output.find("quality "); q != std::string::npos)
    std::sscanf(output.c_str() + q, "quality %d", &f.quality);
  return f;
}

} // namespace

TEST(Features, StandardInputAndOutputMakePipes) {
  TempDir dir;
  std::string photo = Quote(vutest::Sample("chelsea.ppm"));
  std::string converter = Quote(vutest::ConvertPath());
  std::string output;
  ASSERT_EQ(vutest::RunCommand("cat " + photo + " | " + converter + " - --type wif - | " +
                                   converter + " - " + Quote(dir.Path("back.ppm")),
                               &output),
            0)
      << output;
  ScopedImage original, back;
  ASSERT_EQ(original.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(back.LoadImage(dir.Path("back.ppm").c_str()), 0);
  EXPECT_GT(vutest::Psnr(original, back), 30.0);
  // Writing to standard output needs the type.
  EXPECT_EQ(vutest::RunConvert(photo + " -", &output), 2);
  EXPECT_NE(output.find("needs --type"), std::string::npos) << output;
}

TEST(Features, VerboseFiguresQuietWarningsAndVersion) {
  TempDir dir;
  std::string output;
  ASSERT_EQ(vutest::RunConvert("-v -q70 " + Quote(vutest::Sample("camera.pgm")) + " " +
                        Quote(dir.Path("a.jpg")),
                    &output),
            0);
  Figures f = ParseFigures(output);
  EXPECT_EQ(f.bytes, long(fs::file_size(dir.Path("a.jpg"))));
  EXPECT_EQ(f.quality, 70);
  EXPECT_GT(f.psnr, 30);
  EXPECT_NE(output.find("bits per pixel"), std::string::npos) << output;
  EXPECT_EQ(vutest::RunConvert("--version", &output), 0);
  EXPECT_EQ(output.rfind("vuconvert ", 0), 0u);
}

TEST(Features, TargetSizeAndTargetPsnr) {
  TempDir dir;
  std::string photo = Quote(vutest::Sample("chelsea.ppm"));
  for (const char* type : {"wif", "jpg"}) {
    SCOPED_TRACE(type);
    std::string out = dir.Path(std::string("a.") + type);
    std::string output;
    ASSERT_EQ(vutest::RunConvert("-v --size 20000 " + photo + " " + Quote(out), &output), 0) << output;
    long bytes = long(fs::file_size(out));
    EXPECT_LE(bytes, 20000);
    EXPECT_GE(bytes, 19400); // within 3% under
    // The next finer quality would not fit.
    Figures chosen = ParseFigures(output);
    int finer = std::string(type) == "wif" ? chosen.quality - 1 : chosen.quality + 1;
    ASSERT_EQ(vutest::RunConvert("-q " + std::to_string(finer) + " " + photo + " " + Quote(out)), 0);
    EXPECT_GT(long(fs::file_size(out)), 20000);

    ASSERT_EQ(vutest::RunConvert("-v --psnr 36 " + photo + " " + Quote(out), &output), 0) << output;
    chosen = ParseFigures(output);
    EXPECT_GE(chosen.psnr, 36.0);
    // The next coarser quality would not reach it.
    int coarser = std::string(type) == "wif" ? chosen.quality + 1 : chosen.quality - 1;
    ASSERT_EQ(vutest::RunConvert("-v -q " + std::to_string(coarser) + " " + photo + " " + Quote(out),
                      &output),
              0);
    EXPECT_LT(ParseFigures(output).psnr, 36.0);
  }
  std::string output;
  EXPECT_EQ(vutest::RunConvert("--size 100 " + photo + " " + Quote(dir.Path("b.wif")), &output), 1);
  EXPECT_NE(output.find("no WIF quality makes a file of at most 100 bytes"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.Path("b.wif")));
  EXPECT_EQ(vutest::RunConvert("--size 10k " + photo + " " + Quote(dir.Path("b.bmp"))), 2);
  EXPECT_EQ(vutest::RunConvert("--size 10k -q 5 " + photo + " " + Quote(dir.Path("b.wif"))), 2);
}

TEST(Features, ResizeScaleTurnsAndToneOnColour) {
  TempDir dir;
  std::string photo = vutest::Sample("chelsea.ppm");
  auto run = [&](const std::string& tools, const std::string& name) {
    std::string out = dir.Path(name);
    EXPECT_EQ(vutest::RunConvert(Quote(photo) + " " + tools + " " + Quote(out)), 0) << tools;
    return out;
  };
  ScopedImage original;
  ASSERT_EQ(original.LoadImage(photo.c_str()), 0);
  ScopedImage resized, proportional, scaled;
  ASSERT_EQ(resized.LoadImage(run("--resize 200x100", "r.ppm").c_str()), 0);
  EXPECT_EQ(resized.Width(), 200);
  EXPECT_EQ(resized.Height(), 100);
  ASSERT_EQ(proportional.LoadImage(run("--resize 300x", "p.ppm").c_str()), 0);
  EXPECT_EQ(proportional.Height(), 200); // 451 x 300 keeps its proportions
  ASSERT_EQ(scaled.LoadImage(run("--scale 50", "s.ppm").c_str()), 0);
  EXPECT_EQ(scaled.Width(), 226);
  ScopedImage expected;
  ASSERT_EQ(expected.LoadImage(photo.c_str()), 0);
  ASSERT_EQ(expected.Resample(226, 150), 1);
  EXPECT_TRUE(vutest::SamePixels(scaled, expected));
  // A palette picture is resampled in colour.
  ScopedImage palette;
  ASSERT_EQ(palette.LoadImage(run("--colors 16 --scale 200", "c.bmp").c_str()), 0);
  EXPECT_EQ(palette.format, BM_24BIT);
  EXPECT_EQ(palette.Width(), 902);

  // Half a turn is both mirrors; 270 is a quarter turn back.
  ScopedImage half, mirrors, back, quarterBack;
  ASSERT_EQ(half.LoadImage(run("--rotate 180", "h.ppm").c_str()), 0);
  ASSERT_EQ(mirrors.LoadImage(run("--flip h --flip v", "m.ppm").c_str()), 0);
  EXPECT_TRUE(vutest::SamePixels(half, mirrors));
  ASSERT_EQ(back.LoadImage(run("--rotate 270", "b.ppm").c_str()), 0);
  ASSERT_EQ(quarterBack.LoadImage(run("--rotate -90", "q.ppm").c_str()), 0);
  EXPECT_TRUE(vutest::SamePixels(back, quarterBack));
  EXPECT_EQ(back.Width(), 300);

  // Brightness and contrast on colour: the tone curve on each channel.
  ScopedImage toned;
  ASSERT_EQ(toned.LoadImage(run("--brightness 30 --contrast -20", "t.ppm").c_str()), 0);
  for (int y = 0; y < 300; y += 13) {
    for (int i = 0; i < 3 * 451; i += 7) {
      int c = original.Row(y)[i];
      ASSERT_EQ(toned.Row(y)[i], vuToneContrast(vuToneBrightness(c, 30), -20)) << y << "," << i;
    }
  }
}

TEST(Features, JsonFactsAndAttachedValues) {
  TempDir dir;
  std::string out = dir.Path("o");
  ASSERT_EQ(vutest::RunConvert("--batch --to wif -j2 -q200 -o " + Quote(out) + " " +
                    Quote(vutest::Sample("camera.pgm")) + " " +
                    Quote(vutest::Sample("chelsea.ppm"))),
            0);
  std::string output;
  ASSERT_EQ(vutest::RunConvert("--info --json " + Quote(out + "/camera.wif") + " " +
                        Quote(vutest::Sample("chelsea.ppm")),
                    &output),
            0);
  EXPECT_EQ(output, "{\"file\":\"" + out + "/camera.wif\",\"type\":\"VU Wavelet Image File\","
                    "\"extension\":\"WIF\",\"width\":512,\"height\":512,\"bitsPerPixel\":8,"
                    "\"fileSize\":" + std::to_string(fs::file_size(out + "/camera.wif")) +
                    ",\"wif\":{\"version\":\"2.0\",\"width\":512,\"height\":512,\"levels\":5,"
                    "\"quality\":200,\"colour\":false,\"sampleBytes\":1,\"significantBits\":8,"
                    "\"fast\":false,\"tiled\":false,\"comment\":\"VU Ver2 , 1998\"}}\n"
                    "{\"file\":\"" + vutest::Sample("chelsea.ppm") + "\",\"type\":"
                    "\"Portable Pixel Map\",\"extension\":\"PPM\",\"width\":451,\"height\":300,"
                    "\"bitsPerPixel\":24,\"fileSize\":405915}\n");
}

TEST(Features, ManualPageComesFromTheHelpText) {
  std::string help, page;
  ASSERT_EQ(vutest::RunConvert("--help", &help), 0);
  ASSERT_EQ(vutest::RunConvert("--manpage", &page), 0);
  // Every option the help names is in the page (roff writes its hyphens as \-).
  size_t at = 0;
  int options = 0;
  while ((at = help.find("\n  --", at)) != std::string::npos) {
    size_t end = help.find_first_of(" =\n", at + 3);
    std::string name = help.substr(at + 3, end - at - 3);
    std::string roff;
    for (char c : name)
      roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find(roff), std::string::npos) << name;
    ++options;
    at = end;
  }
  EXPECT_GT(options, 25);
  if (!vutest::HaveProgram("groff")) GTEST_SKIP() << "groff is not installed";
  vutest::TempDir dir;
  vutest::WriteFileBytes(dir.Path("vuconvert.1"), {page.begin(), page.end()});
  std::string warnings;
  EXPECT_EQ(vutest::RunCommand("groff -man -Tutf8 -ww -z " + Quote(dir.Path("vuconvert.1")),
                               &warnings),
            0);
  EXPECT_EQ(warnings, "");
}
