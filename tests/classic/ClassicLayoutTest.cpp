// Band layout, scan orders and the lowest-band prediction of older-generation WIF files.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "ClassicTestEncoder.h"
#include "codec/classic/ClassicLayout.h"

using namespace vu::classic;

namespace {

TEST(ClassicLayout, PaddedHalvesAreMultiplesOfTheLevelSize) {
  ClassicLayout a(151, 101, 5); // 151 -> 76 38 19 10 5, x 16 = 80; 101 -> 51 26 13 7 4, x 16
  EXPECT_EQ(a.halfWidth, 80);
  EXPECT_EQ(a.halfHeight, 64);
  EXPECT_EQ(a.LowestWidth(), 5);
  EXPECT_EQ(a.LowestHeight(), 4);
  ClassicLayout tiny(1, 1, 3); // padded to 8 x 8
  EXPECT_EQ(tiny.halfWidth, 4);
  EXPECT_EQ(tiny.LowestSize(), 1);
  ClassicLayout one(3, 2, 1); // L = 1: the low quarter is the lowest band
  EXPECT_EQ(one.halfWidth, 2);
  EXPECT_EQ(one.halfHeight, 1);
  EXPECT_EQ(one.LowestSize(), one.QuarterSize());
}

TEST(ClassicLayout, WalkTablesAreTheHilbertWalks) {
  for (int k = 0; k < 16; ++k) {
    int a, b;
    classictest::HilbertWalk(4, k, &a, &b);
    EXPECT_EQ(kClassicWalk4[k][0], a) << k;
    EXPECT_EQ(kClassicWalk4[k][1], b) << k;
  }
  for (int k = 0; k < 64; ++k) {
    int a, b;
    classictest::HilbertWalk(8, k, &a, &b);
    EXPECT_EQ(kClassicWalk8[k][0], a) << k;
    EXPECT_EQ(kClassicWalk8[k][1], b) << k;
  }
  // Spot checks against the printed tables.
  EXPECT_EQ(kClassicWalk4[5][0], 3);
  EXPECT_EQ(kClassicWalk4[5][1], 0);
  EXPECT_EQ(kClassicWalk8[63][0], 0);
  EXPECT_EQ(kClassicWalk8[63][1], 7);
}

std::vector<std::pair<int64_t, int64_t>> Order(ClassicBand band, int side, int64_t w, int64_t h) {
  std::vector<std::pair<int64_t, int64_t>> order;
  ClassicScanBand(band, side, w, h, [&](int64_t x, int64_t y) { order.push_back({x, y}); });
  return order;
}

TEST(ClassicLayout, ScanOrdersOfEachKindOfBand) {
  using P = std::pair<int64_t, int64_t>;
  // Raster: HL column by column, LH and HH row by row.
  EXPECT_EQ(Order(ClassicBand::HL, 1, 2, 2), (std::vector<P>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
  EXPECT_EQ(Order(ClassicBand::LH, 1, 2, 2), (std::vector<P>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  // Side 2, (row, column) offsets (0,0) (1,0) (1,1) (0,1) for LH/HH; blocks row by row.
  EXPECT_EQ(Order(ClassicBand::HH, 2, 4, 2),
            (std::vector<P>{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 0}}));
  // HL: (0,0) (0,1) (1,1) (1,0) inside, blocks column by column.
  EXPECT_EQ(Order(ClassicBand::HL, 2, 2, 4),
            (std::vector<P>{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 2}, {1, 2}, {1, 3}, {0, 3}}));
  // Side 4: pair k gives (row a, column b) for LH, (column a, row b) for HL.
  auto lh = Order(ClassicBand::LH, 4, 4, 4);
  auto hl = Order(ClassicBand::HL, 4, 4, 4);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(lh[k], (P{kClassicWalk4[k][1], kClassicWalk4[k][0]}));
    EXPECT_EQ(hl[k], (P{kClassicWalk4[k][0], kClassicWalk4[k][1]}));
  }
  // Every position once.
  auto big = Order(ClassicBand::HL, 8, 16, 24);
  EXPECT_EQ(std::set<P>(big.begin(), big.end()).size(), 16u * 24u);
}

TEST(ClassicLayout, BlockSidesByLevel) {
  EXPECT_EQ(ClassicBlockSide(0), 1);
  EXPECT_EQ(ClassicBlockSide(1), 2);
  EXPECT_EQ(ClassicBlockSide(2), 4);
  EXPECT_EQ(ClassicBlockSide(3), 8);
  EXPECT_EQ(ClassicBlockSide(6), 8);
}

// Marks each low-quarter position with its expanse index and returns the plane.
std::vector<float> PlaceIndexes(const ClassicLayout& layout, bool raster) {
  std::vector<int32_t> expanse(size_t(layout.QuarterSize()));
  for (size_t i = 0; i < expanse.size(); ++i)
    expanse[i] = int32_t(i);
  std::vector<float> plane(expanse.size(), -1.0f);
  ClassicPlaceLowQuarter(layout, raster, expanse.data(), plane.data());
  return plane;
}

TEST(ClassicLayout, LowQuarterTakesTheLowestBandThenLevelsFromTheCoarsest) {
  // 32 x 32 padded, L = 5: low quarter 16 x 16, four inner levels, lowest band 1 x 1.
  ClassicLayout layout(32, 32, 5);
  auto plane = PlaceIndexes(layout, false);
  EXPECT_EQ(plane[0], 0.0f);
  // Level 4 (1 x 1 bands, side 1): HL at (1,0), LH at (0,1), HH at (1,1).
  EXPECT_EQ(plane[1], 1.0f);
  EXPECT_EQ(plane[16], 2.0f);
  EXPECT_EQ(plane[17], 3.0f);
  // Level 3 (2 x 2 bands, side 2): HL starts at (2,0) and goes on at (3,0).
  EXPECT_EQ(plane[2], 4.0f);
  EXPECT_EQ(plane[3], 5.0f);
  // Level 2 (4 x 4, side 4) HL starts at index 16; level 1 (8 x 8, side 8) HL at index 64.
  EXPECT_EQ(plane[4], 16.0f);
  EXPECT_EQ(plane[8], 64.0f);
  // LH of level 1 starts at (0, 8): the first pair of T8 is (0,0), the second (1,0): row 1.
  EXPECT_EQ(plane[8 * 16], 128.0f);
  EXPECT_EQ(plane[9 * 16], 129.0f);
  for (float v : plane)
    EXPECT_GE(v, 0.0f);

  // L = 1: the low quarter is the lowest band, row by row.
  ClassicLayout flat(6, 4, 1);
  auto rows = PlaceIndexes(flat, false);
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i], float(i));
}

