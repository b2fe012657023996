// Portable grey and pixel maps: header parsing, sample scaling, 16-bit samples, interchange.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/vuRWImage.h"
#include "support/TestSupport.h"

using vutest::ScopedImage;
using vutest::TempDir;

namespace {
std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}
std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
} // namespace

TEST(Pnm, ReadsAGreyMapWithACommentTopLineFirst) {
  TempDir dir;
  vutest::WriteFileBytes(dir.Path("a.pgm"),
                         Concat(Bytes("P5\n# a comment\n3 2\n255\n"), {1, 2, 3, 4, 5, 6}));
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(dir.Path("a.pgm").c_str()), 0);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.Row(1)[0], 1); // the first byte is the top-left pixel
  EXPECT_EQ(image.Row(0)[2], 6);
  EXPECT_EQ(image.dataSize, 6);
}

TEST(Pnm, OneWhiteSpaceCharacterEndsTheHeader) {
  TempDir dir;
  // The raster starts right after a single blank; its first byte is a line feed value (10).
  vutest::WriteFileBytes(dir.Path("a.pgm"), Concat(Bytes("P5 2 1 255 "), {10, 200}));
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(dir.Path("a.pgm").c_str()), 0);
  EXPECT_EQ(image.Row(0)[0], 10);
  EXPECT_EQ(image.Row(0)[1], 200);
  vutest::WriteFileBytes(dir.Path("b.pgm"), Concat(Bytes("P5 2 1 255\r\n"), {7, 8}));
  ASSERT_EQ(image.LoadImage(dir.Path("b.pgm").c_str()), 0);
  EXPECT_EQ(image.Row(0)[0], 7);
}

TEST(Pnm, PixelMapKeepsChannelOrderThroughReadAndWrite) {
  TempDir dir;
  vutest::WriteFileBytes(dir.Path("a.ppm"), Concat(Bytes("P6\n1 1\n255\n"), {10, 20, 30}));
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(dir.Path("a.ppm").c_str()), 0);
  EXPECT_EQ(image.format, BM_24BIT);
  EXPECT_EQ(image.Row(0)[0], 30);
  EXPECT_EQ(image.Row(0)[2], 10);
  EXPECT_EQ(image.dataSize, 14 + 3);
  ASSERT_EQ(image.SaveImage(dir.Path("b.ppm").c_str(), 4, nullptr), 0);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("b.ppm")), Concat(Bytes("P6 1 1 255\n"), {10, 20, 30}));
}

TEST(Pnm, SmallMaximumValuesAreScaledToTheFullRange) {
  TempDir dir;
  ScopedImage image;
  vutest::WriteFileBytes(dir.Path("a.pgm"), Concat(Bytes("P5 3 1 15\n"), {0, 1, 15}));
  ASSERT_EQ(image.LoadImage(dir.Path("a.pgm").c_str()), 0);
  EXPECT_EQ(image.Row(0)[1], 17);
  EXPECT_EQ(image.Row(0)[2], 255);
  EXPECT_EQ(image.Colors(), 256); // the table covers every scaled value
  // 100 does not divide 255: rounded scaling, and values past the maximum count as the maximum.
  vutest::WriteFileBytes(dir.Path("b.pgm"), Concat(Bytes("P5 4 1 100\n"), {1, 50, 100, 250}));
  ASSERT_EQ(image.LoadImage(dir.Path("b.pgm").c_str()), 0);
  EXPECT_EQ(image.Row(0)[0], 3); // (255 + 50) / 100
  EXPECT_EQ(image.Row(0)[1], 128);
  EXPECT_EQ(image.Row(0)[2], 255);
  EXPECT_EQ(image.Row(0)[3], 255);
}

TEST(Pnm, SixteenBitSamplesReadAndWrite) {
  TempDir dir;
  ScopedImage image;
  // Maximum 4095: twelve significant bits, samples unchanged (big-endian in the file).
  vutest::WriteFileBytes(dir.Path("a.pgm"),
                         Concat(Bytes("P5 2 1 4095\n"), {0x0F, 0xFF, 0x01, 0x02}));
  ASSERT_EQ(image.LoadImage(dir.Path("a.pgm").c_str()), 0);
  EXPECT_EQ(image.format, BM_16BIT_GRAY);
  EXPECT_EQ(image.sampleBits, 12);
  uint16_t v[4];
  image.accessor->GetRaw(0, 0, v);
  EXPECT_EQ(v[0], 4095);
  image.accessor->GetRaw(1, 0, v);
  EXPECT_EQ(v[0], 0x0102);
  ASSERT_EQ(image.SaveImage(dir.Path("b.pgm").c_str(), 5, nullptr), 0);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("b.pgm")),
            Concat(Bytes("P5 2 1 4095\n"), {0x0F, 0xFF, 0x01, 0x02}));

  // Maximum 1000 (ten bits): rescaled to 0..1023.
  vutest::WriteFileBytes(dir.Path("c.ppm"),
                         Concat(Bytes("P6 1 1 1000\n"), {0x03, 0xE8, 0, 0, 0x01, 0xF4}));
  ASSERT_EQ(image.LoadImage(dir.Path("c.ppm").c_str()), 0);
  EXPECT_EQ(image.format, BM_48BIT);
  EXPECT_EQ(image.sampleBits, 10);
  image.accessor->GetRaw(0, 0, v);
  EXPECT_EQ(v[0], 1023);
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[2], 512); // (500 * 1023 + 500) / 1000
  ASSERT_EQ(image.SaveImage(dir.Path("d.ppm").c_str(), 4, nullptr), 0);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("d.ppm")),
            Concat(Bytes("P6 1 1 1023\n"), {0x03, 0xFF, 0, 0, 0x02, 0x00}));
}

