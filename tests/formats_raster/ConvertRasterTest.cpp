// The converter with Targa, PCX and GIF files: conversions both ways, --info and batch mode.
#include <gtest/gtest.h>

#include "RasterTestHelpers.h"

using namespace vutest;
using namespace rastertest;

namespace {

int Convert(const std::string& arguments, std::string* output = nullptr) {
  return RunCommand(Quote(ConvertPath()) + " " + arguments, output);
}

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

TEST(ConvertRaster, ToAndFromTargaPcxAndGif) {
  TempDir dir;
  ScopedImage source;
  ASSERT_EQ(source.LoadImage(Sample("chelsea.ppm").c_str()), 0);
  for (const char* name : {"c.tga", "c.vst", "c.pcx"}) {
    std::string out = dir.Path(name);
    ASSERT_EQ(Convert(Quote(Sample("chelsea.ppm")) + " " + Quote(out)), 0) << name;
    ScopedImage back;
    ASSERT_EQ(back.LoadImage(out.c_str()), 0) << name;
    EXPECT_TRUE(SamePixels(source, back)) << name;
    // And back again to a portable pixel map.
    std::string ppm = dir.Path(std::string(name) + ".ppm");
    ASSERT_EQ(Convert(Quote(out) + " " + Quote(ppm)), 0);
    ScopedImage again;
    ASSERT_EQ(again.LoadImage(ppm.c_str()), 0);
    EXPECT_TRUE(SamePixels(source, again)) << name;
  }

  // A grey picture to PCX keeps its levels.
  ScopedImage grey;
  ASSERT_EQ(grey.LoadImage(Sample("camera.pgm").c_str()), 0);
  std::string greyPcx = dir.Path("g.pcx");
  ASSERT_EQ(Convert(Quote(Sample("camera.pgm")) + " " + Quote(greyPcx)), 0);
  ScopedImage greyBack;
  ASSERT_EQ(greyBack.LoadImage(greyPcx.c_str()), 0);
  EXPECT_EQ(greyBack.format, BM_8BIT_GRAY);
  EXPECT_TRUE(SamePixels(grey, greyBack));

  // GIF is read, never written.
  std::string gif = dir.Path("s.gif");
  WriteFileBytes(gif, SmallGif());
  std::string fromGif = dir.Path("s.tga");
  ASSERT_EQ(Convert(Quote(gif) + " " + Quote(fromGif)), 0);
  ScopedImage gifBack;
  ASSERT_EQ(gifBack.LoadImage(fromGif.c_str()), 0);
  std::vector<uint8_t> expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 0, 255, 0, 255, 0, 0};
  EXPECT_EQ(TopDownRgb(gifBack), expected);
  std::string output;
  EXPECT_EQ(Convert(Quote(fromGif) + " " + Quote(dir.Path("x.gif")), &output), 2) << output;
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.gif")));
}

TEST(ConvertRaster, InfoAndBatch) {
  TempDir dir;
  std::string tga = dir.Path("a.tga"), pcx = dir.Path("b.pcx"), gif = dir.Path("c.gif");
  ASSERT_EQ(Convert(Quote(Sample("chelsea.ppm")) + " " + Quote(tga)), 0);
  ASSERT_EQ(Convert(Quote(Sample("camera.pgm")) + " " + Quote(pcx)), 0);
  WriteFileBytes(gif, SmallGif());
  std::string output;
  ASSERT_EQ(Convert("--info " + Quote(tga) + " " + Quote(pcx) + " " + Quote(gif), &output), 0)
      << output;
  EXPECT_NE(output.find("Targa Image (TGA)"), std::string::npos) << output;
  EXPECT_NE(output.find("Microsoft Paint Image (PCX)"), std::string::npos) << output;
  EXPECT_NE(output.find("Graphics Interchange Format (GIF)"), std::string::npos) << output;
  EXPECT_NE(output.find("width:          451"), std::string::npos) << output;
  EXPECT_NE(output.find("bits per pixel: 2"), std::string::npos) << output; // the GIF's table

  std::string out = dir.Path("out");
  std::filesystem::create_directory(out);
  ASSERT_EQ(Convert("--batch --to pcx -o " + Quote(out) + " " + Quote(tga) + " " + Quote(gif) +
                        " 2>/dev/null",
                    &output),
            0)
      << output;
  ScopedImage fromTga, fromGif;
  ASSERT_EQ(fromTga.LoadImage((out + "/a.pcx").c_str()), 0);
  EXPECT_EQ(fromTga.Width(), 451);
  ASSERT_EQ(fromGif.LoadImage((out + "/c.pcx").c_str()), 0);
  EXPECT_EQ(fromGif.Width(), 3);
  ASSERT_EQ(Convert("--batch --to tga -o " + Quote(out) + " " + Quote(pcx) + " 2>/dev/null"), 0);
  ScopedImage fromPcx;
  ASSERT_EQ(fromPcx.LoadImage((out + "/b.tga").c_str()), 0);
  EXPECT_EQ(fromPcx.Height(), 512);
}