TEST(ClassicLayout, DetailPlanesKeepTheLowestEightBits) {
  ClassicLayout layout(4, 4, 2); // 2 x 2 planes, side 2 in the blocked family
  std::vector<int32_t> expanse = {200, -129, 127, -128};
  std::vector<int8_t> plane(4);
  ClassicPlaceDetail(layout, false, ClassicBand::LH, expanse.data(), plane.data());
  // LH side 2: (0,0) (1,0) (1,1) (0,1) as (row, column).
  EXPECT_EQ(plane[0], -56);
  EXPECT_EQ(plane[2], 127);  // row 1, column 0
  EXPECT_EQ(plane[3], 127);  // row 1, column 1
  EXPECT_EQ(plane[1], -128); // row 0, column 1
  // Raster HL: column 0 (rows 0, 1), then column 1.
  ClassicPlaceDetail(layout, true, ClassicBand::HL, expanse.data(), plane.data());
  EXPECT_EQ(plane, (std::vector<int8_t>{-56, 127, 127, -128}));
}

TEST(ClassicLayout, PredictionOfTheWorkedExample) {
  // Rows of width 2: x[r-1][c-1] = 10, x[r-1][c] = 14, x[r][c-1] = 12; residual 0 gives 14.
  std::vector<int32_t> values = {10, 4, 2, 0};
  ClassicUndoPrediction(values.data(), 2, 2);
  EXPECT_EQ(values, (std::vector<int32_t>{10, 14, 12, 14}));
  // Neighbours that weigh -58: left -6, above -10, above-left 5.
  std::vector<int32_t> negative = {5, -15, -11, 0};
  ClassicUndoPrediction(negative.data(), 2, 2);
  EXPECT_EQ(negative[1], -10);
  EXPECT_EQ(negative[2], -6);
  EXPECT_EQ(negative[3], -14); // -58 / 4 rounds toward zero
}

TEST(ClassicLayout, PredictionOfTheFirstRowAndColumnAddsTheNeighbour) {
  std::vector<int32_t> values = {5, 1, 2, 3, -1, 0}; // 3 x 2
  ClassicUndoPrediction(values.data(), 3, 2);
  EXPECT_EQ(values[1], 6);
  EXPECT_EQ(values[2], 8);
  EXPECT_EQ(values[3], 8); // 3 + 5
  EXPECT_EQ(values[4], -1 + (3 * (8 + 6) - 10) / 4);
  // Hostile magnitudes wrap instead of overflowing.
  std::vector<int32_t> huge = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
  ClassicUndoPrediction(huge.data(), 2, 2);
}

} // namespace
