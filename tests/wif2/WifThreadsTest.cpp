// Tiles on several threads: the same file and the same pixels whatever the number of threads,
// also when damaged chunk lengths point the threads at the wrong bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "WifTestSupport.h"
#include "codec/wif2/vuWifThreads.h"

using namespace wiftest;

namespace {

std::vector<uint8_t> EncodeWith(const Picture& p, const vuWifParams& params, int threads) {
  const std::vector<uint8_t> rows = CodecRows(p);
  std::vector<uint8_t> out;
  vuWifEncoder encoder(rows.data(), CodecRowBytes(p), &out, params);
  encoder.SetThreads(threads);
  EXPECT_EQ(encoder.EncodeAll(), 0);
  return out;
}

// Decodes all with `threads`; `end` gets where the source stood afterwards.
std::vector<uint8_t> DecodeWith(const std::vector<uint8_t>& file, int threads,
                                size_t* end = nullptr) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  if (decoder.Create(&source) != 0) return {};
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  std::vector<uint8_t> out(size_t(row) * p.height, 0);
  decoder.BindWithStride(out.data(), row);
  decoder.SetThreads(threads);
  decoder.DecodeAll();
  if (end) *end = source.position;
  return out;
}

} // namespace

TEST(WifThreads, SameFileAndPixelsForAnyNumberOfThreads) {
  for (const char* sample : {"camera.pgm", "astronaut.ppm"}) {
    for (int bits : {8, 12}) {
      Picture p = Crop(LoadSample(sample), 300, 290); // partial tiles at the right and the top
      if (bits != 8) p = Widen(p, bits);
      for (bool fast : {false, true}) {
        const vuWifParams params = ParamsFor(p, 30, fast, true);
        const std::vector<uint8_t> one = EncodeWith(p, params, 1);
        size_t oneEnd = 0;
        const std::vector<uint8_t> decoded = DecodeWith(one, 1, &oneEnd);
        for (int threads : {2, 3, 5}) {
          SCOPED_TRACE(testing::Message()
                       << sample << " bits " << bits << " fast " << fast << " threads " << threads);
          EXPECT_EQ(EncodeWith(p, params, threads), one);
          size_t end = 0;
          EXPECT_EQ(DecodeWith(one, threads, &end), decoded);
          EXPECT_EQ(end, oneEnd);
        }
      }
    }
  }
}

TEST(WifThreads, DamagedChunkLengthsGiveTheSequentialPixels) {
  const Picture p = Crop(LoadSample("chelsea.ppm"), 451, 300); // 2 x 2 tiles
  const std::vector<uint8_t> file = EncodeWith(p, ParamsFor(p, 20, false, true), 1);
  // The markers: after the 54-byte header, each chunk's length leads to the next.
  std::vector<size_t> markers = {54};
  while (markers.size() < 4) {
    const size_t at = markers.back();
    markers.push_back(at + ((file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3]));
  }
  for (int damaged = 0; damaged < 3; ++damaged) {
    for (int change : {-1, 7, 100000, -200}) {
      std::vector<uint8_t> bad = file;
      const size_t at = markers[size_t(damaged)];
      const int length = ((bad[at + 1] << 16) | (bad[at + 2] << 8) | bad[at + 3]) + change;
      bad[at + 1] = uint8_t(length >> 16);
      bad[at + 2] = uint8_t(length >> 8);
      bad[at + 3] = uint8_t(length);
      SCOPED_TRACE(testing::Message() << "chunk " << damaged << " length " << length);
      size_t oneEnd = 0, twoEnd = 0;
      const std::vector<uint8_t> sequential = DecodeWith(bad, 1, &oneEnd);
      EXPECT_EQ(DecodeWith(bad, 2, &twoEnd), sequential);
      EXPECT_EQ(twoEnd, oneEnd);
      // The decoder never trusts the lengths: the pixels are those of the intact file.
      EXPECT_EQ(sequential, DecodeWith(file, 1));
    }
  }
  // A truncated file: tiles past the end decode from the filler bytes, the same on any path.
  const std::vector<uint8_t> cut(file.begin(), file.begin() + long(markers[2] + 40));
  EXPECT_EQ(DecodeWith(cut, 3), DecodeWith(cut, 1));
}

TEST(WifThreads, EveryPieceOfWorkRunsOnceAndFailuresReachTheCaller) {
  for (int threads : {1, 2, 4}) {
    std::vector<std::atomic<int>> runs(37);
    vuWifRunParallel(37, threads, [&](int index, int worker) {
      EXPECT_LT(worker, vuWifThreadsFor(37, threads));
      ++runs[size_t(index)];
    });
    for (const std::atomic<int>& r : runs)
      EXPECT_EQ(r.load(), 1);
    EXPECT_THROW(vuWifRunParallel(10, threads,
                                  [](int index, int) {
                                    if (index == 3) throw std::runtime_error("failed");
                                  }),
                 std::runtime_error);
  }
  EXPECT_EQ(vuWifThreadsFor(3, 8), 3);
  EXPECT_EQ(vuWifThreadsFor(5, 0), 1);
  const int before = vuWifDefaultThreads();
  vuWifSetDefaultThreads(3);
  EXPECT_EQ(vuWifDefaultThreads(), 3);
  vuWifSetDefaultThreads(0);
  EXPECT_EQ(vuWifDefaultThreads(), before);
}
