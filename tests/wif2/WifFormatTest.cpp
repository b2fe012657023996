// The byte layout of WIF2 files: header, flags, comment, chunk markers and tiling.
#include <gtest/gtest.h>

#include <cstring>

#include "WifTestSupport.h"
#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifTileReader.h"

using namespace wiftest;

TEST(WifFormat, UntiledGreyHeaderBytes) {
  Picture grey;
  grey.width = 640;
  grey.height = 480;
  grey.samples.assign(640 * 480, 0);
  for (size_t i = 0; i < grey.samples.size(); ++i)
    grey.samples[i] = uint8_t((i * 31) >> 5);
  const std::vector<uint8_t> file = Encode(grey, ParamsFor(grey, 50, false, false));
  const uint8_t expected[] = {'W', 'I', 'F', '2', 2, 0, 40, 0, 0x80, 0x02, 0xE0, 0x01, 5, 50, 0};
  ASSERT_GT(file.size(), 58u);
  EXPECT_EQ(0, std::memcmp(file.data(), expected, sizeof expected));
  for (int i = 15; i < 36; ++i)
    EXPECT_EQ(file[i], 0) << "offset " << i;
  const uint8_t tail[] = {54, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(file.data() + 36, tail, 4));
  EXPECT_EQ(std::string(file.begin() + 40, file.begin() + 54), "VU Ver2 , 1998");
  // One chunk holding the rest of the file.
  EXPECT_EQ(file[54], 'T');
  EXPECT_EQ(vuWifChunkLength(file.data() + 54), file.size() - 54);
}

TEST(WifFormat, SixteenBitColourFastTiledFlags) {
  vuWifParams p;
  p.width = 300;
  p.height = 200;
  p.levels = 5;
  p.quality = 9;
  p.colour = 1;
  p.fastFilter = 1;
  p.sampleBytes = 2;
  p.significantBits = 12;
  p.tiled = 1;
  p.tileWidth = p.tileHeight = 256;
  const std::vector<uint8_t> h = vuWifWriteHeader(p, kWifComment);
  EXPECT_EQ(h[14], 15);
  EXPECT_EQ(h[15], 12);
  EXPECT_EQ(h[16], 0x00);
  EXPECT_EQ(h[17], 0x01);
  EXPECT_EQ(h[18], 0x00);
  EXPECT_EQ(h[19], 0x01);
  vuWifParams back;
  EXPECT_EQ(vuWifParseHeader(h.data(), &back), 14);
  EXPECT_EQ(back.colour, 1);
  EXPECT_EQ(back.fastFilter, 1);
  EXPECT_EQ(back.sampleBytes, 2);
  EXPECT_EQ(back.significantBits, 12);
  EXPECT_EQ(back.tiled, 1);
  EXPECT_EQ(back.tileWidth, 256);
  EXPECT_EQ(back.tileHeight, 256);
  EXPECT_TRUE(vuWifHeaderIsValid(h.data()));
}

TEST(WifFormat, ClearFlagsGiveDefaultsAndExtrasRoundTrip) {
  vuWifParams p;
  p.width = 70;
  p.height = 30;
  p.levels = 3;
  p.hasExtraByte = 1;
  p.extraByte = 0xAB;
  p.hasTag = 1;
  std::memcpy(p.tag, "ABCDEFGH", 8);
  std::vector<uint8_t> h = vuWifWriteHeader(p, "");
  EXPECT_EQ(h[14], 16 | 32);
  EXPECT_EQ(h[15], 0); // 8-bit: the significant-bits byte is not written
  vuWifParams back;
  EXPECT_EQ(vuWifParseHeader(h.data(), &back), 0);
  EXPECT_EQ(back.significantBits, 8);
  EXPECT_EQ(back.tileWidth, 70);
  EXPECT_EQ(back.tileHeight, 30);
  EXPECT_EQ(back.extraByte, 0xAB);
  EXPECT_EQ(0, std::memcmp(back.tag, "ABCDEFGH", 8));
}

TEST(WifFormat, HeaderValidation) {
  vuWifParams p;
  p.width = 10;
  p.height = 10;
  p.levels = 5;
  std::vector<uint8_t> h = vuWifWriteHeader(p, kWifComment);
  EXPECT_TRUE(vuWifHeaderIsValid(h.data()));
  auto broken = [&](int offset, uint8_t value) {
    std::vector<uint8_t> copy = h;
    copy[offset] = value;
    return !vuWifHeaderIsValid(copy.data());
  };
  EXPECT_TRUE(broken(12, 0));  // levels 0
  EXPECT_TRUE(broken(12, 8));  // levels 8
  EXPECT_TRUE(broken(8, 0));   // width 0
  EXPECT_TRUE(broken(10, 0));  // height 0
  EXPECT_TRUE(broken(36, 39)); // header size below 40
  std::vector<uint8_t> tiled = h;
  tiled[14] = 8; // tiled with a tile size of 0
  EXPECT_FALSE(vuWifHeaderIsValid(tiled.data()));
  std::vector<uint8_t> wide = h;
  wide[14] = 4;
  wide[15] = 17; // more significant bits than a sample has
  EXPECT_FALSE(vuWifHeaderIsValid(wide.data()));
}

