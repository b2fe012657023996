// vuconvert with TIFF, JPEG and PNG: conversions both ways, --info, -q for JPEG, batch mode.
#include <gtest/gtest.h>

#include <filesystem>

#include "LibFormatsSupport.h"

using libformats::Load;
using libformats::MaxDifference;
using libformats::Picture;
using vutest::Quote;
using vutest::TempDir;

namespace {

int Convert(const std::string& arguments, std::string* output = nullptr) {
  return vutest::RunCommand(Quote(vutest::ConvertPath()) + " " + arguments, output);
}

} // namespace

TEST(ConvertLibFormats, ConvertsToAndFromTiffJpegAndPng) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  std::string grey = vutest::Sample("camera.pgm");
  Picture colourPicture = Load(colour);
  Picture greyPicture = Load(grey);
  for (const char* extension : {"tif", "tiff", "png", "jpg", "jpeg"}) {
    SCOPED_TRACE(extension);
    bool lossy = extension[0] == 'j';
    for (const auto& [source, picture] :
         {std::pair{colour, &colourPicture}, {grey, &greyPicture}}) {
      std::string out = dir.Path(std::string("out.") + extension);
      std::string output;
      ASSERT_EQ(Convert((lossy ? "-q 90 " : "") + Quote(source) + " " + Quote(out), &output), 0)
          << output;
      std::string back = dir.Path(source == colour ? "back.ppm" : "back.pgm");
      ASSERT_EQ(Convert(Quote(out) + " " + Quote(back), &output), 0) << output;
      Picture result = Load(back);
      if (lossy) {
        EXPECT_GT(libformats::PicturePsnr(result, *picture), 35.0);
      } else {
        std::string why;
        EXPECT_EQ(MaxDifference(result, *picture, &why), 0) << why;
      }
    }
  }
}

TEST(ConvertLibFormats, InfoReportsTheTypes) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  struct Case {
    const char* file;
    const char* type;
  } cases[] = {{"i.tif", "Tagged Image File Format (TIF)"},
               {"i.jpg", "JPEG (JPG)"},
               {"i.png", "Portable Network Graphics (PNG)"}};
  std::string files;
  for (const Case& c : cases) {
    ASSERT_EQ(Convert(Quote(colour) + " " + Quote(dir.Path(c.file))), 0);
    files.append(" ").append(Quote(dir.Path(c.file)));
  }
  std::string output;
  ASSERT_EQ(Convert("--info" + files, &output), 0) << output;
  for (const Case& c : cases)
    EXPECT_NE(output.find(c.type), std::string::npos) << output;
  EXPECT_NE(output.find("width:          451"), std::string::npos) << output;
  EXPECT_NE(output.find("bits per pixel: 24"), std::string::npos) << output;
}

TEST(ConvertLibFormats, QualityGoesToTheJpegWriter) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  std::string low = dir.Path("low.jpg"), high = dir.Path("high.jpg"), plain = dir.Path("plain.jpg");
  ASSERT_EQ(Convert("-q 20 " + Quote(colour) + " " + Quote(low)), 0);
  ASSERT_EQ(Convert(Quote(colour) + " --quality 95 " + Quote(high)), 0);
  ASSERT_EQ(Convert(Quote(colour) + " " + Quote(plain)), 0);
  EXPECT_LT(std::filesystem::file_size(low), std::filesystem::file_size(plain));
  EXPECT_LT(std::filesystem::file_size(plain), std::filesystem::file_size(high));
  if (vutest::HaveProgram("cjpeg")) {
    std::string theirs = dir.Path("theirs.jpg");
    ASSERT_EQ(vutest::RunCommand("cjpeg -baseline -quality 20 -outfile " + Quote(theirs) + " " +
                                 Quote(colour)),
              0);
    EXPECT_EQ(vutest::ReadFileBytes(low), vutest::ReadFileBytes(theirs));
    ASSERT_EQ(vutest::RunCommand("cjpeg -baseline -quality 80 -outfile " + Quote(theirs) + " " +
                                 Quote(colour)),
              0);
    EXPECT_EQ(vutest::ReadFileBytes(plain), vutest::ReadFileBytes(theirs));
  }
  std::string output;
  EXPECT_NE(Convert("-q 101 " + Quote(colour) + " " + Quote(dir.Path("bad.jpg")), &output), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("bad.jpg")));
  EXPECT_NE(Convert("-q 20 " + Quote(colour) + " " + Quote(dir.Path("bad.png")), &output), 0);
}

TEST(ConvertLibFormats, BatchModeWritesEveryFormat) {
  TempDir dir;
  std::string inputs =
      Quote(vutest::Sample("chelsea.ppm")) + " " + Quote(vutest::Sample("camera.pgm"));
  for (const char* to : {"png", "tif", "jpg"}) {
    SCOPED_TRACE(to);
    std::string out = dir.Path(std::string("batch-") + to);
    std::filesystem::create_directories(out);
    std::string output;
    ASSERT_EQ(
        Convert(std::string("--batch --to ") + to + " -o " + Quote(out) + " " + inputs, &output), 0)
        << output;
    for (const char* name : {"chelsea", "camera"}) {
      std::string written = out + "/" + name + "." + to;
      ASSERT_TRUE(std::filesystem::exists(written)) << written;
      int result = -99;
      Load(written, &result);
      EXPECT_EQ(result, 0);
    }
  }
  // Palette images reach the JPEG writer as colour.
  if (libformats::HaveMagick()) {
    std::string palette = dir.Path("palette.png");
    ASSERT_TRUE(libformats::Shell("convert " + Quote(vutest::Sample("chelsea.ppm")) +
                                  " -colors 16 " + Quote("PNG8:" + palette)));
    std::string fromPalette = dir.Path("from-palette.jpg");
    ASSERT_EQ(Convert("-q 95 " + Quote(palette) + " " + Quote(fromPalette)), 0);
    EXPECT_GT(libformats::PicturePsnr(Load(fromPalette), Load(palette)), 30.0);
  }
}

TEST(ConvertLibFormats, FilesFromOtherToolsConvert) {
  if (!libformats::HaveMagick()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  std::string photo = libformats::SmallPhoto(dir, 37, 29);
  struct Tool {
    const char* name;
    const char* arguments;
  } tools[] = {{"lzw.tif", "-compress lzw"},
               {"tiled.tif", "-define tiff:tile-geometry=16x16"},
               {"interlaced.png", "-interlace PNG"}};
  for (const Tool& tool : tools) {
    SCOPED_TRACE(tool.name);
    std::string source = dir.Path(std::string("tool-") + tool.name);
    ASSERT_TRUE(
        libformats::Shell("convert " + Quote(photo) + " " + tool.arguments + " " + Quote(source)));
    std::string out = dir.Path("converted.ppm");
    std::string output;
    ASSERT_EQ(Convert(Quote(source) + " " + Quote(out), &output), 0) << output;
    std::string why;
    EXPECT_EQ(MaxDifference(Load(out), Load(photo), &why), 0) << why;
  }
}
