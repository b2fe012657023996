// vuconvert with every file format: conversions both ways, --info, -q for JPEG, batch mode.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

using namespace vutest;

namespace {

// A small colour GIF written by this test (fixed-width codes, clear code every two pixels).
std::vector<uint8_t> SmallGif() {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0x81, 0, 0};
  for (int v : {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9})
    Put8(out, v);
  for (int v : {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2})
    Put8(out, v);
  // Codes (3 bits): clear, 0, 1, clear, 2, 3, clear, 1, 0, end.
  std::vector<int> codes = {4, 0, 1, 4, 2, 3, 4, 1, 0, 5};
  std::vector<uint8_t> data;
  uint32_t buffer = 0;
  int bits = 0;
  for (int code : codes) {
    buffer |= uint32_t(code) << bits;
    bits += 3;
    while (bits >= 8) {
      data.push_back(uint8_t(buffer));
      buffer >>= 8;
      bits -= 8;
    }
  }
  if (bits) data.push_back(uint8_t(buffer));
  Put8(out, int(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  Put8(out, 0);
  Put8(out, ';');
  return out;
}

} // namespace

TEST(ConvertLibFormats, ConvertsToAndFromTiffJpegAndPng) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  std::string grey = vutest::Sample("camera.pgm");
  Picture colourPicture = LoadPicture(colour);
  Picture greyPicture = LoadPicture(grey);
  for (const char* extension : {"tif", "tiff", "png", "jpg", "jpeg"}) {
    SCOPED_TRACE(extension);
    bool lossy = extension[0] == 'j';
    for (const auto& [source, picture] :
         {std::pair{colour, &colourPicture}, {grey, &greyPicture}}) {
      std::string out = dir.Path(std::string("out.") + extension);
      std::string output;
      ASSERT_EQ(RunConvert((lossy ? "-q 90 " : "") + Quote(source) + " " + Quote(out), &output), 0)
          << output;
      std::string back = dir.Path(source == colour ? "back.ppm" : "back.pgm");
      ASSERT_EQ(RunConvert(Quote(out) + " " + Quote(back), &output), 0) << output;
      Picture result = LoadPicture(back);
      if (lossy) {
        EXPECT_GT(Psnr(result, *picture), 35.0);
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
    ASSERT_EQ(RunConvert(Quote(colour) + " " + Quote(dir.Path(c.file))), 0);
    files.append(" ").append(Quote(dir.Path(c.file)));
  }
  std::string output;
  ASSERT_EQ(RunConvert("--info" + files, &output), 0) << output;
  for (const Case& c : cases)
    EXPECT_NE(output.find(c.type), std::string::npos) << output;
  EXPECT_NE(output.find("width:          451"), std::string::npos) << output;
  EXPECT_NE(output.find("bits per pixel: 24"), std::string::npos) << output;
}

TEST(ConvertLibFormats, QualityGoesToTheJpegWriter) {
  TempDir dir;
  std::string colour = vutest::Sample("chelsea.ppm");
  std::string low = dir.Path("low.jpg"), high = dir.Path("high.jpg"), plain = dir.Path("plain.jpg");
  ASSERT_EQ(RunConvert("-q 20 " + Quote(colour) + " " + Quote(low)), 0);
  ASSERT_EQ(RunConvert(Quote(colour) + " --quality 95 " + Quote(high)), 0);
  ASSERT_EQ(RunConvert(Quote(colour) + " " + Quote(plain)), 0);
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
  EXPECT_NE(RunConvert("-q 101 " + Quote(colour) + " " + Quote(dir.Path("bad.jpg")), &output), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("bad.jpg")));
  EXPECT_NE(RunConvert("-q 20 " + Quote(colour) + " " + Quote(dir.Path("bad.png")), &output), 0);
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
        RunConvert(std::string("--batch --to ") + to + " -o " + Quote(out) + " " + inputs, &output),
        0)
        << output;
    for (const char* name : {"chelsea", "camera"}) {
      std::string written = out + "/" + name + "." + to;
      ASSERT_TRUE(std::filesystem::exists(written)) << written;
      int result = -99;
      LoadPicture(written, &result);
      EXPECT_EQ(result, 0);
    }
  }
  // Palette images reach the JPEG writer as colour.
  if (HaveImageMagick()) {
    std::string palette = dir.Path("palette.png");
    ASSERT_TRUE(Shell("convert " + Quote(vutest::Sample("chelsea.ppm")) + " -colors 16 " +
                      Quote("PNG8:" + palette)));
    std::string fromPalette = dir.Path("from-palette.jpg");
    ASSERT_EQ(RunConvert("-q 95 " + Quote(palette) + " " + Quote(fromPalette)), 0);
    EXPECT_GT(Psnr(LoadPicture(fromPalette), LoadPicture(palette)), 30.0);
  }
}