TEST(Pnm, RoundTripsOddWidths) {
  TempDir dir;
  for (vuBMFormat format : {BM_8BIT_GRAY, BM_24BIT, BM_16BIT_GRAY, BM_48BIT}) {
    for (int width : {1, 3, 5, 7, 9}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image, back;
      ASSERT_EQ(image.AllocateBitmap(width, 4, format == BM_8BIT_GRAY ? 256 : 0, format), 1);
      vutest::FillPattern(image, uint32_t(width));
      int type = (format == BM_8BIT_GRAY || format == BM_16BIT_GRAY) ? 5 : 4;
      std::string path = dir.Path("odd");
      ASSERT_EQ(image.SaveImage(path.c_str(), type, nullptr), 0);
      ASSERT_EQ(back.LoadImage(path.c_str()), 0);
      std::string why;
      EXPECT_TRUE(vutest::SamePixels(image, back, &why)) << why;
    }
  }
}

TEST(Pnm, DamagedFilesAreRefusedCleanly) {
  TempDir dir;
  ScopedImage image;
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
      {"maximum 0", Concat(Bytes("P5 2 2 0\n"), {0, 0, 0, 0})},
      {"maximum too large", Concat(Bytes("P5 1 1 70000\n"), {0, 0, 0, 0})},
      {"truncated raster", Concat(Bytes("P5 4 4 255\n"), {1, 2, 3})},
      {"truncated header", Bytes("P5 4 ")},
      {"zero width", Bytes("P5 0 4 255\n")},
      {"absurd size", Bytes("P5 99999999 99999999 255\n")},
      {"row past the data model", Concat(Bytes("P6 11000 1 255\n"), std::vector<uint8_t>(33000))},
      {"no white space after the maximum", Concat(Bytes("P5 1 1 255x"), {0})},
      {"wrong magic for its type", Concat(Bytes("P5 1 1 255\n"), {0})},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    std::string path = dir.Path("bad");
    std::vector<uint8_t> content = bytes;
    if (what == "wrong magic for its type") {
      // A grey map handed to the pixel-map reader.
      vutest::WriteFileBytes(path, content);
      std::unique_ptr<vuRWImage> ppm(image.CreateRWImage(4));
      int count = 0;
      EXPECT_EQ(
          ppm->Read(path.c_str(), &count, &image.header, &image.palette, &image.bits, nullptr), -2);
      continue;
    }
    vutest::WriteFileBytes(path, content);
    EXPECT_EQ(image.LoadImage(path.c_str()), -2);
  }
}

TEST(Pnm, InterchangeWithImageMagick) {
  if (!vutest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  // They write, we read.
  for (const char* sample : {"camera.pgm", "chelsea.ppm"}) {
    SCOPED_TRACE(sample);
    std::string theirs = dir.Path(std::string("theirs-") + sample);
    ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample(sample)) +
                                 " -crop 101x37+13+7 +repage " + vutest::Quote(theirs)),
              0);
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(theirs.c_str()), 0);
    const vutest::Picture reference = vutest::MagickDecode(theirs, "", 8, dir);
    std::string why;
    EXPECT_EQ(vutest::MaxDifference(vutest::PictureOf(image), reference, &why), 0) << why;
    // We write, they read.
    std::string ours = dir.Path(std::string("ours-") + sample);
    ASSERT_EQ(image.SaveImage(ours.c_str(), image.format == BM_24BIT ? 4 : 5, nullptr), 0);
    EXPECT_EQ(vutest::MaxDifference(vutest::MagickDecode(ours, "", 8, dir), reference, &why), 0)
        << why;
  }
  // Sixteen-bit samples from an independent writer.
  std::string deep = dir.Path("deep.ppm");
  ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample("chelsea.ppm")) +
                               " -crop 9x5+100+100 +repage -depth 16 " + vutest::Quote(deep)),
            0);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(deep.c_str()), 0);
  EXPECT_EQ(image.format, BM_48BIT);
  EXPECT_EQ(image.sampleBits, 16);
  // All sixteen bits of every sample.
  std::string why;
  EXPECT_EQ(vutest::MaxDifference(vutest::PictureOf(image), vutest::MagickDecode(deep, "", 16, dir),
                                  &why),
            0)
      << why;
}

