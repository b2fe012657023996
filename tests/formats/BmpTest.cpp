// Windows bitmaps: headers, colour counts, run-length decoding, top-down rows, interchange.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "formats/vuRWImage.h"
#include "support/TestSupport.h"

using vutest::ScopedImage;
using vutest::TempDir;

namespace {

// Builds a bitmap file from its fields; the pixel bytes follow the table unless `offset` says
// otherwise.
struct BmpFile {
  int32_t width = 4, height = 1;
  int bitCount = 8;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0, colorsImportant = 0;
  uint32_t headerSize = 40;
  int32_t offset = -1; // -1: right behind the table
  std::vector<uint8_t> table;
  std::vector<uint8_t> gap; // bytes between the table and the pixels
  std::vector<uint8_t> pixels;

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    auto put16 = [&](uint32_t v) {
      out.push_back(uint8_t(v));
      out.push_back(uint8_t(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
      put16(v & 0xFFFF);
      put16(v >> 16);
    };
    uint32_t dataOffset =
        offset >= 0 ? uint32_t(offset) : uint32_t(14 + headerSize + table.size() + gap.size());
    out.push_back('B');
    out.push_back('M');
    put32(0);
    put32(0);
    put32(dataOffset);
    put32(headerSize);
    put32(uint32_t(width));
    put32(uint32_t(height));
    put16(1);
    put16(uint32_t(bitCount));
    put32(compression);
    put32(0);
    put32(2835);
    put32(2835);
    put32(colorsUsed);
    put32(colorsImportant);
    out.resize(14 + headerSize, 0); // larger modern headers: the rest is zero
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), gap.begin(), gap.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

int Load(TempDir& dir, const BmpFile& file, vuImage& image) {
  std::string path = dir.Path("test.bmp");
  vutest::WriteFileBytes(path, file.Bytes());
  return image.LoadImage(path.c_str());
}

std::vector<uint8_t> GreyTable(int entries) {
  std::vector<uint8_t> table;
  for (int i = 0; i < entries; ++i) {
    uint8_t v = uint8_t(i * 255 / std::max(1, entries - 1));
    table.insert(table.end(), {v, uint8_t(255 - v), uint8_t(i), 0}); // not grey: stays a palette
  }
  return table;
}

} // namespace

TEST(Bmp, ColourCountsDefaultToTheFullTable) {
  TempDir dir;
  ScopedImage image;
  BmpFile eight;
  eight.table = GreyTable(256);
  eight.pixels = {1, 2, 3, 4};
  ASSERT_EQ(Load(dir, eight, image), 0);
  EXPECT_EQ(image.format, BM_8BIT_COLOR);
  EXPECT_EQ(image.Colors(), 256);
  EXPECT_EQ(image.dataSize, 54 + 1024 + 4);

  BmpFile four;
  four.bitCount = 4;
  four.width = 9;
  four.table = GreyTable(16);
  four.pixels = {0x12, 0x34, 0x56, 0x78, 0x9A, 0, 0, 0}; // 5 bytes used, 3 padding
  ASSERT_EQ(Load(dir, four, image), 0);
  EXPECT_EQ(image.format, BM_4BIT);
  EXPECT_EQ(image.Colors(), 16);
  uint16_t v[4];
  image.accessor->GetRaw(8, 0, v);
  EXPECT_EQ(v[0], 9);
  image.accessor->GetRaw(3, 0, v);
  EXPECT_EQ(v[0], 4);

  // A 24-bit file with two colours used: the table is read past, not kept.
  BmpFile colour;
  colour.bitCount = 24;
  colour.width = 1;
  colour.colorsUsed = 2;
  colour.table = {1, 2, 3, 0, 4, 5, 6, 0};
  colour.pixels = {30, 20, 10, 0};
  ASSERT_EQ(Load(dir, colour, image), 0);
  EXPECT_EQ(image.format, BM_24BIT);
  uint8_t r, g, b;
  image.GetColor(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(b, 30);
}

TEST(Bmp, RunLengthEightBit) {
  TempDir dir;
  ScopedImage image;
  BmpFile file;
  file.width = 4;
  file.height = 2;
  file.compression = 1;
  file.table = GreyTable(256);
  file.pixels = {0x03, 0x41, 0x00, 0x00, 0x00, 0x01};
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.Row(0)[0], 0x41);
  EXPECT_EQ(image.Row(0)[2], 0x41);
  EXPECT_EQ(image.Row(0)[3], 0);
  EXPECT_EQ(image.Row(1)[0], 0);

  // Absolute runs: three bytes and a pad byte, then four bytes and none; a delta.
  file.pixels = {0x00, 0x03, 7, 8, 9, 0xEE, 0x00, 0x00, 0x00, 0x04, 1, 2, 3, 4, 0x00, 0x01};
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.Row(0)[2], 9);
  EXPECT_EQ(image.Row(0)[3], 0); // the pad byte is not a pixel
  EXPECT_EQ(image.Row(1)[3], 4);

