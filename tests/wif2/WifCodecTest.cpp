// Whole-image coding: round trips on the samples, tiling, tile-by-tile decoding, seam smoothing
// and known answers that guard every output byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "WifTestSupport.h"

using namespace wiftest;

namespace {

struct Case {
  const char* sample;
  int bits; // 8, or the significant bits of the widened picture
  bool fast;
  bool tiled;
};

Picture Make(const Case& c) {
  Picture p = LoadSample(c.sample);
  return c.bits == 8 ? p : Widen(p, c.bits);
}

} // namespace

TEST(WifCodec, RoundTripsOnPhotographs) {
  const bool print = std::getenv("VU_WIF_PRINT") != nullptr;
  for (const char* sample : {"camera.pgm", "chelsea.ppm", "astronaut.ppm"}) {
    for (int bits : {8, 12, 16}) {
      for (int mode = 0; mode < 4; ++mode) {
        // 16-bit samples: normal untiled and fast tiled, on a part of the picture (keeps the
        // sanitizer run short).
        if (bits != 8 && (mode == 1 || mode == 2)) continue;
        const Case c{sample, bits, (mode & 1) != 0, (mode & 2) != 0};
        const Picture p = bits == 8 ? Make(c) : Crop(Make(c), 300, 260);
        double previous = INFINITY;
        // 16-bit colour codes its chroma low band 2^(2s) finer than 8-bit colour, so fine
        // qualities outgrow the chunk length field there.
        const std::vector<int> qualities = p.channels == 3 && bits == 16
                                               ? std::vector<int>{50, 150, 255}
                                               : std::vector<int>{1, 10, 50, 150, 255};
        for (int q : qualities) {
          const std::vector<uint8_t> file = Encode(p, ParamsFor(p, q, c.fast, c.tiled));
          const double psnr = vutest::Psnr(p, Decode(file));
          if (print)
            std::printf("%-14s bits %2d fast %d tiled %d q %3d: %6.2f dB %6.3f bpp\n", sample, bits,
                        c.fast, c.tiled, q, psnr, file.size() * 8.0 / p.width / p.height);
          EXPECT_LE(psnr, previous + 0.05) << sample << " q " << q;
          previous = psnr;
          if (q == 1) {
            EXPECT_GT(psnr, bits == 8 ? 45.0 : 44.0) << sample << " bits " << bits;
          }
          if (q == 50) {
            EXPECT_GT(psnr, 30.0) << sample << " bits " << bits;
          }
          EXPECT_GT(psnr, 22.0) << sample << " q " << q;
        }
      }
    }
  }
}

TEST(WifCodec, PsnrFallsAsQualityRises) {
  const Picture p = LoadSample("camera.pgm");
  double previous = INFINITY;
  for (int q : {1, 2, 4, 8, 16, 32, 64, 128, 200, 255}) {
    const double psnr = vutest::Psnr(p, Decode(Encode(p, ParamsFor(p, q, false, false))));
    EXPECT_LT(psnr, previous) << "q " << q;
    previous = psnr;
  }
}

TEST(WifCodec, OddAndTinySizes) {
  const Picture colour = LoadSample("astronaut.ppm");
  const Picture grey = LoadSample("camera.pgm");
  const int sizes[][2] = {{1, 1},   {1, 7},   {7, 1},    {2, 2},    {3, 5},
                          {17, 33}, {31, 16}, {33, 300}, {300, 33}, {257, 259}};
  for (const auto& s : sizes) {
    for (const Picture* base : {&grey, &colour}) {
      for (int bits : {8, 12}) {
        for (int mode = 0; mode < 4; ++mode) {
          Picture p = Crop(*base, s[0], s[1]);
          if (bits != 8) p = Widen(p, bits);
          const std::vector<uint8_t> file = Encode(p, ParamsFor(p, 1, mode & 1, mode & 2));
          const Picture back = Decode(file);
          ASSERT_EQ(back.width, s[0]);
          ASSERT_EQ(back.height, s[1]);
          const double psnr = vutest::Psnr(p, back);
          EXPECT_GT(psnr, 40.0) << s[0] << "x" << s[1] << " channels " << p.channels << " bits "
                                << bits << " mode " << mode;
        }
      }
    }
  }
}

TEST(WifCodec, SameInputGivesSameBytes) {
  const Picture p = LoadSample("chelsea.ppm");
  const vuWifParams params = ParamsFor(p, 20, false, true);
  EXPECT_EQ(Encode(p, params), Encode(p, params));
}