TEST(ConvertLibFormats, FilesFromOtherToolsConvert) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  std::string photo = SmallPhoto(dir, 37, 29);
  struct Tool {
    const char* name;
    const char* arguments;
  } tools[] = {{"lzw.tif", "-compress lzw"},
               {"tiled.tif", "-define tiff:tile-geometry=16x16"},
               {"interlaced.png", "-interlace PNG"}};
  for (const Tool& tool : tools) {
    SCOPED_TRACE(tool.name);
    std::string source = dir.Path(std::string("tool-") + tool.name);
    ASSERT_TRUE(Shell("convert " + Quote(photo) + " " + tool.arguments + " " + Quote(source)));
    std::string out = dir.Path("converted.ppm");
    std::string output;
    ASSERT_EQ(RunConvert(Quote(source) + " " + Quote(out), &output), 0) << output;
    std::string why;
    EXPECT_EQ(MaxDifference(LoadPicture(out), LoadPicture(photo), &why), 0) << why;
  }
}

TEST(ConvertRaster, ToAndFromTargaPcxAndGif) {
  TempDir dir;
  ScopedImage source;
  ASSERT_EQ(source.LoadImage(Sample("chelsea.ppm").c_str()), 0);
  for (const char* name : {"c.tga", "c.vst", "c.pcx"}) {
    std::string out = dir.Path(name);
    ASSERT_EQ(RunConvert(Quote(Sample("chelsea.ppm")) + " " + Quote(out)), 0) << name;
    ScopedImage back;
    ASSERT_EQ(back.LoadImage(out.c_str()), 0) << name;
    EXPECT_TRUE(SamePixels(source, back)) << name;
    // And back again to a portable pixel map.
    std::string ppm = dir.Path(std::string(name) + ".ppm");
    ASSERT_EQ(RunConvert(Quote(out) + " " + Quote(ppm)), 0);
    ScopedImage again;
    ASSERT_EQ(again.LoadImage(ppm.c_str()), 0);
    EXPECT_TRUE(SamePixels(source, again)) << name;
  }

  // A grey picture to PCX keeps its levels.
  ScopedImage grey;
  ASSERT_EQ(grey.LoadImage(Sample("camera.pgm").c_str()), 0);
  std::string greyPcx = dir.Path("g.pcx");
  ASSERT_EQ(RunConvert(Quote(Sample("camera.pgm")) + " " + Quote(greyPcx)), 0);
  ScopedImage greyBack;
  ASSERT_EQ(greyBack.LoadImage(greyPcx.c_str()), 0);
  EXPECT_EQ(greyBack.format, BM_8BIT_GRAY);
  EXPECT_TRUE(SamePixels(grey, greyBack));

  // GIF is read, never written.
  std::string gif = dir.Path("s.gif");
  WriteFileBytes(gif, SmallGif());
  std::string fromGif = dir.Path("s.tga");
  ASSERT_EQ(RunConvert(Quote(gif) + " " + Quote(fromGif)), 0);
  ScopedImage gifBack;
  ASSERT_EQ(gifBack.LoadImage(fromGif.c_str()), 0);
  std::vector<uint8_t> expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 0, 255, 0, 255, 0, 0};
  EXPECT_EQ(RgbBytesTopDown(gifBack), expected);
  std::string output;
  EXPECT_EQ(RunConvert(Quote(fromGif) + " " + Quote(dir.Path("x.gif")), &output), 2) << output;
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.gif")));
}

TEST(ConvertRaster, InfoAndBatch) {
  TempDir dir;
  std::string tga = dir.Path("a.tga"), pcx = dir.Path("b.pcx"), gif = dir.Path("c.gif");
  ASSERT_EQ(RunConvert(Quote(Sample("chelsea.ppm")) + " " + Quote(tga)), 0);
  ASSERT_EQ(RunConvert(Quote(Sample("camera.pgm")) + " " + Quote(pcx)), 0);
  WriteFileBytes(gif, SmallGif());
  std::string output;
  ASSERT_EQ(RunConvert("--info " + Quote(tga) + " " + Quote(pcx) + " " + Quote(gif), &output), 0)
      << output;
  EXPECT_NE(output.find("Targa Image (TGA)"), std::string::npos) << output;
  EXPECT_NE(output.find("Microsoft Paint Image (PCX)"), std::string::npos) << output;
  EXPECT_NE(output.find("Graphics Interchange Format (GIF)"), std::string::npos) << output;
  EXPECT_NE(output.find("width:          451"), std::string::npos) << output;
  EXPECT_NE(output.find("bits per pixel: 2"), std::string::npos) << output; // the GIF's table

  std::string out = dir.Path("out");
  std::filesystem::create_directory(out);
  ASSERT_EQ(RunConvert("--batch --to pcx -o " + Quote(out) + " " + Quote(tga) + " " + Quote(gif) +
                           " 2>/dev/null",
                       &output),
            0)
      << output;
  ScopedImage fromTga, fromGif;
  ASSERT_EQ(fromTga.LoadImage((out + "/a.pcx").c_str()), 0);
  EXPECT_EQ(fromTga.Width(), 451);
  ASSERT_EQ(fromGif.LoadImage((out + "/c.pcx").c_str()), 0);
  EXPECT_EQ(fromGif.Width(), 3);
  ASSERT_EQ(RunConvert("--batch --to tga -o " + Quote(out) + " " + Quote(pcx) + " 2>/dev/null"), 0);
  ScopedImage fromPcx;
  ASSERT_EQ(fromPcx.LoadImage((out + "/b.tga").c_str()), 0);
  EXPECT_EQ(fromPcx.Height(), 512);
}