TEST(Pnm, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  TempDir dir;
  uint32_t seed = 200;
  for (auto [format, type, colors] : {std::tuple{BM_8BIT_GRAY, 5, 256},
                                      {BM_24BIT, 4, 0},
                                      {BM_16BIT_GRAY, 5, 0},
                                      {BM_48BIT, 4, 0}}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(7, 5, colors, format), 1);
    vutest::FillPattern(image, 3);
    std::string path = dir.Path("seed.pnm");
    ASSERT_EQ(image.SaveImage(path.c_str(), type, nullptr), 0);
    vutest::ExpectBothOutcomes(vutest::LoadDamagedCopies(
        vutest::ReadFileBytes(path), dir.Path("mutant.pnm"), {.rounds = 150, .seed = ++seed},
        [&](vuImage& loaded) { vutest::ExpectWritesAgain(loaded, dir.Path("again.pnm")); }));
  }
}

TEST(Pnm, PlainMapsAndBitmapsAreRead) {
  TempDir dir;
  auto load = [&](const std::string& text, std::vector<uint8_t> binary, ScopedImage& image) {
    std::string path = dir.Path("plain");
    vutest::WriteFileBytes(path, Concat(Bytes(text), binary));
    return image.LoadImage(path.c_str());
  };
  // Plain bitmap: digits need no space between them; 1 is black (index 1).
  ScopedImage p1;
  ASSERT_EQ(load("P1\n# c\n3 2\n011\n1 0 0\n", {}, p1), 0);
  EXPECT_EQ(p1.format, BM_1BIT);
  EXPECT_EQ(vutest::RgbBytesTopDown(p1),
            std::vector<uint8_t>(
                {255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}));
  // Binary bitmap: packed rows, the first pixel in the top bit.
  ScopedImage p4;
  ASSERT_EQ(load("P4 3 2\n", {0x60, 0x80}, p4), 0);
  EXPECT_EQ(vutest::RgbBytesTopDown(p4), vutest::RgbBytesTopDown(p1));
  // Plain grey and colour maps are scaled as their binary forms are.
  ScopedImage p2;
  ASSERT_EQ(load("P2 2 1 15\n0 15\n", {}, p2), 0);
  EXPECT_EQ(p2.format, BM_8BIT_GRAY);
  EXPECT_EQ(p2.Row(0)[1], 255);
  ScopedImage p3;
  ASSERT_EQ(load("P3 1 1 65535\n256 512 65535\n", {}, p3), 0);
  EXPECT_EQ(p3.format, BM_48BIT);
  uint16_t rgb[4];
  p3.accessor->GetRaw(0, 0, rgb);
  EXPECT_EQ(rgb[0], 256);
  EXPECT_EQ(rgb[2], 65535);
  // A plain map that ends early is damaged: refused by LoadImage, its first rows kept by the
  // reader itself.
  ScopedImage cut;
  EXPECT_EQ(load("P2 2 2 255\n7 8 9", {}, cut), -2);
  EXPECT_EQ(cut.header, nullptr);
  std::string damage;
  EXPECT_EQ(vutest::ReadWithReader(cut, 5, dir.Path("plain"), &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 2 of 2");
  ASSERT_NE(cut.header, nullptr);
  EXPECT_EQ(cut.Row(1)[1], 8);
  EXPECT_EQ(cut.Row(0)[0], 0);
  // The header facts.
  vuFileInfo info;
  ASSERT_EQ(p4.GetInfo(dir.Path("plain").c_str(), &info), 0);
  EXPECT_EQ(info.bitsPerPixel, 8); // the last file written is the cut grey map

  if (!vutest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  // ImageMagick's plain and bitmap files give the pixels ImageMagick reads.
  const std::pair<const char*, const char*> forms[] = {
      {"-compress none", "camera.pgm"},  // P2
      {"-compress none", "chelsea.ppm"}, // P3
      {"-monochrome", "chelsea.ppm"},    // P4
      {"-monochrome -compress none", "camera.pgm"}};
  for (const auto& [form, sample] : forms) {
    SCOPED_TRACE(std::string(form) + " " + sample);
    std::string theirs = dir.Path("theirs.pnm");
    ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample(sample)) +
                                 " -crop 61x23+100+90 +repage " + form + " " +
                                 vutest::Quote(theirs)),
              0);
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(theirs.c_str()), 0);
    vutest::Picture expected = vutest::MagickDecode(theirs, "", 8, dir);
    ASSERT_FALSE(expected.Empty());
    std::string why;
    EXPECT_EQ(vutest::MaxDifference(vutest::PictureOf(image), expected, &why), 0) << why;
  }
}
