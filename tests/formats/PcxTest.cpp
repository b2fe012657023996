// PCX files: the run-length rule, hand-made files of every plane layout, the writer's layout,
// files of independent tools both ways, and damaged files.
#include <gtest/gtest.h>

#include "formats/PcxRW.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

std::vector<uint8_t> PcxHeaderBytes(int bits, int planes, int width, int height, int bytesPerLine,
                                    const std::vector<uint8_t>& map = {}, int xMin = 0,
                                    int yMin = 0) {
  std::vector<uint8_t> h;
  Put8(h, 10);
  Put8(h, 5);
  Put8(h, 1);
  Put8(h, bits);
  Put16(h, xMin);
  Put16(h, yMin);
  Put16(h, xMin + width - 1);
  Put16(h, yMin + height - 1);
  Put16(h, 72);
  Put16(h, 72);
  for (int i = 0; i < 48; ++i)
    Put8(h, i < int(map.size()) ? map[size_t(i)] : 0);
  Put8(h, 0);
  Put8(h, planes);
  Put16(h, bytesPerLine);
  Put16(h, 1);
  h.resize(128, 0);
  return h;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& line) {
  std::vector<uint8_t> out;
  PcxRW::EncodeLine(line.data(), int(line.size()), &out);
  return out;
}

// Index of pixel (x, row from the top).
int IndexAt(vuImage& image, int x, int rowFromTop) {
  uint16_t p[4] = {0, 0, 0, 0};
  image.accessor->GetRaw(x, image.Height() - 1 - rowFromTop, p);
  return p[0];
}

using PcxTest = FileTest;

} // namespace

TEST(PcxEncoding, RunsAndHighBytes) {
  EXPECT_EQ(Encode(std::vector<uint8_t>(63, 7)), (std::vector<uint8_t>{0xFF, 7}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(64, 7)), (std::vector<uint8_t>{0xFF, 7, 7}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(64, 0xC5)), (std::vector<uint8_t>{0xFF, 0xC5, 0xC1, 0xC5}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(126, 1)), (std::vector<uint8_t>{0xFF, 1, 0xFF, 1}));
  EXPECT_EQ(Encode({0xC0, 1, 2, 2}), (std::vector<uint8_t>{0xC1, 0xC0, 1, 0xC2, 2}));
  EXPECT_EQ(Encode({0xBF}), (std::vector<uint8_t>{0xBF}));
}

TEST_F(PcxTest, SixteenColourFourPlaneFile) {
  // 16 x 1 pixels with indices 0..15, as four 1-bit planes (two bytes a plane line).
  std::vector<uint8_t> map;
  for (int i = 0; i < 16; ++i) {
    map.push_back(uint8_t(i * 16));
    map.push_back(uint8_t(255 - i));
    map.push_back(uint8_t(i));
  }
  std::vector<uint8_t> bytes = PcxHeaderBytes(1, 4, 16, 1, 2, map);
  for (int plane = 0; plane < 4; ++plane) {
    int bitsOfPlane = 0;
    for (int x = 0; x < 16; ++x)
      bitsOfPlane |= ((x >> plane) & 1) << (15 - x);
    for (int b : {bitsOfPlane >> 8, bitsOfPlane & 0xFF}) {
      if ((b & 0xC0) == 0xC0) Put8(bytes, 0xC1);
      Put8(bytes, b);
    }
  }
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("16.pcx", bytes).c_str()), 0);
  ASSERT_EQ(image.format, BM_8BIT_COLOR);
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(IndexAt(image, x, 0), x);
    EXPECT_EQ(image.palette[x].red, x * 16);
    EXPECT_EQ(image.palette[x].green, 255 - x);
    EXPECT_EQ(image.palette[x].blue, x);
  }
}

TEST_F(PcxTest, PackedPixelsTwoBitPlanesAndOrigin) {
  // 2 bits in one plane, width 5 (odd), origin (3, 4): values 0 1 2 3 1.
  std::vector<uint8_t> map = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  std::vector<uint8_t> bytes = PcxHeaderBytes(2, 1, 5, 2, 2, map, 3, 4);
  for (int row = 0; row < 2; ++row) {
    Put8(bytes, 0x1B); // 00 01 10 11
    Put8(bytes, 0x40); // 01 00 00 00
  }
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("2bit.pcx", bytes).c_str()), 0);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 2);
  std::vector<int> expected = {0, 1, 2, 3, 1};
  for (int x = 0; x < 5; ++x)
    EXPECT_EQ(IndexAt(image, x, 1), expected[size_t(x)]);
  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(dir.Path("2bit.pcx").c_str(), &info), 0);
  EXPECT_EQ(info.width, 5);
  EXPECT_EQ(info.bitsPerPixel, 2);
}