// Known answers: any change to the coder that alters one output byte shows here.
TEST(WifCodec, KnownAnswers) {
  struct Known {
    Case c;
    int quality;
    uint64_t fileHash;  // FNV-1a of the file
    uint64_t pixelHash; // FNV-1a of the decoded pixels
  };
  const Known known[] = {
      {{"camera.pgm", 8, false, false}, 50, 0xf261f78e259bdfa7ull, 0x4d21864cd1829fb6ull},
      {{"camera.pgm", 8, true, true}, 10, 0x5dc04bbc92925900ull, 0x04ad9e2113cee1e0ull},
      {{"chelsea.ppm", 8, false, false}, 1, 0x8f1f9d8ea9a1e376ull, 0xb778d69d68abe288ull},
      {{"chelsea.ppm", 8, true, false}, 150, 0xe55aa499676eadd7ull, 0x9e8f9661dccdbe42ull},
      {{"astronaut.ppm", 8, false, true}, 50, 0xea05865ecd1ec9b0ull, 0x151fd7190a639ce9ull},
      {{"astronaut.ppm", 12, false, false}, 20, 0xabb034012436bfe3ull, 0x040e9d4eaefc84d1ull},
      {{"astronaut.ppm", 16, true, true}, 60, 0x5093f509045f65e6ull, 0x117e3f313c8955e5ull},
      {{"camera.pgm", 12, true, false}, 255, 0xdb071e4a54763830ull, 0x4974446828f4dc62ull},
      {{"camera.pgm", 16, false, true}, 1, 0x2735fa815ddaaa56ull, 0x92cfc64396e4fde5ull},
  };
  const bool print = std::getenv("VU_WIF_PRINT") != nullptr;
  for (const Known& k : known) {
    const Picture p = Make(k.c);
    const std::vector<uint8_t> file = Encode(p, ParamsFor(p, k.quality, k.c.fast, k.c.tiled));
    const uint64_t fileHash = Fnv1a(file);
    const uint64_t pixelHash = Fnv1a(DecodeRows(file));
    if (print)
      std::printf("{{\"%s\", %d, %s, %s}, %d, 0x%016llxull, 0x%016llxull},\n", k.c.sample, k.c.bits,
                  k.c.fast ? "true" : "false", k.c.tiled ? "true" : "false", k.quality,
                  (unsigned long long)fileHash, (unsigned long long)pixelHash);
    EXPECT_EQ(fileHash, k.fileHash) << k.c.sample << " q " << k.quality;
    EXPECT_EQ(pixelHash, k.pixelHash) << k.c.sample << " q " << k.quality;
  }
}

TEST(WifCodec, LevelsChosenWhenLeftOpen) {
  Picture p = Crop(LoadSample("camera.pgm"), 100, 40);
  vuWifParams params = ParamsFor(p, 50, false, false, 0);
  std::vector<uint8_t> file = Encode(p, params);
  EXPECT_EQ(file[12], 2);
  Picture tiny = Crop(LoadSample("camera.pgm"), 9, 9);
  file = Encode(tiny, ParamsFor(tiny, 50, false, false, 0));
  EXPECT_EQ(file[12], 1); // below 16 pixels: one level rather than none
  EXPECT_GT(vutest::Psnr(tiny, Decode(file)), 25.0);
}

namespace {

std::vector<int64_t> ChunkLengths(const std::vector<uint8_t>& file) {
  std::vector<int64_t> lengths;
  for (size_t offset : ChunkOffsets(file))
    lengths.push_back(vuWifChunkLength(&file[offset]));
  return lengths;
}

} // namespace

TEST(WifCodec, TileByTileEqualsDecodeAllBeforeSmoothing) {
  for (int bits : {8, 12}) {
    for (const char* sample : {"camera.pgm", "chelsea.ppm"}) {
      Picture p = LoadSample(sample);
      if (bits != 8) p = Widen(p, bits);
      const vuWifParams params = ParamsFor(p, 30, false, true);
      const std::vector<uint8_t> file = Encode(p, params);
      std::vector<int64_t> answers;
      std::vector<uint8_t> byTile = DecodeTilesUnsmoothed(file, &answers);
      const std::vector<int64_t> chunks = ChunkLengths(file);
      const vuWifTiling tiling = vuWifMakeTiling(params);
      ASSERT_EQ(int(chunks.size()), tiling.count);
      // First chunk length, then after tile k the length of chunk k + 1 (minus 4 for the last).
      EXPECT_EQ(answers[0], chunks[0]);
      for (int k = 0; k + 1 < tiling.count; ++k)
        EXPECT_EQ(answers[size_t(k) + 1], chunks[size_t(k) + 1] - (k + 2 == tiling.count ? 4 : 0));
      EXPECT_EQ(answers[size_t(tiling.count)], -1);
      EXPECT_EQ(answers.back(), -1);
      const std::vector<uint8_t> all = DecodeRows(file);
      EXPECT_NE(byTile, all); // the seams were smoothed
      vuWifSmoothSeams(byTile.data(), CodecRowBytes(p), params);
      EXPECT_EQ(byTile, all) << sample << " bits " << bits;
    }
  }
}

