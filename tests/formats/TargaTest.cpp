// Targa files: hand-made files with known pixels, the writer's layout, files of independent tools
// both ways, and damaged files.
#include <gtest/gtest.h>

#include "formats/TargaRW.h"
#include "formats/vuRWImage.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

// An 18-byte header.
std::vector<uint8_t> TgaHeader(int imageType, int width, int height, int depth, int descriptor,
                               int mapType = 0, int mapOrigin = 0, int mapLength = 0,
                               int mapEntrySize = 0, int idLength = 0) {
  std::vector<uint8_t> h;
  Put8(h, idLength);
  Put8(h, mapType);
  Put8(h, imageType);
  Put16(h, mapOrigin);
  Put16(h, mapLength);
  Put8(h, mapEntrySize);
  Put16(h, 0);
  Put16(h, 0);
  Put16(h, width);
  Put16(h, height);
  Put8(h, depth);
  Put8(h, descriptor);
  return h;
}

void Append(std::vector<uint8_t>& out, std::initializer_list<int> bytes) {
  for (int b : bytes)
    out.push_back(static_cast<uint8_t>(b));
}

// Red, green, blue of pixel (x, row from the top).
std::vector<int> RgbAt(vuImage& image, int x, int rowFromTop) {
  uint16_t p[4] = {0, 0, 0, 0};
  image.accessor->GetRGB(x, image.Height() - 1 - rowFromTop, p);
  return {p[0], p[1], p[2]};
}

using TargaTest = FileTest;

} // namespace