TEST_F(PcxTest, MonochromeWithAnEmptyMapIsBlackAndWhite) {
  std::vector<uint8_t> bytes = PcxHeaderBytes(1, 1, 8, 1, 2);
  Put8(bytes, 0x0F);
  Put8(bytes, 0x00);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("mono.pcx", bytes).c_str()), 0);
  std::vector<uint8_t> rgb = RgbBytesTopDown(image);
  EXPECT_EQ(rgb[0], 0);       // first pixel: bit clear, black
  EXPECT_EQ(rgb[3 * 7], 255); // last pixel: bit set, white
}

TEST_F(PcxTest, PaletteTrailerAndRunsAcrossRows) {
  // 8-bit, 3 x 2: one run of 6 crosses the row end (bytes per line 4: 3 pixels and a pad).
  std::vector<uint8_t> bytes = PcxHeaderBytes(8, 1, 3, 2, 4);
  Put8(bytes, 0xC8);
  Put8(bytes, 200);
  Put8(bytes, 12);
  for (int i = 0; i < 256; ++i) {
    Put8(bytes, i);
    Put8(bytes, 0);
    Put8(bytes, 255 - i);
  }
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("trailer.pcx", bytes).c_str()), 0);
  ASSERT_EQ(image.format, BM_8BIT_COLOR);
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(IndexAt(image, x, row), 200);
  }
  EXPECT_EQ(image.palette[200].red, 200);
  EXPECT_EQ(image.palette[200].blue, 55);
}