TEST(WifCodec, SingleTileFileAndNoSmoothingWhenUntiled) {
  const Picture p = LoadSample("chelsea.ppm");
  const std::vector<uint8_t> file = Encode(p, ParamsFor(p, 30, true, false));
  std::vector<int64_t> answers;
  const std::vector<uint8_t> byTile = DecodeTilesUnsmoothed(file, &answers);
  EXPECT_EQ(answers[0], int64_t(file.size()) - 54 - 4);
  EXPECT_EQ(answers[1], -1);
  EXPECT_EQ(byTile, DecodeRows(file));
}

TEST(WifCodec, SeamSmoothingRule) {
  vuWifParams p;
  p.width = 3;
  p.height = 512;
  p.tiled = 1;
  p.tileWidth = 256;
  p.tileHeight = 256;
  std::vector<uint8_t> grey(3 * 512);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 3; ++x)
      grey[size_t(y) * 3 + x] = y < 256 ? 100 : 200;
  std::vector<uint8_t> before = grey;
  vuWifSmoothSeams(grey.data(), 3, p);
  for (int y = 0; y < 512; ++y) {
    const int expected = y == 254   ? 112
                         : y == 255 ? 125
                         : y == 256 ? 175
                         : y == 257 ? 188
                                    : before[size_t(y) * 3];
    ASSERT_EQ(grey[size_t(y) * 3 + 1], expected) << y;
  }
  // Colour: each channel; clamped; negative differences truncate toward zero.
  p.colour = 1;
  p.width = 1;
  p.height = 4;
  p.tileHeight = 2;
  std::vector<uint8_t> colour = {250, 10, 9, 250, 10, 9, 0, 250, 0, 0, 250, 0};
  vuWifSmoothSeams(colour.data(), 3, p);
  // Channel 0: d = 0 - 250 = -250: d/8 = -31, d/4 = -62.
  EXPECT_EQ(colour[0], 219);
  EXPECT_EQ(colour[3], 188);
  EXPECT_EQ(colour[6], 62);
  EXPECT_EQ(colour[9], 31);
  // Channel 1: d = 240: 10 + 30, 10 + 60, 250 - 60, 250 - 30.
  EXPECT_EQ(colour[1], 40);
  EXPECT_EQ(colour[4], 70);
  EXPECT_EQ(colour[7], 190);
  EXPECT_EQ(colour[10], 220);
  // 16-bit: per sample, clamped to the significant range.
  p.colour = 0;
  p.sampleBytes = 2;
  p.significantBits = 12;
  std::vector<uint8_t> wide = {0xFF, 0x0F, 0xFF, 0x0F, 0, 0, 0, 0};
  vuWifSmoothSeams(wide.data(), 2, p);
  EXPECT_EQ(wide[0] | (wide[1] << 8), 4095 - 511);
  EXPECT_EQ(wide[6] | (wide[7] << 8), 511);
  // Tile heights of 1: seams one after another, none reaching above the first row.
  p.sampleBytes = 1;
  p.tileHeight = 1;
  p.height = 6;
  std::vector<uint8_t> rows = {0, 0, 0, 255, 255, 255};
  vuWifSmoothSeams(rows.data(), 1, p);
  for (uint8_t v : rows)
    EXPECT_LE(v, 255);
}

TEST(WifCodec, AlignedAndPackedBindingsAgree) {
  Picture p = Crop(LoadSample("camera.pgm"), 301, 77);
  const std::vector<uint8_t> file = Encode(p, ParamsFor(p, 40, false, false));
  const std::vector<uint8_t> packed = DecodeRows(file);
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  ASSERT_EQ(decoder.Create(&source), 0);
  vuWifHeaderInfo info;
  decoder.GetHeaderInfo(&info);
  EXPECT_EQ(info.imageBytes, 301 * 77);
  std::vector<uint8_t> aligned(304 * 77, 0);
  decoder.Bind(aligned.data(), true);
  decoder.GetHeaderInfo(&info);
  EXPECT_EQ(info.imageBytes, 304 * 77);
  decoder.DecodeAll();
  for (int y = 0; y < 77; ++y)
    for (int x = 0; x < 301; ++x)
      ASSERT_EQ(aligned[size_t(y) * 304 + x], packed[size_t(y) * 301 + x]);
  // The decoder's own buffer.
  vuWifByteSource again{file.data(), file.size(), 0};
  vuWifDecoder own;
  ASSERT_EQ(own.Create(&again), 0);
  uint8_t* buffer = own.AllocateBuffer();
  ASSERT_NE(buffer, nullptr);
  own.DecodeAll();
  EXPECT_TRUE(std::equal(packed.begin(), packed.end(), buffer));
}