TEST(WifFormat, ChunkMarker) {
  uint8_t marker[4];
  vuWifWriteChunkMarker(marker, 1000);
  EXPECT_EQ(marker[0], 0x54);
  EXPECT_EQ(marker[1], 0x00);
  EXPECT_EQ(marker[2], 0x03);
  EXPECT_EQ(marker[3], 0xE8);
  EXPECT_EQ(vuWifChunkLength(marker), 1000u);
}

TEST(WifFormat, TilingAndRowLengths) {
  vuWifParams p;
  p.width = 600;
  p.height = 300;
  p.tiled = 1;
  p.tileWidth = p.tileHeight = 256;
  vuWifTiling t = vuWifMakeTiling(p);
  EXPECT_EQ(t.across, 3);
  EXPECT_EQ(t.down, 2);
  EXPECT_EQ(t.count, 6);
  EXPECT_EQ(t.X0(2), 512);
  EXPECT_EQ(t.Y0(2), 0);
  EXPECT_EQ(t.X0(5), 512);
  EXPECT_EQ(t.Y0(5), 256);

  vuWifParams grey;
  grey.width = 301;
  EXPECT_EQ(vuWifRowBytes(grey, true), 304);
  EXPECT_EQ(vuWifRowBytes(grey, false), 301);
  grey.sampleBytes = 2;
  EXPECT_EQ(vuWifRowBytes(grey, true), 602); // 16-bit rows are always packed
  grey.colour = 1;
  EXPECT_EQ(vuWifRowBytes(grey, true), 1806);
}

TEST(WifFormat, PartialTilesAreZeroOutsideTheImage) {
  Picture p;
  p.width = 600;
  p.height = 300;
  p.samples.assign(600 * 300, 200);
  vuWifParams params = ParamsFor(p, 50, false, true);
  const std::vector<uint8_t> rows = CodecRows(p);
  vuWifTileReader reader(rows.data(), CodecRowBytes(p), params);
  std::vector<int32_t> plane(256 * 256, -1);
  reader.ReadTile(2, plane.data());
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      ASSERT_EQ(plane[y * 256 + x], x < 88 ? 200 : 0) << x << "," << y;
  reader.ReadTile(5, plane.data());
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      ASSERT_EQ(plane[y * 256 + x], (x < 88 && y < 44) ? 200 : 0) << x << "," << y;
}

TEST(WifFormat, SixHundredByThreeHundredTiledChunkLayout) {
  Picture p = Crop(LoadSample("astronaut.ppm"), 512, 300);
  // Widen to 600 columns by repeating the picture.
  Picture wide;
  wide.width = 600;
  wide.height = 300;
  wide.channels = 3;
  wide.samples.resize(size_t(600) * 3 * 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 600; ++x)
      for (int c = 0; c < 3; ++c)
        wide.At(x, y, c) = p.At(x % 512, y, c);
  const std::vector<uint8_t> file = Encode(wide, ParamsFor(wide, 50, false, true));
  size_t offset = 54;
  int chunks = 0;
  while (offset < file.size()) {
    ASSERT_EQ(file[offset], 'T');
    offset += vuWifChunkLength(file.data() + offset);
    ++chunks;
  }
  EXPECT_EQ(offset, file.size());
  EXPECT_EQ(chunks, 6);

  // The first three chunks decode the first 256 buffer rows and nothing else.
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  ASSERT_EQ(decoder.Create(&source), 0);
  std::vector<uint8_t> out(size_t(600) * 3 * 300, 0);
  decoder.BindWithStride(out.data(), 600 * 3);
  decoder.FirstChunkLength();
  for (int k = 0; k < 3; ++k)
    decoder.DecodeTile(k);
  size_t filled = 0;
  for (int y = 0; y < 300; ++y)
    for (int i = 0; i < 1800; ++i)
      if (out[size_t(y) * 1800 + i] != 0) {
        ASSERT_LT(y, 256);
        ++filled;
      }
  EXPECT_GT(filled, size_t(256) * 1800 / 2);
}