TEST_F(TargaTest, BothRowOrdersGiveTheSamePicture) {
  // Top row: red, green; bottom row: blue, white (file pixels are blue, green, red).
  std::vector<uint8_t> top = TgaHeader(2, 2, 2, 24, 0x20);
  Append(top, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255});
  std::vector<uint8_t> bottom = TgaHeader(2, 2, 2, 24, 0);
  Append(bottom, {255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0});
  ScopedImage a, b;
  ASSERT_EQ(a.LoadImage(Write("top.tga", top).c_str()), 0);
  ASSERT_EQ(b.LoadImage(Write("bottom.tga", bottom).c_str()), 0);
  EXPECT_EQ(a.format, BM_24BIT);
  EXPECT_TRUE(SamePixels(a, b));
  EXPECT_EQ(RgbAt(a, 0, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(RgbAt(a, 1, 0), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(RgbAt(a, 0, 1), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(a.dataSize, static_cast<int>(top.size()));

  // Right-to-left files store each row mirrored.
  std::vector<uint8_t> mirrored = TgaHeader(2, 2, 2, 24, 0x30);
  Append(mirrored, {0, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0});
  ScopedImage c;
  ASSERT_EQ(c.LoadImage(Write("mirrored.tga", mirrored).c_str()), 0);
  EXPECT_TRUE(SamePixels(a, c));
}

TEST_F(TargaTest, RunPacketsCrossRowEnds) {
  // 3 x 2 grey, top to bottom: a run of 4 (fills row 0 and the start of row 1), then 2 literals.
  std::vector<uint8_t> bytes = TgaHeader(11, 3, 2, 8, 0x20);
  Append(bytes, {0x83, 77, 0x01, 10, 20});
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("rle.tga", bytes).c_str()), 0);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
  uint8_t grey = 0;
  for (int x = 0; x < 3; ++x) {
    image.GetColor(x, 1, &grey);
    EXPECT_EQ(grey, 77);
  }
  image.GetColor(0, 0, &grey);
  EXPECT_EQ(grey, 77);
  image.GetColor(1, 0, &grey);
  EXPECT_EQ(grey, 10);
  image.GetColor(2, 0, &grey);
  EXPECT_EQ(grey, 20);

  // A packet longer than what is left of the picture stops at its end.
  std::vector<uint8_t> over = TgaHeader(11, 3, 2, 8, 0x20);
  Append(over, {0xFF, 5});
  ScopedImage overrun;
  ASSERT_EQ(overrun.LoadImage(Write("over.tga", over).c_str()), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      overrun.GetColor(x, y, &grey);
      EXPECT_EQ(grey, 5) << x << "," << y;
    }
  }
  // A run-length file that ends early is damaged: LoadImage refuses it and keeps nothing; the
  // reader itself keeps the rows that came, the rest cleared.
  std::vector<uint8_t> shortFile = TgaHeader(11, 3, 2, 8, 0x20);
  Append(shortFile, {0x82, 5});
  ScopedImage truncated;
  EXPECT_EQ(truncated.LoadImage(Write("short.tga", shortFile).c_str()), -2);
  EXPECT_EQ(truncated.header, nullptr);
  std::string damage;
  EXPECT_EQ(vutest::ReadWithReader(truncated, 8, dir.Path("short.tga"), &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 2 of 2");
  ASSERT_NE(truncated.header, nullptr);
  EXPECT_EQ(truncated.Row(1)[0], 5);
  EXPECT_EQ(truncated.Row(0)[1], 0);
}

TEST_F(TargaTest, RunLengthFormsAreRecognised) {
  ScopedImage probe;
  for (int type : {1, 2, 3, 9, 10, 11}) {
    std::vector<uint8_t> bytes = type == 1 || type == 9 ? TgaHeader(type, 1, 1, 8, 0, 1, 0, 1, 24)
                                                        : TgaHeader(type, 1, 1, 24, 0);
    bytes.resize(60, 0);
    EXPECT_EQ(probe.GetFileType(Write("t.tga", bytes).c_str()), 8) << "image type " << type;
  }
}

TEST_F(TargaTest, ColourMapsOfEveryEntrySize) {
  // A map starting at index 5 with two 24-bit entries: pixels 5 and 6.
  std::vector<uint8_t> bytes = TgaHeader(1, 2, 1, 8, 0, 1, 5, 2, 24);
  Append(bytes, {10, 20, 30, 40, 50, 60, 5, 6});
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("map24.tga", bytes).c_str()), 0);
  ASSERT_EQ(image.format, BM_8BIT_COLOR);
  EXPECT_EQ(image.Colors(), 256);
  EXPECT_EQ(RgbAt(image, 0, 0), (std::vector<int>{30, 20, 10}));
  EXPECT_EQ(RgbAt(image, 1, 0), (std::vector<int>{60, 50, 40}));
  // Slots before the origin keep the allocation's grey ramp.
  EXPECT_EQ(image.palette[4].red, 4);

  // 16-bit entries: lo, hi with 5 bits a channel, widened by 3 bits.
  std::vector<uint8_t> map16 = TgaHeader(1, 1, 1, 8, 0, 1, 0, 1, 16);
  int packed = (31 << 10) | (16 << 5) | 1; // red 31, green 16, blue 1
  Put16(map16, packed);
  Put8(map16, 0);
  ScopedImage image16;
  ASSERT_EQ(image16.LoadImage(Write("map16.tga", map16).c_str()), 0);
  EXPECT_EQ(RgbAt(image16, 0, 0), (std::vector<int>{248, 128, 8}));

  // 32-bit entries carry alpha (dropped) and 8-bit entries are grey.
  std::vector<uint8_t> map32 = TgaHeader(9, 2, 1, 8, 0, 1, 0, 2, 32);
  Append(map32, {1, 2, 3, 99, 4, 5, 6, 99, 0x81, 1});
  ScopedImage image32;
  ASSERT_EQ(image32.LoadImage(Write("map32.tga", map32).c_str()), 0);
  EXPECT_EQ(RgbAt(image32, 1, 0), (std::vector<int>{6, 5, 4}));
  std::vector<uint8_t> map8 = TgaHeader(1, 1, 1, 8, 0, 1, 0, 2, 8);
  Append(map8, {0, 90, 1});
  ScopedImage image8;
  ASSERT_EQ(image8.LoadImage(Write("map8.tga", map8).c_str()), 0);
  uint8_t grey = 0;
  image8.GetColor(0, 0, &grey); // a map of greys loads as a grey picture
  EXPECT_EQ(image8.format, BM_8BIT_GRAY);
  EXPECT_EQ(grey, 90);

  // A map running past slot 255 keeps what fits.
  std::vector<uint8_t> past = TgaHeader(1, 1, 1, 8, 0, 1, 250, 10, 24);
  for (int i = 0; i < 10; ++i)
    Append(past, {i, 200, 0});
  Put8(past, 255);
  ScopedImage pastImage;
  ASSERT_EQ(pastImage.LoadImage(Write("past.tga", past).c_str()), 0);
  EXPECT_EQ(RgbAt(pastImage, 0, 0), (std::vector<int>{0, 200, 5}));
}