  file.pixels = {0x00, 0x02, 0x02, 0x01, 0x01, 0x55, 0x00, 0x01};
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.Row(1)[2], 0x55);
}

TEST(Bmp, RunLengthFourBit) {
  TempDir dir;
  ScopedImage image;
  BmpFile file;
  file.bitCount = 4;
  file.width = 5;
  file.height = 1;
  file.compression = 2;
  file.table = GreyTable(16);
  file.pixels = {0x03, 0xAB, 0x00, 0x03, 0x12, 0x30, 0x00, 0x00, 0x00, 0x01};
  ASSERT_EQ(Load(dir, file, image), 0);
  std::vector<uint16_t> got;
  for (int x = 0; x < 5; ++x) {
    uint16_t v[4];
    image.accessor->GetRaw(x, 0, v);
    got.push_back(v[0]);
  }
  // The absolute run of three nibbles fills the rest of the row (only five pixels fit).
  EXPECT_EQ(got, std::vector<uint16_t>({0xA, 0xB, 0xA, 1, 2}));
}

TEST(Bmp, RunLengthStreamsNeverWriteOutsideTheBitmap) {
  TempDir dir;
  ScopedImage image;
  BmpFile file;
  file.width = 3;
  file.height = 2;
  file.compression = 1;
  file.table = GreyTable(256);
  // A run far past the row, a delta far past the image, an absolute run past everything.
  file.pixels = {0xFF, 0x11, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0xFF};
  file.pixels.resize(file.pixels.size() + 255, 0x22);
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.Row(0)[2], 0x11);
  file.bitCount = 4;
  file.compression = 2;
  file.table = GreyTable(16);
  ASSERT_EQ(Load(dir, file, image), 0);
}

TEST(Bmp, TopDownRowsModernHeadersAndTheDataOffset) {
  TempDir dir;
  ScopedImage image;
  BmpFile file;
  file.width = 1;
  file.height = -2;
  file.bitCount = 24;
  file.headerSize = 124;
  file.gap = {0xAA, 0xBB, 0xCC, 0xDD}; // skipped by the offset
  file.pixels = {1, 1, 1, 0, 2, 2, 2, 0};
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.Row(1)[0], 1); // the first row in a top-down file is the top line
  EXPECT_EQ(image.Row(0)[0], 2);
}

TEST(Bmp, UnknownCompressionShowsTheMessage) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scope(&recorder);
  ScopedImage image;
  BmpFile file;
  file.compression = 4;
  file.table = GreyTable(256);
  file.pixels = {0, 0, 0, 0};
  EXPECT_EQ(Load(dir, file, image), -2);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Error");
  EXPECT_EQ(recorder.messages[0].caption, "Unrecognized compression format\n");
  EXPECT_EQ(recorder.messages[0].buttons, VU_MB_OK);
  file.bitCount = 4;
  file.table = GreyTable(16);
  EXPECT_EQ(Load(dir, file, image), -2);
  EXPECT_EQ(recorder.messages.back().buttons, VU_MB_OKCANCEL);
}

