#include "codec/classic/ClassicLayout.h"

namespace vu::classic {

namespace {

// Halves `size` `levels` times rounding up, then doubles levels - 1 times.
int64_t PaddedHalf(int size, int levels) {
  int64_t value = size;
  for (int i = 0; i < levels; ++i)
    value = (value + 1) / 2;
  return levels >= 1 ? value << (levels - 1) : value;
}

int32_t Wrap(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

} // namespace

ClassicLayout::ClassicLayout(int width, int height, int levels)
    : width(width), height(height), levels(levels), halfWidth(PaddedHalf(width, levels)),
      halfHeight(PaddedHalf(height, levels)) {}

int ClassicBlockSide(int finer) {
  return finer <= 0 ? 1 : finer == 1 ? 2 : finer == 2 ? 4 : 8;
}

const uint8_t kClassicWalk4[16][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {2, 0}, {3, 0},
                                      {3, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {2, 3},
                                      {1, 3}, {1, 2}, {0, 2}, {0, 3}};

const uint8_t kClassicWalk8[64][2] = {
    {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {1, 2}, {2, 2}, {2, 3}, {3, 3},
    {3, 2}, {3, 1}, {2, 1}, {2, 0}, {3, 0}, {4, 0}, {4, 1}, {5, 1}, {5, 0}, {6, 0}, {7, 0},
    {7, 1}, {6, 1}, {6, 2}, {7, 2}, {7, 3}, {6, 3}, {5, 3}, {5, 2}, {4, 2}, {4, 3}, {4, 4},
    {4, 5}, {5, 5}, {5, 4}, {6, 4}, {7, 4}, {7, 5}, {6, 5}, {6, 6}, {7, 6}, {7, 7}, {6, 7},
    {5, 7}, {5, 6}, {4, 6}, {4, 7}, {3, 7}, {2, 7}, {2, 6}, {3, 6}, {3, 5}, {3, 4}, {2, 4},
    {2, 5}, {1, 5}, {1, 4}, {0, 4}, {0, 5}, {0, 6}, {1, 6}, {1, 7}, {0, 7}};

void ClassicPlaceLowQuarter(const ClassicLayout& layout, bool raster, const int32_t* expanse,
                            float* plane) {
  int64_t w2 = layout.halfWidth;
  int64_t index = 0;
  for (int64_t y = 0; y < layout.LowestHeight(); ++y)
    for (int64_t x = 0; x < layout.LowestWidth(); ++x)
      plane[y * w2 + x] = static_cast<float>(expanse[index++]);
  int inner = layout.InnerLevels();
  for (int level = inner; level >= 1; --level) {
    int64_t bandWidth = layout.halfWidth >> level;
    int64_t bandHeight = layout.halfHeight >> level;
    int side = raster ? 1 : ClassicBlockSide(inner - level);
    const ClassicBand bands[3] = {ClassicBand::HL, ClassicBand::LH, ClassicBand::HH};
    for (ClassicBand band : bands) {
      int64_t x0 = band == ClassicBand::LH ? 0 : bandWidth;
      int64_t y0 = band == ClassicBand::HL ? 0 : bandHeight;
      ClassicScanBand(band, side, bandWidth, bandHeight, [&](int64_t x, int64_t y) {
        plane[(y0 + y) * w2 + x0 + x] = static_cast<float>(expanse[index++]);
      });
    }
  }
}

void ClassicPlaceDetail(const ClassicLayout& layout, bool raster, ClassicBand band,
                        const int32_t* expanse, int8_t* plane) {
  int64_t w2 = layout.halfWidth;
  int side = raster ? 1 : ClassicBlockSide(layout.levels - 1);
  int64_t index = 0;
  ClassicScanBand(band, side, layout.halfWidth, layout.halfHeight, [&](int64_t x, int64_t y) {
    plane[y * w2 + x] = static_cast<int8_t>(static_cast<uint8_t>(expanse[index++] & 0xFF));
  });
}

void ClassicUndoPrediction(int32_t* values, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return;
  for (int64_t c = 1; c < width; ++c)
    values[c] = Wrap(int64_t(values[c]) + values[c - 1]);
  for (int64_t r = 1; r < height; ++r) {
    int32_t* row = values + r * width;
    const int32_t* above = row - width;
    row[0] = Wrap(int64_t(row[0]) + above[0]);
    for (int64_t c = 1; c < width; ++c) {
      // 3 (left + above) - 2 above-left, in wrapping 32-bit arithmetic, then / 4 toward zero.
      uint32_t sum = static_cast<uint32_t>(row[c - 1]) + static_cast<uint32_t>(above[c]);
      uint32_t p = 3u * sum - 2u * static_cast<uint32_t>(above[c - 1]);
      int32_t prediction = static_cast<int32_t>(p) / 4;
      row[c] = Wrap(int64_t(row[c]) + prediction);
    }
  }
}

} // namespace vu::classic
