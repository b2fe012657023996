// Where the coefficients of an older-generation WIF file lie: the padded size, the band pyramid,
// the scan order of each band (blocked Hilbert walks or raster), and the lowest-band prediction.
//
// The finest level's three detail bands live in three byte planes (HL, LH, HH); the lowest band
// and all coarser levels live in the low-quarter plane, itself a pyramid of levels - 1 levels.
// All planes are halfWidth x halfHeight, row by row.
#pragma once

#include <cstdint>

namespace vu::classic {

struct ClassicLayout {
  ClassicLayout(int width, int height, int levels);

  int width;
  int height;
  int levels;
  int64_t halfWidth;  // w2: the padded picture is 2 w2 x 2 h2, a multiple of 2^levels
  int64_t halfHeight; // h2

  int InnerLevels() const { return levels - 1; }
  int64_t QuarterSize() const { return halfWidth * halfHeight; }
  int64_t LowestWidth() const { return halfWidth >> InnerLevels(); }
  int64_t LowestHeight() const { return halfHeight >> InnerLevels(); }
  int64_t LowestSize() const { return LowestWidth() * LowestHeight(); }
};

enum class ClassicBand { HL, LH, HH };

// Side of the scan blocks of a level that lies `finer` levels below the coarsest level of its
// pyramid: 1, 2, 4, then 8.
int ClassicBlockSide(int finer);

// The 4 x 4 and 8 x 8 Hilbert walks of the blocked scans, as (a, b) pairs.
extern const uint8_t kClassicWalk4[16][2];
extern const uint8_t kClassicWalk8[64][2];

// Visits the positions of one band in stream order: visit(column, row), relative to the band's
// top-left corner. HL bands run transposed (column by column); LH and HH row by row. Side 1 (and
// every raster-family band) is plain raster order.
template <class Visit>
void ClassicScanBand(ClassicBand band, int side, int64_t bandWidth, int64_t bandHeight,
                     Visit&& visit) {
  bool transposed = band == ClassicBand::HL;
  if (side <= 1) {
    if (transposed) {
      for (int64_t x = 0; x < bandWidth; ++x)
        for (int64_t y = 0; y < bandHeight; ++y)
          visit(x, y);
    } else {
      for (int64_t y = 0; y < bandHeight; ++y)
        for (int64_t x = 0; x < bandWidth; ++x)
          visit(x, y);
    }
    return;
  }
  // Offsets inside one block as (row, column).
  int count = side * side;
  uint8_t offsets[64][2];
  for (int k = 0; k < count; ++k) {
    int a, b;
    if (side == 2) {
      static const uint8_t kSide2Rows[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      static const uint8_t kSide2Columns[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
      const uint8_t* pair = transposed ? kSide2Columns[k] : kSide2Rows[k];
      offsets[k][0] = pair[0];
      offsets[k][1] = pair[1];
      continue;
    }
    const uint8_t* pair = side == 4 ? kClassicWalk4[k] : kClassicWalk8[k];
    a = pair[0];
    b = pair[1];
    // Rows and columns: (a, b) for LH and HH; the transposed HL takes a as the column.
    offsets[k][0] = static_cast<uint8_t>(transposed ? b : a);
    offsets[k][1] = static_cast<uint8_t>(transposed ? a : b);
  }
  int64_t blocksAcross = bandWidth / side;
  int64_t blocksDown = bandHeight / side;
  auto block = [&](int64_t bx, int64_t by) {
    for (int k = 0; k < count; ++k)
      visit(bx * side + offsets[k][1], by * side + offsets[k][0]);
  };
  if (transposed) {
    for (int64_t bx = 0; bx < blocksAcross; ++bx)
      for (int64_t by = 0; by < blocksDown; ++by)
        block(bx, by);
  } else {
    for (int64_t by = 0; by < blocksDown; ++by)
      for (int64_t bx = 0; bx < blocksAcross; ++bx)
        block(bx, by);
  }
}

// Moves the low-quarter coefficients from the expanse (lowest band row by row, then each level
// from the coarsest, HL, LH, HH, in scan order) into the low-quarter plane.
void ClassicPlaceLowQuarter(const ClassicLayout& layout, bool raster, const int32_t* expanse,
                            float* plane);
// Moves one detail band of the finest level from the expanse into its byte plane (lowest 8 bits).
void ClassicPlaceDetail(const ClassicLayout& layout, bool raster, ClassicBand band,
                        const int32_t* expanse, int8_t* plane);
// Undoes the lowest-band prediction over a width x height block, row by row (the first entry is
// left as it is). 32-bit arithmetic that wraps on hostile values.
void ClassicUndoPrediction(int32_t* values, int64_t width, int64_t height);

} // namespace vu::classic
