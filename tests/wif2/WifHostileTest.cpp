// Damaged and hostile WIF2 data: bad headers are refused with -2, everything else decodes to a
// whole picture of the header's size, without reading or writing outside the buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "WifTestSupport.h"

using namespace wiftest;

namespace {

// Decodes whatever the bytes hold. Returns the Create result, or 1 for a header the test does not
// decode because a reader would refuse an image that large.
int DecodeAnything(const std::vector<uint8_t>& file) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  const int created = decoder.Create(&source);
  if (created != 0) return created;
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  if (row * p.height > (int64_t(1) << 22)) return 1;
  std::vector<uint8_t> out(size_t(row * p.height));
  decoder.BindWithStride(out.data(), row);
  // Every sample of every tile is produced, whatever the data: the whole buffer comes back.
  EXPECT_EQ(decoder.DecodeAll(), out.data());
  return 0;
}

std::vector<uint8_t> SmallFile(bool colour, bool fast, bool tiled, int bits = 8) {
  Picture p = Crop(LoadSample(colour ? "chelsea.ppm" : "camera.pgm"), 300, 280);
  if (bits != 8) p = Widen(p, bits);
  return Encode(p, ParamsFor(p, 20, fast, tiled));
}

int Field16(const std::vector<uint8_t>& file, size_t at) {
  return file[at] | (file[at + 1] << 8);
}

// The header faults that a reader refuses whatever else the header says: levels outside 1..7,
// a width or height of 0, a header size below 40.
bool HeaderPlainlyBroken(const std::vector<uint8_t>& file) {
  return file[12] < 1 || file[12] > 7 || Field16(file, 8) == 0 || Field16(file, 10) == 0 ||
         Field16(file, 36) < 40;
}

} // namespace

TEST(WifHostile, HeadersOutOfRangeAreRefused) {
  const std::vector<uint8_t> good = SmallFile(false, false, false);
  EXPECT_EQ(DecodeAnything(good), 0);
  auto with = [&](std::initializer_list<std::pair<int, uint8_t>> changes) {
    std::vector<uint8_t> bad = good;
    for (auto [offset, value] : changes)
      bad[size_t(offset)] = value;
    return DecodeAnything(bad);
  };
  EXPECT_EQ(with({{12, 0}}), -2);
  EXPECT_EQ(with({{12, 8}}), -2);
  EXPECT_EQ(with({{12, 255}}), -2);
  EXPECT_EQ(with({{8, 0}, {9, 0}}), -2);
  EXPECT_EQ(with({{10, 0}, {11, 0}}), -2);
  EXPECT_EQ(with({{36, 10}, {37, 0}}), -2);
  EXPECT_EQ(with({{14, 8}}), -2);                                             // tiled, tile size 0
  EXPECT_EQ(with({{14, 4}, {15, 3}}), -2);                                    // 3 significant bits
  EXPECT_EQ(with({{14, 4}, {15, 40}}), -2);                                   // 40 significant bits
  EXPECT_EQ(with({{14, 8}, {16, 255}, {17, 255}, {18, 255}, {19, 255}}), -2); // huge tiles
  // 65535 x 65535 pixels in tiles of one: more tiles than an int counts.
  EXPECT_EQ(
      with({{8, 255}, {9, 255}, {10, 255}, {11, 255}, {14, 8}, {16, 1}, {17, 0}, {18, 1}, {19, 0}}),
      -2);
  // Header sizes past the file just make the comment run into the chunks.
  EXPECT_EQ(with({{36, 255}, {37, 255}}), 0);
  // Quality 0 and odd flags still decode.
  EXPECT_EQ(with({{13, 0}}), 0);
  EXPECT_EQ(with({{14, 0xF0}}), 0);
}