TEST_F(TargaTest, TrueColourDepthsAndAMapInATrueColourFile) {
  // 16-bit pixels, 32-bit pixels with their fourth byte, and a map that is read past.
  std::vector<uint8_t> bytes16 = TgaHeader(2, 1, 1, 16, 0x20, 1, 0, 2, 24);
  Append(bytes16, {9, 9, 9, 9, 9, 9});
  Put16(bytes16, (1 << 10) | (2 << 5) | 3);
  // A true-colour file with a map is not recognised by its first bytes: read it directly.
  ScopedImage image16;
  TargaRW reader(&image16);
  int count = 0;
  ASSERT_EQ(
      reader.Read(Write("p16.tga", bytes16).c_str(), &count, nullptr, nullptr, nullptr, nullptr),
      0);
  EXPECT_EQ(image16.format, BM_24BIT);
  EXPECT_EQ(RgbAt(image16, 0, 0), (std::vector<int>{8, 16, 24}));

  std::vector<uint8_t> bytes32 = TgaHeader(10, 2, 1, 32, 0x28);
  Append(bytes32, {0x81, 10, 20, 30, 128});
  ScopedImage image32;
  ASSERT_EQ(image32.LoadImage(Write("p32.tga", bytes32).c_str()), 0);
  EXPECT_EQ(image32.format, BM_32BIT);
  uint16_t raw[4];
  image32.accessor->GetRaw(1, 0, raw);
  EXPECT_EQ(raw[0], 30);
  EXPECT_EQ(raw[2], 10);
  EXPECT_EQ(raw[3], 128);

  // Grey with alpha (16 bits, grey type) keeps the grey byte.
  std::vector<uint8_t> greyAlpha = TgaHeader(3, 2, 1, 16, 0x20);
  Append(greyAlpha, {40, 255, 200, 0});
  ScopedImage ga;
  ASSERT_EQ(ga.LoadImage(Write("ga.tga", greyAlpha).c_str()), 0);
  EXPECT_EQ(RgbAt(ga, 1, 0), (std::vector<int>{200, 200, 200}));
}

TEST_F(TargaTest, InterleavedRowsLandInPlace) {
  // 1 x 5 grey, top to bottom, values = row number; two-way gives rows 0, 2, 4, 1, 3 and
  // four-way rows 0, 4, 1, 2, 3.
  for (auto [interleave, order] :
       {std::pair<int, std::vector<int>>{1, {0, 2, 4, 1, 3}}, {2, {0, 4, 1, 2, 3}}}) {
    std::vector<uint8_t> bytes = TgaHeader(3, 1, 5, 8, 0x20 | (interleave << 6));
    for (int r : order)
      Put8(bytes, r * 10);
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(Write("il.tga", bytes).c_str()), 0);
    for (int r = 0; r < 5; ++r)
      EXPECT_EQ(RgbAt(image, 0, r)[0], r * 10) << "interleave " << interleave << " row " << r;
  }
}

TEST_F(TargaTest, BadFilesGiveACleanError) {
  vuRecordingPlatform platform;
  vuScopedPlatform scoped(&platform);
  std::vector<uint8_t> odd = TgaHeader(2, 1, 1, 12, 0);
  odd.resize(40, 0);
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(Write("odd.tga", odd).c_str()), -2);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Pixel Size Not Supported");
  EXPECT_EQ(platform.messages[0].caption, "Info");
  EXPECT_EQ(image.header, nullptr);

  // Absurd sizes, a missing picture, a zero width, a header cut short, a bad map entry size.
  std::vector<std::vector<uint8_t>> bad = {TgaHeader(2, 65535, 65535, 24, 0),
                                           TgaHeader(10, 65535, 65535, 32, 0),
                                           TgaHeader(2, 0, 5, 24, 0),
                                           {0, 0, 2, 0, 0, 0, 0, 0, 0, 0},
                                           TgaHeader(1, 1, 1, 8, 0, 1, 0, 1, 7)};
  for (size_t i = 0; i < bad.size(); ++i) {
    bad[i].resize(std::max<size_t>(bad[i].size(), 40), 0);
    ScopedImage b;
    EXPECT_EQ(b.LoadImage(Write("bad.tga", bad[i]).c_str()), -2) << "case " << i;
    EXPECT_EQ(b.header, nullptr) << "case " << i;
  }
  ScopedImage missing;
  EXPECT_EQ(missing.LoadImage(dir.Path("nothing.tga").c_str()), -1);
  EXPECT_EQ(missing.header, nullptr);
}

