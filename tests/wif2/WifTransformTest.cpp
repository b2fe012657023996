// Transforms, band layout, prediction, quantisation steps and the colour planes.
#include <gtest/gtest.h>

#include <random>

#include "codec/wif2/vuWifQuantize.h"
#include "codec/wif2/vuWifTransform.h"

TEST(WifTransform, LevelRule) {
  EXPECT_EQ(vuWifChooseLevels(15, 400), 0);
  for (int m : {16, 31})
    EXPECT_EQ(vuWifChooseLevels(m, m), 1) << m;
  for (int m : {32, 63})
    EXPECT_EQ(vuWifChooseLevels(m, 1000), 2) << m;
  EXPECT_EQ(vuWifChooseLevels(64, 64), 3);
  for (int m : {128, 255})
    EXPECT_EQ(vuWifChooseLevels(m, m), 4) << m;
  for (int m : {256, 511})
    EXPECT_EQ(vuWifChooseLevels(m, m), 5) << m;
  for (int m : {512, 1024, 2047})
    EXPECT_EQ(vuWifChooseLevels(m, m), 6) << m;
  for (int m : {2048, 4096, 65535})
    EXPECT_EQ(vuWifChooseLevels(m, m), 7) << m;
  EXPECT_EQ(vuWifChooseLevels(100, 40), 2);
}

TEST(WifTransform, PaddedSizes) {
  EXPECT_EQ(vuWifPaddedSize(300, 5), 320);
  EXPECT_EQ(vuWifPaddedSize(200, 5), 224);
  EXPECT_EQ(vuWifPaddedSize(256, 5), 256);
  EXPECT_EQ(vuWifPaddedSize(1, 5), 32);
  EXPECT_EQ(vuWifPaddedSize(33, 1), 34);
}

TEST(WifTransform, Reflection) {
  EXPECT_EQ(vuWifReflect(-1, 5), 1);
  EXPECT_EQ(vuWifReflect(-4, 5), 4);
  EXPECT_EQ(vuWifReflect(5, 5), 3);
  EXPECT_EQ(vuWifReflect(8, 5), 0);
  // Short lines: repeated reflection, x[-2] = x[0] and x[3] = x[1] for two values.
  EXPECT_EQ(vuWifReflect(-2, 2), 0);
  EXPECT_EQ(vuWifReflect(3, 2), 1);
  EXPECT_EQ(vuWifReflect(-1, 2), 1);
  EXPECT_EQ(vuWifReflect(7, 1), 0);
}

TEST(WifTransform, FiveThreePairReturnsThirtyTwoTimes) {
  std::mt19937 random(3);
  for (int n : {16, 2, 4, 6}) {
    const size_t count = size_t(n);
    std::vector<int32_t> line(count + 4), coded(count), back(count), input(count);
    for (int i = 0; i < n; ++i)
      input[size_t(i)] = line[size_t(i) + 2] = int32_t(random() % 512) - 256;
    vuWifForward53Line<int32_t>(line.data() + 2, n, coded.data());
    std::vector<int32_t> u(size_t(n) + 4);
    for (int i = 0; i < n / 2; ++i) {
      u[size_t(2 * i) + 2] = coded[size_t(i)];
      u[size_t(2 * i + 1) + 2] = coded[size_t(n / 2 + i)];
    }
    vuWifInverse53Line<int32_t>(u.data() + 2, n, back.data());
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(back[size_t(i)], 32 * input[size_t(i)]) << n << " " << i;
  }
}

TEST(WifTransform, NineSevenPairScale) {
  // A constant line comes back at 1024 x 2049 = 2.001 x 2^20 times.
  const int W = 16;
  std::vector<int32_t> row(W, 3), lo(W / 2), hi(W / 2);
  std::vector<int32_t> line(W + 2 * kWifLineMargin);
  vuWifAnalysisRow<int32_t>(row.data(), W, W, false, line.data(), lo.data(), hi.data());
  for (int i = 0; i < W / 2; ++i) {
    EXPECT_EQ(lo[size_t(i)], 2049 * 3);
    EXPECT_EQ(hi[size_t(i)], 0);
  }
  for (int i = 0; i < W / 2; ++i) {
    line[size_t(kWifLineMargin + 2 * i)] = lo[size_t(i)];
    line[size_t(kWifLineMargin + 2 * i + 1)] = hi[size_t(i)];
  }
  std::vector<int32_t> out(W);
  vuWifSynthesisRow<int32_t>(line.data(), W, W, false, 1, 1, out.data());
  for (int v : out)
    EXPECT_EQ(v, 2098176 * 3);
  // A varying line: about the same factor.
  std::vector<int32_t> ramp(W);
  for (int i = 0; i < W; ++i)
    ramp[size_t(i)] = 100 + 7 * i;
  std::vector<int64_t> wideLine(W + 2 * kWifLineMargin), wlo(W / 2), whi(W / 2);
  vuWifAnalysisRow<int64_t>(ramp.data(), W, W, false, wideLine.data(), wlo.data(), whi.data());
  for (int i = 0; i < W / 2; ++i) {
    wideLine[size_t(kWifLineMargin + 2 * i)] = wlo[size_t(i)];
    wideLine[size_t(kWifLineMargin + 2 * i + 1)] = whi[size_t(i)];
  }
  vuWifSynthesisRow<int64_t>(wideLine.data(), W, W, false, 1, 1 << 20, out.data());
  for (int i = 2; i < W - 2; ++i)
    EXPECT_NEAR(out[size_t(i)], 2.001 * ramp[size_t(i)], 2.0) << i;
}