TEST(WifHostile, ACutKeepsTheTilesBeforeIt) {
  for (bool colour : {false, true}) {
    SCOPED_TRACE(colour ? "colour" : "grey");
    const std::vector<uint8_t> file = SmallFile(colour, false, true);
    vuWifParams params;
    ASSERT_EQ(vuWifParseHeader(file.data(), &params), 14);
    const vuWifTiling tiling = vuWifMakeTiling(params);
    const std::vector<uint8_t> whole = DecodeTilesUnsmoothed(file);
    const std::vector<size_t> chunks = ChunkOffsets(file);
    ASSERT_EQ(int(chunks.size()), tiling.count);
    const int64_t rowBytes = vuWifRowBytes(params, false);
    const int pixelBytes = (params.colour ? 3 : 1) * params.sampleBytes;
    for (size_t cut = 0; cut <= file.size(); cut += file.size() / 23 + 1) {
      SCOPED_TRACE("cut at " + std::to_string(cut));
      const std::vector<uint8_t> part(file.begin(), file.begin() + long(cut));
      if (cut < 54) {
        // The header and comment are not all there: refused, or read as far as they go.
        const int result = DecodeAnything(part);
        EXPECT_TRUE(result == 0 || result == -2) << result;
        continue;
      }
      ASSERT_EQ(DecodeAnything(part), 0);
      const std::vector<uint8_t> decoded = DecodeTilesUnsmoothed(part);
      ASSERT_EQ(decoded.size(), whole.size());
      for (int k = 0; k < tiling.count; ++k) {
        const size_t end = k + 1 < tiling.count ? chunks[size_t(k) + 1] : file.size();
        if (end > cut) break;
        const int x0 = tiling.X0(k), y0 = tiling.Y0(k);
        const int columns = std::min(params.tileWidth, params.width - x0);
        for (int y = y0; y < std::min(y0 + params.tileHeight, params.height); ++y) {
          const size_t at = size_t(y) * rowBytes + size_t(x0) * pixelBytes;
          ASSERT_TRUE(std::equal(whole.begin() + long(at),
                                 whole.begin() + long(at + size_t(columns) * pixelBytes),
                                 decoded.begin() + long(at)))
              << "tile " << k << " row " << y;
        }
      }
    }
  }
}

TEST(WifHostile, ShuffledChunksAndRandomBytesAfterTheHeader) {
  const std::vector<uint8_t> file = SmallFile(true, true, true);
  std::vector<std::vector<uint8_t>> chunks;
  for (size_t offset = 54; offset < file.size();) {
    const size_t length = vuWifChunkLength(&file[offset]);
    chunks.emplace_back(file.begin() + long(offset), file.begin() + long(offset + length));
    offset += length;
  }
  ASSERT_EQ(chunks.size(), 4u);
  std::mt19937 random(11);
  for (int round = 0; round < 4; ++round) {
    std::shuffle(chunks.begin(), chunks.end(), random);
    std::vector<uint8_t> shuffled(file.begin(), file.begin() + 54);
    for (const auto& c : chunks)
      shuffled.insert(shuffled.end(), c.begin(), c.end());
    EXPECT_EQ(DecodeAnything(shuffled), 0);
  }
  for (int round = 0; round < 8; ++round) {
    std::vector<uint8_t> noise(file.begin(), file.begin() + 54);
    const size_t n = random() % 20000;
    for (size_t i = 0; i < n; ++i)
      noise.push_back(uint8_t(random()));
    EXPECT_EQ(DecodeAnything(noise), 0);
  }
  // All zeros and all ones after the header.
  for (uint8_t fill : {uint8_t(0), uint8_t(0xFF)}) {
    std::vector<uint8_t> flat(file.begin(), file.begin() + 54);
    flat.resize(5000, fill);
    EXPECT_EQ(DecodeAnything(flat), 0);
  }
}

TEST(WifHostile, DamagedFilesAreRefusedByTheirHeaderOrDecodedWhole) {
  const std::vector<std::vector<uint8_t>> seeds = {
      SmallFile(false, false, false), SmallFile(true, false, true), SmallFile(true, true, false),
      SmallFile(false, true, true, 12), SmallFile(true, false, false, 16)};
  uint32_t seed = 2024;
  int refused = 0;
  for (const std::vector<uint8_t>& valid : seeds) {
    int decoded = 0;
    vutest::ForEachDamagedCopy(
        valid, {.rounds = 40, .seed = ++seed, .truncations = false, .headerBytes = 54},
        [&](const std::vector<uint8_t>& file) {
          const int result = DecodeAnything(file);
          ASSERT_TRUE(result == 0 || result == -2 || result == 1) << result;
          result == 0 ? ++decoded : ++refused;
          if (file.size() < 54) return;
          if (HeaderPlainlyBroken(file)) {
            EXPECT_EQ(result, -2);
          }
          // The codec cannot tell damaged data: with the header intact, the picture comes out.
          if (std::equal(file.begin(), file.begin() + 54, valid.begin())) {
            EXPECT_EQ(result, 0);
          }
        });
    EXPECT_GT(decoded, 0);
  }
  EXPECT_GT(refused, 0);
}