TEST_F(TargaTest, WriterStoresUncompressed24Bit) {
  ScopedImage source;
  ASSERT_TRUE(source.AllocateBitmap(5, 3, 16, BM_8BIT_COLOR));
  for (int i = 0; i < 16; ++i)
    source.palette[i] = vuRGBA{uint8_t(i * 3), uint8_t(100 + i), uint8_t(255 - i), 0};
  FillPattern(source, 7);
  std::string path = dir.Path("w.tga");
  ASSERT_EQ(source.SaveImage(path.c_str(), 8), 0);
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 18u + 5 * 3 * 3);
  EXPECT_EQ(bytes[2], 2);   // true colour
  EXPECT_EQ(bytes[16], 24); // bits a pixel
  EXPECT_EQ(bytes[17], 0);  // bottom-left origin
  EXPECT_EQ(bytes[12] | (bytes[13] << 8), 5);
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(path.c_str()), 0);
  EXPECT_EQ(back.format, BM_24BIT);
  EXPECT_EQ(RgbBytesTopDown(back), RgbBytesTopDown(source));

  // Grey, 32-bit and 16-bit grey images write their colours too.
  for (vuBMFormat format : {BM_8BIT_GRAY, BM_32BIT, BM_16BIT_GRAY, BM_1BIT}) {
    ScopedImage other;
    ASSERT_TRUE(other.AllocateBitmap(7, 2, format == BM_8BIT_GRAY ? 256 : 0, format));
    FillPattern(other, 3);
    ASSERT_EQ(other.SaveImage(path.c_str(), 8), 0);
    ScopedImage read;
    ASSERT_EQ(read.LoadImage(path.c_str()), 0);
    EXPECT_EQ(RgbBytesTopDown(read), RgbBytesTopDown(other)) << "format " << format;
  }
  // A file that cannot be created.
  EXPECT_EQ(source.SaveImage(dir.Path("no/such/folder.tga").c_str(), 8), -1);
}

TEST_F(TargaTest, InfoReportsTheHeader) {
  std::vector<uint8_t> bytes = TgaHeader(1, 3, 2, 8, 0, 1, 0, 1, 24);
  bytes.resize(18 + 3 + 6, 0);
  std::string path = Write("info.tga", bytes);
  ScopedImage image;
  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(path.c_str(), &info), 0);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.bitsPerPixel, 8);
  EXPECT_EQ(info.fileSize, bytes.size());
  std::vector<uint8_t> grey = TgaHeader(3, 3, 2, 8, 0);
  grey.resize(40, 0);
  ASSERT_EQ(image.GetInfo(Write("grey.tga", grey).c_str(), &info), 0);
  EXPECT_EQ(info.bitsPerPixel, 8);
}

TEST_F(TargaTest, FilesOfIndependentToolsReadAsTheyDecodeThem) {
  if (!HaveImageMagick() || !HavePillow()) GTEST_SKIP() << "ImageMagick or Pillow missing";
  std::string small = SmallPhoto(dir, 101, 67);
  struct Variant {
    std::string name, command;
  };
  std::string in = Quote(small);
  auto out = [&](const std::string& name) { return Quote(dir.Path(name)); };
  std::vector<Variant> variants = {
      {"im24.tga", "convert " + in + " " + out("im24.tga")},
      {"im24rle.tga", "convert " + in + " -compress RLE " + out("im24rle.tga")},
      {"impal.tga", "convert " + in + " -colors 60 -type Palette " + out("impal.tga")},
      {"impalrle.tga",
       "convert " + in + " -colors 60 -type Palette -compress RLE " + out("impalrle.tga")},
      {"imgrey.tga", "convert " + in + " -type Grayscale " + out("imgrey.tga")},
      {"imgreyrle.tga", "convert " + in + " -type Grayscale -compress RLE " + out("imgreyrle.tga")},
      {"im32.tga",
       "convert " + in + " -alpha set -channel A -evaluate set 50% +channel " + out("im32.tga")},
  };
  std::string py = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                   "im=Image.open(sys.argv[1]); ";
  auto pil = [&](const std::string& name, const std::string& code) {
    return Variant{name, py + code + "\" " + in + " " + out(name)};
  };
  variants.push_back(pil("piltop.tga", "im.save(sys.argv[2], orientation=1)"));
  variants.push_back(pil("pilrle.tga", "im.save(sys.argv[2], compression='tga_rle')"));
  variants.push_back(
      pil("pilrletop.tga", "im.save(sys.argv[2], compression='tga_rle', orientation=1)"));
  variants.push_back(pil("pilpal.tga", "im.quantize(100).save(sys.argv[2])"));
  variants.push_back(
      pil("pilpalrle.tga", "im.quantize(100).save(sys.argv[2], compression='tga_rle')"));
  variants.push_back(pil("pilgrey.tga", "im.convert('L').save(sys.argv[2])"));
  variants.push_back(pil("pilla.tga", "im.convert('LA').save(sys.argv[2])"));
  variants.push_back(pil("pilrgba.tga", "im.convert('RGBA').save(sys.argv[2])"));
  if (HaveProgram("ppmtotga")) {
    variants.push_back({"nbrle.tga", "ppmtotga -rgb < " + in + " > " + out("nbrle.tga")});
    variants.push_back(
        {"nbcmap.tga", "pnmquant 50 " + in + " | ppmtotga -cmap > " + out("nbcmap.tga")});
  }
  int checked = 0;
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    ASSERT_EQ(RunCommand("{ " + v.command + "; } 2>/dev/null"), 0) << v.command;
    std::string file = dir.Path(v.name);
    ScopedImage ours;
    ASSERT_EQ(ours.LoadImage(file.c_str()), 0);
    Picture theirs;
    std::string why;
    theirs = PillowDecode(file, dir, Alpha::Drop);
    ASSERT_EQ(theirs.width, 101);
    ASSERT_EQ(theirs.height, 67);
    EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against Pillow";
    // ImageMagick takes the grey-and-alpha form for something else.
    if (v.name != "pilla.tga") {
      theirs = MagickDecode(file, "-auto-orient", 8, dir);
      EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against ImageMagick";
    }
    ++checked;
  }
  EXPECT_GE(checked, 15);
}