TEST(WifTransform, ConstantPlaneHasNoDetail) {
  for (bool fast : {false, true}) {
    const int w = 100, h = 70, levels = 4;
    std::vector<int32_t> plane(size_t(w) * h, 77);
    vuWifBands<int32_t> bands;
    bands.Resize(vuWifPaddedSize(w, levels) / 2, vuWifPaddedSize(h, levels) / 2);
    vuWifTransformScratch<int32_t> scratch;
    vuWifForwardFirstLevel<int32_t>(plane.data(), w, h, fast, 1, bands, scratch);
    for (size_t i = 0; i < bands.hl.size(); ++i) {
      ASSERT_EQ(bands.hl[i], 0);
      ASSERT_EQ(bands.lh[i], 0);
      ASSERT_EQ(bands.hh[i], 0);
    }
    vuWifForwardFurtherLevels<int32_t>(bands, levels, scratch);
    const int a = bands.w2 >> (levels - 1), b = bands.h2 >> (levels - 1);
    const int32_t low = bands.ll[0];
    EXPECT_NE(low, 0);
    for (int y = 0; y < bands.h2; ++y)
      for (int x = 0; x < bands.w2; ++x) {
        if (x < a && y < b)
          ASSERT_EQ(bands.ll[size_t(y) * bands.w2 + x], low);
        else
          ASSERT_EQ(bands.ll[size_t(y) * bands.w2 + x], 0) << x << "," << y;
      }
  }
}

TEST(WifTransform, CodingOrderOfTheLowBandSubtree) {
  const int w2 = 128, h2 = 128, levels = 5;
  std::vector<int32_t> ll(size_t(w2) * h2);
  for (int y = 0; y < h2; ++y)
    for (int x = 0; x < w2; ++x)
      ll[size_t(y) * w2 + x] = y * 1000 + x;
  std::vector<int32_t> order(ll.size(), -1);
  vuWifToCodingOrder<int32_t, int32_t>(ll.data(), w2, h2, levels, order.data());
  // 64 for LL_5, then HL/LH/HH of 64, 256, 1024, 4096 values.
  EXPECT_EQ(order[0], 0);
  EXPECT_EQ(order[63], 7 * 1000 + 7);
  EXPECT_EQ(order[64], 8);         // HL_5 starts at column 8, row 0
  EXPECT_EQ(order[128], 8 * 1000); // LH_5 at column 0, row 8
  EXPECT_EQ(order[192], 8 * 1000 + 8);
  EXPECT_EQ(order[256], 16);             // HL_4
  EXPECT_EQ(order[256 + 3 * 256], 32);   // HL_3
  EXPECT_EQ(order[1024 + 3 * 1024], 64); // HL_2
  EXPECT_EQ(order[16384 - 1], 127 * 1000 + 127);
  std::vector<int32_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  std::vector<int32_t> all = ll;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(sorted, all); // every position exactly once
  std::vector<int32_t> back(ll.size());
  vuWifFromCodingOrder<int32_t>(order.data(), w2, h2, levels, 256, back.data());
  for (size_t i = 0; i < ll.size(); ++i)
    ASSERT_EQ(back[i], ll[i] * 256);
}

TEST(WifTransform, LowBandPredictionTruncatesTowardZero) {
  // 2 x 2: c[1][1] -= (3 * (c[0][1] + c[1][0]) - 2 * c[0][0]) / 4.
  std::vector<int32_t> c = {0, 0, 0, -1};
  std::vector<int32_t> v = {10, 11, 12, 20};
  vuWifPredictLowBand<int32_t>(v.data(), 2, 2);
  // (3 * 23 - 20) / 4 = 49 / 4 = 12; first row and column by differences.
  EXPECT_EQ(v, (std::vector<int32_t>{10, 1, 2, 8}));
  std::vector<int32_t> n = {-10, -11, -12, -20};
  vuWifPredictLowBand<int32_t>(n.data(), 2, 2);
  EXPECT_EQ(n, (std::vector<int32_t>{-10, -1, -2, -8})); // -49 / 4 = -12, not -13
  std::mt19937 random(5);
  std::vector<int64_t> band(35);
  for (auto& x : band)
    x = int64_t(random() % 2001) - 1000;
  std::vector<int64_t> coded = band;
  for (size_t i = 0; i < coded.size(); ++i)
    coded[i] = band[i];
  std::vector<int32_t> narrow(band.begin(), band.end());
  vuWifPredictLowBand<int32_t>(narrow.data(), 7, 5);
  std::vector<int64_t> wide(narrow.begin(), narrow.end());
  vuWifUnpredictLowBand<int64_t>(wide.data(), 7, 5);
  EXPECT_EQ(wide, band);
  (void)c;
}