TEST(Bmp, DamagedFilesAreRefusedCleanly) {
  TempDir dir;
  ScopedImage image;
  BmpFile base;
  base.table = GreyTable(256);
  base.pixels = {1, 2, 3, 4};

  BmpFile truncated = base;
  truncated.height = 100;
  EXPECT_EQ(Load(dir, truncated, image), -2);
  BmpFile wide = base;
  wide.width = 40000;
  EXPECT_EQ(Load(dir, wide, image), -2);
  BmpFile zero = base;
  zero.width = 0;
  EXPECT_EQ(Load(dir, zero, image), -2);
  BmpFile colours = base;
  colours.colorsUsed = 300;
  EXPECT_EQ(Load(dir, colours, image), -2);
  BmpFile depth = base;
  depth.bitCount = 7;
  EXPECT_EQ(Load(dir, depth, image), -3);
  BmpFile header = base;
  header.headerSize = 20;
  EXPECT_EQ(Load(dir, header, image), -2);
  BmpFile huge = base;
  huge.compression = 1;
  huge.width = 30000;
  huge.height = 60000; // a tiny run-length stream claiming 1.8 GB
  EXPECT_EQ(Load(dir, huge, image), -3);

  // Every prefix of a valid file ends cleanly.
  std::vector<uint8_t> whole = base.Bytes();
  for (size_t n = 0; n < whole.size(); n += 7) {
    std::string path = dir.Path("prefix.bmp");
    vutest::WriteFileBytes(path, std::vector<uint8_t>(whole.begin(), whole.begin() + n));
    int result = image.LoadImage(path.c_str());
    EXPECT_LT(result, 0) << n;
  }
}

TEST(Bmp, WrittenFilesKeepTheRowsAndStateTheirSize) {
  TempDir dir;
  for (vuBMFormat format : {BM_4BIT, BM_8BIT_COLOR, BM_24BIT}) {
    for (int width : {1, 3, 5, 7, 9}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image, back;
      int colors = format == BM_4BIT ? 16 : (format == BM_24BIT ? 0 : 256);
      ASSERT_EQ(image.AllocateBitmap(width, 3, colors, format), 1);
      vutest::FillPattern(image, 7);
      for (int i = 0; i < colors; ++i)
        image.palette[i] = vuRGBA{uint8_t(i), uint8_t(3 * i), 9, 0};
      std::string path = dir.Path("w.bmp");
      ASSERT_EQ(image.SaveImage(path.c_str(), 2, nullptr), 0);
      std::vector<uint8_t> bytes = vutest::ReadFileBytes(path);
      uint32_t sizeField =
          bytes[2] | (bytes[3] << 8) | (bytes[4] << 16) | (uint32_t(bytes[5]) << 24);
      EXPECT_EQ(sizeField, bytes.size());
      ASSERT_EQ(back.LoadImage(path.c_str()), 0);
      std::string why;
      EXPECT_TRUE(vutest::SamePixels(image, back, &why)) << why;
      EXPECT_EQ(std::memcmp(image.bits, back.bits, size_t(image.Stride()) * 3), 0);
    }
  }
}

TEST(Bmp, WriterRefusesDepthsItCannotStore) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scope(&recorder);
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_48BIT), 1);
  std::string path = dir.Path("deep.bmp");
  EXPECT_EQ(image.SaveImage(path.c_str(), 2, nullptr), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Unexpected biBitCoun 48 \n");
}

