// vuconvert as scripts use it: conversions, --info, batch mode, exit codes and messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

using vutest::Quote;
using vutest::RunCommand;
using vutest::RunConvert;
using vutest::ScopedImage;
using vutest::TempDir;

TEST(ConvertCommand, ConvertsBetweenFormatsWithoutLoss) {
  TempDir dir;
  std::string sample = vutest::Sample("chelsea.ppm");
  ASSERT_EQ(RunConvert(Quote(sample) + " " + Quote(dir.Path("a.bmp"))), 0);
  ASSERT_EQ(RunConvert(Quote(dir.Path("a.bmp")) + " " + Quote(dir.Path("b.ppm"))), 0);
  ScopedImage original, back;
  ASSERT_EQ(original.LoadImage(sample.c_str()), 0);
  ASSERT_EQ(back.LoadImage(dir.Path("b.ppm").c_str()), 0);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(original, back, &why)) << why;
  // --type overrides the extension; options may follow the file names.
  ASSERT_EQ(RunConvert(Quote(sample) + " " + Quote(dir.Path("c.out")) + " --type bmp"), 0);
  ScopedImage typed;
  ASSERT_EQ(typed.LoadImage(dir.Path("c.out").c_str()), 0);
  EXPECT_EQ(typed.format, BM_24BIT);
}

TEST(ConvertCommand, OutputTypesGetThePixelFormatTheyNeed) {
  TempDir dir;
  // Colour to PGM becomes grey; a palette BMP to PPM becomes colour.
  ASSERT_EQ(RunConvert(Quote(vutest::Sample("chelsea.ppm")) + " " + Quote(dir.Path("g.pgm"))), 0);
  ScopedImage grey;
  ASSERT_EQ(grey.LoadImage(dir.Path("g.pgm").c_str()), 0);
  EXPECT_EQ(grey.format, BM_8BIT_GRAY);

  ScopedImage palette;
  ASSERT_EQ(palette.AllocateBitmap(3, 2, 4, BM_8BIT_COLOR), 1);
  palette.palette[1] = vuRGBA{0, 0, 200, 0};
  palette.Row(1)[0] = 1;
  ASSERT_EQ(palette.SaveImage(dir.Path("p.bmp").c_str(), 2, nullptr), 0);
  ASSERT_EQ(RunConvert(Quote(dir.Path("p.bmp")) + " " + Quote(dir.Path("p.ppm"))), 0);
  std::vector<uint8_t> bytes = vutest::ReadFileBytes(dir.Path("p.ppm"));
  std::string header = "P6 3 2 255\n";
  ASSERT_EQ(bytes.size(), header.size() + 18);
  EXPECT_EQ(bytes[header.size()], 200); // the top-left pixel is red

  // 16-bit samples stay 16-bit in PGM.
  std::vector<uint8_t> deep = {'P', '5', ' ', '1', ' ',  '1',  ' ',
                               '4', '0', '9', '5', '\n', 0x0A, 0xBC};
  vutest::WriteFileBytes(dir.Path("deep.pgm"), deep);
  ASSERT_EQ(RunConvert(Quote(dir.Path("deep.pgm")) + " " + Quote(dir.Path("deep2.pgm"))), 0);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("deep2.pgm")), deep);
}

TEST(ConvertCommand, InfoReportsTheFileFacts) {
  std::string output;
  ASSERT_EQ(RunConvert("--info " + Quote(vutest::Sample("camera.pgm")), &output), 0);
  EXPECT_NE(output.find("Portable Gray Map"), std::string::npos);
  EXPECT_NE(output.find("width:          512"), std::string::npos);
  EXPECT_NE(output.find("bits per pixel: 8"), std::string::npos);
  EXPECT_NE(output.find("file size:      262159 bytes"), std::string::npos);
}