TEST(WifHostile, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  vutest::TempDir dir;
  for (bool colour : {false, true}) {
    Picture p = Crop(LoadSample(colour ? "chelsea.ppm" : "camera.pgm"), 70, 45);
    vutest::ExpectBothOutcomes(vutest::LoadDamagedCopies(
        Encode(p, ParamsFor(p, 20, false, true)), dir.Path("damaged.wif"),
        {.rounds = 100, .seed = colour ? 7u : 8u, .headerBytes = 54}, [](vuImage& image) {
          EXPECT_TRUE(image.format == BM_24BIT || image.format == BM_8BIT_GRAY ||
                      image.format == BM_48BIT || image.format == BM_16BIT_GRAY)
              << image.format;
        }));
  }
}

// The reader tells a whole file from a damaged one: a file that ends early, a missing chunk
// marker or a tile whose data does not fill its chunk exactly give -2 with the reason, and the
// image keeps what could be decoded.
TEST(WifHostile, DamageIsReportedAndThePartThatCameIsKept) {
  vutest::TempDir dir;
  const std::vector<uint8_t> file = SmallFile(true, false, true); // 300 x 280: 2 x 2 tiles
  auto read = [&](const std::vector<uint8_t>& bytes, std::string* damage, vuImage& image) {
    vutest::WriteFileBytes(dir.Path("t.wif"), bytes);
    return vutest::ReadWithReader(image, 1, dir.Path("t.wif"), damage);
  };
  std::string damage;
  vutest::ScopedImage whole;
  ASSERT_EQ(read(file, &damage, whole), 0);
  EXPECT_EQ(damage, "");

  // The chunk offsets, from the markers.
  std::vector<size_t> chunks;
  for (size_t at = 40 + (file[36] | (file[37] << 8)) - 40; at < file.size();
       at += vuWifChunkLength(&file[at]))
    chunks.push_back(at);
  ASSERT_EQ(chunks.size(), 4u);

  // The header alone: nothing decoded, the picture allocated and black.
  vutest::ScopedImage headerOnly;
  EXPECT_EQ(read({file.begin(), file.begin() + long(chunks[0])}, &damage, headerOnly), -2);
  EXPECT_EQ(damage, "the data ends before tile 1 of 4");
  ASSERT_NE(headerOnly.header, nullptr);
  EXPECT_EQ(headerOnly.Row(0)[0] | headerOnly.Row(279)[899], 0);

  // Cut inside tile 3: tiles 1 and 2 (the first tile row, rows 0..255) decode as in the whole
  // file; tile 4 is never decoded.
  vutest::ScopedImage cut;
  EXPECT_EQ(read({file.begin(), file.begin() + long(chunks[2] + 40)}, &damage, cut), -2);
  EXPECT_EQ(damage, "the data ends inside tile 3 of 4");
  for (int y = 0; y < 250; y += 7)
    ASSERT_EQ(std::memcmp(cut.Row(y), whole.Row(y), 900), 0) << y;
  EXPECT_EQ(cut.Row(279)[899], 0);

  std::vector<uint8_t> noMarker = file;
  noMarker[chunks[1]] = 'X';
  vutest::ScopedImage a;
  EXPECT_EQ(read(noMarker, &damage, a), -2);
  EXPECT_EQ(damage, "the chunk marker of tile 2 of 4 is missing");

  // A chunk length that does not match its tile's data, either way.
  for (int change : {+4, -4}) {
    std::vector<uint8_t> moved = file;
    vuWifWriteChunkMarker(&moved[chunks[0]], vuWifChunkLength(&file[chunks[0]]) + change);
    vutest::ScopedImage b;
    EXPECT_EQ(read(moved, &damage, b), -2) << change;
    EXPECT_EQ(damage, change > 0 ? "the data of tile 1 of 4 ends before its chunk"
                                 : "the data of tile 1 of 4 runs past its chunk");
  }
}