TEST_F(PcxTest, UnstorableLayoutsAndDamageAreRefused) {
  // 8 bits by 4 planes, 4 bits by 4 planes, an empty header, a huge claim from a tiny file.
  for (auto [bits, planes] : {std::pair{8, 4}, {4, 4}, {8, 2}, {3, 1}}) {
    std::vector<uint8_t> bytes = PcxHeaderBytes(bits, planes, 4, 4, 4);
    bytes.resize(300, 0);
    ScopedImage image;
    EXPECT_EQ(image.LoadImage(Write("bad.pcx", bytes).c_str()), -2) << bits << "x" << planes;
  }
  std::vector<uint8_t> huge = PcxHeaderBytes(8, 1, 30000, 30000, 30000);
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(Write("huge.pcx", huge).c_str()), -2);
  std::vector<uint8_t> cut = {10, 5, 1, 8};
  EXPECT_EQ(image.LoadImage(Write("cut.pcx", cut).c_str()), -2);
  // Data that ends early is damaged: LoadImage refuses it; the reader itself keeps the part that
  // came and clears the rest.
  std::vector<uint8_t> shortData = PcxHeaderBytes(8, 3, 4, 3, 4);
  for (int i = 0; i < 5; ++i)
    Put8(shortData, 0x33);
  ASSERT_EQ(image.LoadImage(Write("short.pcx", shortData).c_str()), -2);
  EXPECT_EQ(image.header, nullptr);
  std::string damage;
  ASSERT_EQ(vutest::ReadWithReader(image, 3, dir.Path("short.pcx"), &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 1 of 3");
  ASSERT_NE(image.header, nullptr);
  std::vector<uint8_t> rgb = RgbBytesTopDown(image);
  EXPECT_EQ(rgb[0], 0x33);
  EXPECT_EQ(rgb.back(), 0);
}

TEST_F(PcxTest, WriterMakesVersion5FilesWithThePaletteTrailer) {
  ScopedImage palette;
  ASSERT_TRUE(palette.AllocateBitmap(7, 3, 256, BM_8BIT_COLOR));
  for (int i = 0; i < 256; ++i)
    palette.palette[i] = vuRGBA{uint8_t(i), uint8_t(i / 2), uint8_t(255 - i), 0};
  FillPattern(palette, 5);
  std::string path = dir.Path("w8.pcx");
  ASSERT_EQ(palette.SaveImage(path.c_str(), 3), 0);
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 128u + 769u);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[1], 5);
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[3], 8);
  EXPECT_EQ(bytes[65], 1);                    // planes
  EXPECT_EQ(bytes[66] | (bytes[67] << 8), 8); // bytes a line, even
  size_t trailer = bytes.size() - 769;
  EXPECT_EQ(bytes[trailer], 12);
  EXPECT_EQ(bytes[trailer + 1 + 3 * 9], 255 - 9); // red of entry 9
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(path.c_str()), 0);
  EXPECT_TRUE(SamePixels(palette, back));

  ScopedImage colour;
  ASSERT_TRUE(colour.AllocateBitmap(9, 4, 0, BM_24BIT));
  FillPattern(colour, 6);
  ASSERT_EQ(colour.SaveImage(path.c_str(), 3), 0);
  bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes[65], 3);
  EXPECT_EQ(bytes[66] | (bytes[67] << 8), 10);
  ScopedImage colourBack;
  ASSERT_EQ(colourBack.LoadImage(path.c_str()), 0);
  EXPECT_TRUE(SamePixels(colour, colourBack));

  // Sixteen-colour images carry the header map too, and 4-bit images are stored a byte a pixel.
  ScopedImage four;
  ASSERT_TRUE(four.AllocateBitmap(5, 2, 16, BM_4BIT));
  for (int i = 0; i < 16; ++i)
    four.palette[i] = vuRGBA{uint8_t(10 * i), 0, uint8_t(200 - i), 0};
  FillPattern(four, 2);
  ASSERT_EQ(four.SaveImage(path.c_str(), 3), 0);
  bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes[16 + 3 * 2], 198); // red of header entry 2
  ScopedImage fourBack;
  ASSERT_EQ(fourBack.LoadImage(path.c_str()), 0);
  EXPECT_EQ(RgbBytesTopDown(fourBack), RgbBytesTopDown(four));

  // Formats the file cannot hold: a clean failure and no file.
  ScopedImage deep;
  ASSERT_TRUE(deep.AllocateBitmap(3, 3, 0, BM_48BIT));
  std::string none = dir.Path("none.pcx");
  EXPECT_EQ(deep.SaveImage(none.c_str(), 3), -1);
  EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(PcxTest, FilesOfIndependentToolsReadAsTheyDecodeThem) {
  if (!HaveImageMagick() || !HavePillow()) GTEST_SKIP() << "ImageMagick or Pillow missing";
  std::string small = SmallPhoto(dir, 101, 67);
  std::string in = Quote(small);
  auto out = [&](const std::string& name) { return Quote(dir.Path(name)); };
  std::vector<std::pair<std::string, std::string>> variants = {
      {"im24.pcx", "convert " + in + " " + out("im24.pcx")},
      {"impal.pcx", "convert " + in + " -colors 200 -type Palette " + out("impal.pcx")},
      {"im16.pcx", "convert " + in + " -colors 16 -type Palette " + out("im16.pcx")},
      {"immono.pcx", "convert " + in + " -monochrome " + out("immono.pcx")},
      {"imgrey.pcx", "convert " + in + " -type Grayscale " + out("imgrey.pcx")},
  };
  std::string py = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                   "im=Image.open(sys.argv[1]); ";
  for (auto [name, code] : std::vector<std::pair<std::string, std::string>>{
           {"pil24.pcx", "im.save(sys.argv[2])"},
           {"pilpal.pcx", "im.quantize(77).save(sys.argv[2])"},
           {"pilgrey.pcx", "im.convert('L').save(sys.argv[2])"},
           {"pilmono.pcx", "im.convert('1').save(sys.argv[2])"}}) {
    variants.push_back({name, py + code + "\" " + in + " " + out(name)});
  }
  if (HaveProgram("ppmtopcx")) {
    std::string q16 = "pnmquant 16 " + in + " 2>/dev/null | ppmtopcx";
    std::string q4 = "pnmquant 4 " + in + " 2>/dev/null | ppmtopcx";
    std::string q2 = "pnmquant 2 " + in + " 2>/dev/null | ppmtopcx";
    variants.push_back({"nbplanes16.pcx", q16 + " > " + out("nbplanes16.pcx")});
    variants.push_back({"nbpacked16.pcx", q16 + " -packed > " + out("nbpacked16.pcx")});
    variants.push_back({"nbplanes4.pcx", q4 + " -planes 2 > " + out("nbplanes4.pcx")});
    variants.push_back({"nbpacked4.pcx", q4 + " -packed > " + out("nbpacked4.pcx")});
    variants.push_back({"nbmono.pcx", q2 + " > " + out("nbmono.pcx")});
    variants.push_back({"nb8.pcx", q16 + " -8bit > " + out("nb8.pcx")});
    variants.push_back({"nb24.pcx", "ppmtopcx -24bit " + in + " > " + out("nb24.pcx")});
  }
  int checked = 0;
  for (const auto& [name, command] : variants) {
    SCOPED_TRACE(name);
    ASSERT_EQ(RunCommand("{ " + command + "; } 2>/dev/null"), 0) << command;
    std::string file = dir.Path(name);
    ScopedImage ours;
    ASSERT_EQ(ours.LoadImage(file.c_str()), 0);
    Picture theirs;
    std::string why;
    // ImageMagick paints one-bit files white and black whatever their map says (Pillow's give
    // two black entries and mean black and white; netpbm's give two real colours).
    if (name != "pilmono.pcx" && name != "nbmono.pcx") {
      theirs = MagickDecode(file, "-auto-orient", 8, dir);
      EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against ImageMagick";
    }
    // Pillow reads neither planar nor packed files of fewer than 8 bits.
    if (name.rfind("nb", 0) != 0) {
      theirs = PillowDecode(file, dir, Alpha::Drop);
      EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against Pillow";
    }
    if (HaveProgram("pcxtoppm")) {
      theirs = CommandDecode("pcxtoppm " + Quote(file) + " > " + Quote(dir.Path("nb.ppm")),
                             dir.Path("nb.ppm"));
      ASSERT_EQ(theirs.width, 101);
      ASSERT_EQ(theirs.height, 67);
      EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against netpbm";
    }
    ++checked;
  }
  EXPECT_GE(checked, 9);
}