TEST(ConvertCommand, FailuresGiveOneLineAndTheExitStatus) {
  TempDir dir;
  std::string output;
  EXPECT_EQ(RunConvert(Quote(dir.Path("missing.ppm")) + " " + Quote(dir.Path("x.bmp")), &output),
            1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("missing.ppm") +
                        ": cannot open the file: no such file or directory\n");
  vutest::WriteFileBytes(dir.Path("text.ppm"), {'h', 'i'});
  EXPECT_EQ(RunConvert(Quote(dir.Path("text.ppm")) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("text.ppm") + ": unknown file type\n");
  vutest::WriteFileBytes(dir.Path("bad.ppm"),
                         {'P', '6', ' ', '9', ' ', '9', ' ', '2', '5', '5', '\n'});
  EXPECT_EQ(RunConvert(Quote(dir.Path("bad.ppm")) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.bmp")));
  // Writing where no file can be made leaves nothing behind.
  EXPECT_EQ(RunConvert(Quote(vutest::Sample("camera.pgm")) + " " + Quote(dir.Path("none/x.bmp"))),
            1);

  EXPECT_EQ(RunConvert("", &output), 2);
  EXPECT_EQ(RunConvert("--frobnicate a b", &output), 2);
  EXPECT_NE(output.find("unknown option --frobnicate"), std::string::npos);
  EXPECT_EQ(RunConvert(Quote(vutest::Sample("camera.pgm")) + " out.xyz"), 2);
  EXPECT_EQ(RunConvert("--help", &output), 0);
  EXPECT_NE(output.find("--batch"), std::string::npos);
}

TEST(ConvertCommand, BatchConvertsWhatItCanAndReportsTheRest) {
  TempDir dir;
  std::filesystem::copy_file(vutest::Sample("camera.pgm"), dir.Path("photo.final.pgm"));
  vutest::WriteFileBytes(dir.Path("broken.ppm"), {'P', '6', ' ', '4'});
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(jobs);
    std::string out = dir.Path(std::string("out") + jobs);
    std::string output;
    int status =
        RunConvert("--batch --to bmp -o " + Quote(out) + " -j " + jobs + " " +
                       Quote(dir.Path("photo.final.pgm")) + " " + Quote(dir.Path("broken.ppm")) +
                       " " + Quote(vutest::Sample("chelsea.ppm")),
                   &output);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(std::filesystem::exists(out + "/photo.final.bmp"));
    EXPECT_TRUE(std::filesystem::exists(out + "/chelsea.bmp"));
    EXPECT_FALSE(std::filesystem::exists(out + "/broken.bmp"));
    EXPECT_NE(output.find("vuconvert: " + dir.Path("broken.ppm") + ": "), std::string::npos);
    EXPECT_NE(output.find("converted 2 of 3 files"), std::string::npos);
    // No temporary files are left in the output folder.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(out)) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, 2);
  }
  EXPECT_EQ(RunConvert("--batch -o " + Quote(dir.Path("o")) + " " + Quote(dir.Path("broken.ppm"))),
            2);
}

TEST(ConvertCommand, QualityOutsideTheOutputTypesRangeIsBadUsage) {
  TempDir dir;
  std::string sample = Quote(vutest::Sample("camera.pgm"));
  std::string output;
  EXPECT_EQ(RunConvert(sample + " " + Quote(dir.Path("a.jpg")) + " -q 101", &output), 2);
  EXPECT_NE(output.find("JPEG quality must be 1..100"), std::string::npos);
  EXPECT_EQ(RunConvert(sample + " " + Quote(dir.Path("a.wif")) + " -q 256"), 2);
  EXPECT_EQ(RunConvert(sample + " " + Quote(dir.Path("a.bmp")) + " -q 50"), 2);
  EXPECT_EQ(RunConvert("--batch --to jpg -o " + Quote(dir.Path("o")) + " -q 300 " + sample), 2);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("a.jpg")));
  EXPECT_EQ(RunConvert(sample + " " + Quote(dir.Path("a.jpg")) + " -q 100"), 0);
}

TEST(ConvertCommand, FilesTheSignaturesMissAreReadByTheirExtension) {
  TempDir dir;
  // A true-colour Targa file with a three-byte identification field: no signature matches it.
  std::vector<uint8_t> targa = {3, 0, 2,  0,    0,   0,   0,   0,  0,  0,  0,  0,  2, 0,
                                1, 0, 24, 0x20, 'a', 'b', 'c', 10, 20, 30, 40, 50, 60};
  vutest::WriteFileBytes(dir.Path("id.tga"), targa);
  ASSERT_EQ(RunConvert(Quote(dir.Path("id.tga")) + " " + Quote(dir.Path("id.ppm"))), 0);
  std::vector<uint8_t> expected = {'P', '6',  ' ', '2', ' ', '1', ' ', '2', '5',
                                   '5', '\n', 30,  20,  10,  60,  50,  40};
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("id.ppm")), expected);
  // The same bytes under a name that says nothing stay unknown.
  vutest::WriteFileBytes(dir.Path("id.dat"), targa);
  std::string output;
  EXPECT_EQ(RunConvert(Quote(dir.Path("id.dat")) + " " + Quote(dir.Path("x.ppm")), &output), 1);
  EXPECT_NE(output.find("unknown file type"), std::string::npos);
}