TEST(Bmp, InterchangeWithImageMagick) {
  if (!vutest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  struct Variant {
    const char* name;
    const char* arguments;
  };
  const Variant variants[] = {
      {"24-bit", "-type TrueColor BMP3:"},
      {"8-bit palette", "-colors 200 -type Palette BMP3:"},
      {"4-bit palette", "-colors 16 -type Palette BMP3:"},
      {"1-bit", "-monochrome BMP3:"},
      {"8-bit run-length", "-colors 200 -type Palette -compress RLE BMP3:"},
      {"modern header", "-type TrueColor BMP:"},
      {"32-bit", "-type TrueColorAlpha -define bmp:format=bmp4 BMP:"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    std::string theirs = dir.Path("theirs.bmp");
    ASSERT_EQ(vutest::RunCommand("convert " + vutest::Quote(vutest::Sample("chelsea.ppm")) +
                                 " -crop 37x21+200+100 +repage " + v.arguments +
                                 vutest::Quote(theirs)),
              0);
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(theirs.c_str()), 0);
    const vutest::Picture reference = vutest::MagickDecode(theirs, "", 8, dir);
    std::string why;
    EXPECT_EQ(vutest::MaxDifference(vutest::PictureOf(image), reference, &why), 0) << why;
    if (image.format == BM_24BIT || image.format == BM_8BIT_COLOR || image.format == BM_8BIT_GRAY ||
        image.format == BM_4BIT) {
      std::string ours = dir.Path("ours.bmp");
      ASSERT_EQ(image.SaveImage(ours.c_str(), 2, nullptr), 0);
      EXPECT_EQ(vutest::MaxDifference(vutest::MagickDecode(ours, "", 8, dir), reference, &why), 0)
          << why;
    }
  }
}

TEST(Bmp, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  TempDir dir;
  std::vector<std::vector<uint8_t>> seeds;
  for (auto [format, colors] : {std::pair{BM_4BIT, 16}, {BM_8BIT_COLOR, 256}, {BM_24BIT, 0}}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(7, 5, colors, format), 1);
    vutest::FillPattern(image, 3);
    std::string path = dir.Path("seed.bmp");
    ASSERT_EQ(image.SaveImage(path.c_str(), 2, nullptr), 0);
    seeds.push_back(vutest::ReadFileBytes(path));
  }
  // Run-length bitmaps, written by hand: 8-bit and 4-bit.
  std::vector<uint8_t> rle8 = seeds[1];
  rle8[30] = 1;
  rle8.resize(54 + 1024);
  // Ends with a pixel and the end-of-bitmap mark: a stream that just stops before its last rows
  // is a damaged one.
  rle8.insert(rle8.end(), {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 2, 1, 1, 5, 7, 0, 0, 0, 1, 4, 0, 1});
  seeds.push_back(rle8);
  std::vector<uint8_t> rle4 = seeds[0];
  rle4[30] = 2;
  rle4.resize(54 + 64);
  rle4.insert(rle4.end(), {3, 0x9A, 0, 3, 0x12, 0x30, 0, 0, 0, 2, 1, 1, 5, 0x77, 0, 1});
  seeds.push_back(rle4);
  uint32_t seed = 100;
  for (const std::vector<uint8_t>& valid : seeds) {
    vutest::ExpectBothOutcomes(vutest::LoadDamagedCopies(
        valid, dir.Path("mutant.bmp"), {.rounds = 150, .seed = ++seed},
        [&](vuImage& image) { vutest::ExpectWritesAgain(image, dir.Path("again.pnm")); }));
  }
}

TEST(Bmp, FilesThatEndEarlyAreDamagedAndKeepTheRowsThatCame) {
  TempDir dir;
  auto read = [&](const BmpFile& file, vuImage& image, std::string* damage) {
    vutest::WriteFileBytes(dir.Path("cut.bmp"), file.Bytes());
    return vutest::ReadWithReader(image, 2, dir.Path("cut.bmp"), damage);
  };
  std::string damage;
  BmpFile rows;
  rows.height = 3;
  rows.table = GreyTable(256);
  rows.pixels = {1, 2, 3, 4, 5, 6, 7, 8}; // two of three rows, bottom first
  ScopedImage plain;
  EXPECT_EQ(read(rows, plain, &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 3 of 3");
  ASSERT_NE(plain.header, nullptr);
  EXPECT_EQ(plain.Row(1)[3], 8);
  EXPECT_EQ(plain.Row(2)[0], 0);

  // Run-length data: ending inside the picture is damage; ending after a complete last row
  // without the end-of-bitmap mark is not.
  BmpFile runs = rows;
  runs.compression = 1;
  runs.pixels = {4, 9, 0, 0, 2, 7};
  ScopedImage shortRuns;
  EXPECT_EQ(read(runs, shortRuns, &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 2 of 3");
  EXPECT_EQ(shortRuns.Row(1)[1], 7);
  runs.pixels = {4, 9, 0, 0, 4, 8, 0, 0, 4, 7};
  ScopedImage noEnd;
  EXPECT_EQ(read(runs, noEnd, &damage), 0);
  EXPECT_EQ(damage, "");
  EXPECT_EQ(noEnd.Row(2)[3], 7);
}

TEST(Bmp, TrueColourFilesMayCountImportantColoursWithoutATable) {
  // Other writers fill colours important in 24-bit files that hold no table: the pixel offset
  // (54) says where the rows are.
  TempDir dir;
  BmpFile file;
  file.width = 2;
  file.bitCount = 24;
  file.colorsImportant = 7;
  file.offset = 54;
  file.pixels = {10, 20, 30, 40, 50, 60, 0, 0};
  ScopedImage image;
  ASSERT_EQ(Load(dir, file, image), 0);
  EXPECT_EQ(image.format, BM_24BIT);
  EXPECT_EQ(image.Row(0)[0], 10);
  EXPECT_EQ(image.Row(0)[5], 60);
}
