// Damaged and hostile WIF2 data: bad headers are refused, everything else decodes to some
// picture without reading or writing outside the buffers.
#include <gtest/gtest.h>

#include <random>

#include "WifTestSupport.h"

using namespace wiftest;

namespace {

// Decodes whatever the bytes hold; returns the Create result.
int DecodeAnything(const std::vector<uint8_t>& file) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  const int created = decoder.Create(&source);
  if (created != 0) return created;
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  if (row * p.height > (int64_t(1) << 22)) return 1; // a reader refuses images this large
  std::vector<uint8_t> out(size_t(row * p.height));
  decoder.BindWithStride(out.data(), row);
  decoder.DecodeAll();
  return 0;
}

std::vector<uint8_t> SmallFile(bool colour, bool fast, bool tiled, int bits = 8) {
  Picture p = Crop(LoadSample(colour ? "chelsea.ppm" : "camera.pgm"), 300, 280);
  if (bits != 8) p = Widen(p, bits);
  return Encode(p, ParamsFor(p, 20, fast, tiled));
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
  EXPECT_GE(with({{36, 255}, {37, 255}}), 0);
  // Quality 0 and odd flags still decode.
  EXPECT_EQ(with({{13, 0}}), 0);
  EXPECT_EQ(with({{14, 0xF0}}), 0);
}

TEST(WifHostile, TruncatedFilesEndCleanly) {
  for (bool colour : {false, true}) {
    const std::vector<uint8_t> file = SmallFile(colour, false, true);
    for (size_t cut = 0; cut <= file.size(); cut += file.size() / 23 + 1) {
      std::vector<uint8_t> part(file.begin(), file.begin() + long(cut));
      DecodeAnything(part);
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

TEST(WifHostile, MutatedFilesNeverCrash) {
  std::mt19937 random(2024);
  const std::vector<std::vector<uint8_t>> seeds = {
      SmallFile(false, false, false), SmallFile(true, false, true), SmallFile(true, true, false),
      SmallFile(false, true, true, 12), SmallFile(true, false, false, 16)};
  for (int round = 0; round < 120; ++round) {
    std::vector<uint8_t> file = seeds[size_t(round) % seeds.size()];
    const int edits = 1 + int(random() % 8);
    for (int e = 0; e < edits; ++e) {
      // Header bytes half the time, coded data otherwise.
      const size_t at = (random() % 2) ? random() % 54 : random() % file.size();
      switch (random() % 3) {
      case 0:
        file[at] = uint8_t(random());
        break;
      case 1:
        file[at] ^= uint8_t(1 << (random() % 8));
        break;
      default:
        file.resize(at + 1);
        break;
      }
    }
    DecodeAnything(file);
  }
}