TEST_F(TargaTest, SixteenBitFilesMatchToolsInTheirFiveBits) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow missing";
  // 16-bit pixels made by hand (no tool here writes them): every fifth colour level.
  std::vector<uint8_t> bytes = TgaHeader(10, 33, 3, 16, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 33; ++x) {
      int v = (x * 7 + y * 3) & 0x7FFF;
      Put8(bytes, 0);
      Put16(bytes, (v * 1031) & 0x7FFF);
    }
  }
  std::string path = Write("p16.tga", bytes);
  ScopedImage ours;
  ASSERT_EQ(ours.LoadImage(path.c_str()), 0);
  Picture theirs;
  std::string why;
  theirs = PillowDecode(path, dir, Alpha::Drop);
  // Tools widen the five bits of a channel in different ways: only the top five count.
  Picture mine = PictureOf(ours);
  for (Picture* p : {&mine, &theirs})
    for (uint16_t& v : p->samples)
      v >>= 3;
  EXPECT_EQ(MaxDifference(mine, theirs, &why), 0) << why;
}

TEST_F(TargaTest, ToolsReadWhatWeWrite) {
  if (!HaveImageMagick() || !HavePillow()) GTEST_SKIP() << "ImageMagick or Pillow missing";
  ScopedImage source;
  ASSERT_EQ(source.LoadImage(Sample("chelsea.ppm").c_str()), 0);
  std::string path = dir.Path("ours.tga");
  ASSERT_EQ(source.SaveImage(path.c_str(), 8), 0);
  Picture expected = PictureOf(source);
  Picture theirs;
  std::string why;
  theirs = PillowDecode(path, dir, Alpha::Drop);
  EXPECT_EQ(MaxDifference(expected, theirs, &why), 0) << why;
  theirs = MagickDecode(path, "-auto-orient", 8, dir);
  EXPECT_EQ(MaxDifference(expected, theirs, &why), 0) << why;
  if (HaveProgram("tgatoppm")) {
    theirs = CommandDecode("tgatoppm " + Quote(path) + " > " + Quote(dir.Path("nb.ppm")),
                           dir.Path("nb.ppm"));
    EXPECT_EQ(MaxDifference(expected, theirs, &why), 0) << why;
  }
}

TEST_F(TargaTest, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  std::vector<uint8_t> raw = TgaHeader(1, 13, 7, 8, 0x20, 1, 0, 16, 24);
  for (int i = 0; i < 16 * 3; ++i)
    Put8(raw, i * 5);
  for (int i = 0; i < 13 * 7; ++i)
    Put8(raw, i % 16);
  ExpectBothOutcomes(LoadDamagedCopies(raw, dir.Path("m.tga"), {.seed = 11}));
  std::vector<uint8_t> rle = TgaHeader(10, 13, 7, 24, 0);
  for (int i = 0; i < 24; ++i) {
    if (i % 2)
      Append(rle, {0x84, i, 2 * i, 3 * i});
    else
      Append(rle, {0x02, i, 2 * i, 3 * i, 4, 5, 6, 7, 8, 9});
  }
  ExpectBothOutcomes(LoadDamagedCopies(rle, dir.Path("m.tga"), {.seed = 12}));
}