TEST_F(PcxTest, ToolsReadWhatWeWrite) {
  if (!HaveImageMagick() || !HavePillow()) GTEST_SKIP() << "ImageMagick or Pillow missing";
  ScopedImage colour;
  ASSERT_EQ(colour.LoadImage(Sample("chelsea.ppm").c_str()), 0);
  ScopedImage grey;
  ASSERT_EQ(grey.LoadImage(Sample("camera.pgm").c_str()), 0);
  ScopedImage odd;
  ASSERT_TRUE(odd.AllocateBitmap(37, 5, 100, BM_8BIT_COLOR));
  for (int i = 0; i < 100; ++i)
    odd.palette[i] = vuRGBA{uint8_t(i * 2), uint8_t(250 - i), uint8_t(i * 7), 0};
  FillPattern(odd, 9);
  for (vuImage* source : {static_cast<vuImage*>(&colour), static_cast<vuImage*>(&grey),
                          static_cast<vuImage*>(&odd)}) {
    std::string path = dir.Path("ours.pcx");
    ASSERT_EQ(source->SaveImage(path.c_str(), 3), 0);
    Picture expected = PictureOf(*source);
    Picture theirs;
    std::string why;
    theirs = PillowDecode(path, dir, Alpha::Drop);
    EXPECT_EQ(MaxDifference(expected, theirs, &why), 0)
        << why << "; Pillow, format " << source->format;
    theirs = MagickDecode(path, "-auto-orient", 8, dir);
    EXPECT_EQ(MaxDifference(expected, theirs, &why), 0)
        << why << "; ImageMagick, format " << source->format;
    if (HaveProgram("pcxtoppm")) {
      theirs = CommandDecode("pcxtoppm " + Quote(path) + " > " + Quote(dir.Path("nb.ppm")),
                             dir.Path("nb.ppm"));
      EXPECT_EQ(MaxDifference(expected, theirs, &why), 0)
          << why << "; netpbm, format " << source->format;
    }
  }
}

TEST_F(PcxTest, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  ScopedImage source;
  ASSERT_TRUE(source.AllocateBitmap(13, 9, 256, BM_8BIT_COLOR));
  FillPattern(source, 4);
  std::string path = dir.Path("valid.pcx");
  ASSERT_EQ(source.SaveImage(path.c_str(), 3), 0);
  ExpectBothOutcomes(LoadDamagedCopies(ReadFileBytes(path), dir.Path("m.pcx"), {.seed = 21}));
  std::vector<uint8_t> planar = PcxHeaderBytes(1, 4, 13, 9, 2);
  for (int i = 0; i < 9 * 4 * 2; ++i)
    Put8(planar, (i * 37) & 0x3F);
  ExpectBothOutcomes(LoadDamagedCopies(planar, dir.Path("m.pcx"), {.seed = 22}));
}