TEST(WifQuantise, StepsAndDivisors) {
  vuWifSteps s = vuWifLumaSteps(50, false, 0);
  EXPECT_EQ(s.firstLevel, 212992);
  EXPECT_EQ(s.lowBand, 832);
  EXPECT_EQ(vuWifOutputDivisor(50, false, 0).divisor, 80660);
  s = vuWifLumaSteps(50, true, 0);
  EXPECT_EQ(s.firstLevel, 832);
  EXPECT_EQ(vuWifOutputDivisor(50, true, 0).divisor, 315);
  s = vuWifLumaSteps(1, false, 4);
  EXPECT_EQ(s.firstLevel, 3 << 16);
  EXPECT_EQ(s.lowBand, 3 << 8);
  EXPECT_EQ(vuWifOutputDivisor(1, false, 4).divisor, 87381);
  // The luma plane's two extra bits enter the steps, not the divisor.
  EXPECT_EQ(vuWifLumaSteps(50, false, 2).firstLevel, 212992 * 4);
  // Chroma: differences divided by B 2^s, low band by 16 B.
  EXPECT_EQ(vuWifChromaSteps(50, 4).firstLevel, 52 * 16);
  EXPECT_EQ(vuWifChromaSteps(50, 4).lowBand, 832);
  // Fast 16-bit: the 8-bit fast divisor with the sums scaled by 2^s.
  vuWifOutputScale fast = vuWifOutputDivisor(255, true, 8);
  EXPECT_EQ(fast.divisor, (16384 + 128) / 257);
  EXPECT_EQ(fast.multiplier, 256);
}

TEST(WifQuantise, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(vuWifQuantise<int32_t>(416, 832), 1);
  EXPECT_EQ(vuWifQuantise<int32_t>(-416, 832), -1);
  EXPECT_EQ(vuWifQuantise<int32_t>(415, 832), 0);
  EXPECT_EQ(vuWifQuantise<int32_t>(-415, 832), 0);
  EXPECT_EQ(vuWifQuantise<int64_t>(int64_t(5) << 40, 3), ((int64_t(5) << 40) + 1) / 3);
  EXPECT_EQ(vuWifQuantise<int32_t>(0, 7), 0);
}

TEST(WifQuantise, ColourPlanes) {
  int32_t y, c1, c2, p0, p1, p2;
  vuWifForwardColour(10, 20, 30, &y, &c1, &c2);
  EXPECT_EQ(y, 80);
  EXPECT_EQ(c1, 10);
  EXPECT_EQ(c2, -10);
  vuWifInverseColour(y / 4, c1, c2, &p0, &p1, &p2);
  EXPECT_EQ(p0, 10);
  EXPECT_EQ(p1, 20);
  EXPECT_EQ(p2, 30);
  vuWifForwardColour(255, 0, 255, &y, &c1, &c2);
  EXPECT_EQ(y, 510);
  EXPECT_EQ(c1, -128);
  EXPECT_EQ(c2, -128);
  vuWifInverseColour(127, c1, c2, &p0, &p1, &p2);
  EXPECT_EQ(p1, -1); // clamped to 0 when written
}

TEST(WifTransform, ChromaStepOnOddPlanes) {
  // A 3 x 3 plane: the last column and row repeat; blocks past them are 0.
  const int32_t plane[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  vuWifBands<int32_t> bands;
  bands.Resize(16, 16);
  for (auto& v : bands.ll)
    v = 99;
  vuWifForwardChroma<int32_t>(plane, 3, 3, 0, 1, bands);
  EXPECT_EQ(bands.ll[0], (1 + 2 + 4 + 5) * 16);
  EXPECT_EQ(bands.ll[1], (3 + 3 + 6 + 6) * 16);
  EXPECT_EQ(bands.ll[16], (7 + 8 + 7 + 8) * 16);
  EXPECT_EQ(bands.ll[17], (9 * 4) * 16);
  EXPECT_EQ(bands.hl[1], 0); // (3 - 3 + 6 - 6)
  EXPECT_EQ(bands.lh[16], 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (x >= 2 || y >= 2) {
        ASSERT_EQ(bands.ll[size_t(y) * 16 + x], 0);
        ASSERT_EQ(bands.hh[size_t(y) * 16 + x], 0);
      }
  // Truncating division of the differences: (1 - 2 + 4 - 5) / 3 = -2 / 3 = 0.
  vuWifForwardChroma<int32_t>(plane, 3, 3, 0, 3, bands);
  EXPECT_EQ(bands.hl[0], 0);
  EXPECT_EQ(bands.lh[0], (1 + 2 - 4 - 5) / 3);
}
