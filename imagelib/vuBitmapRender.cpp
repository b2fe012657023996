#include "imagelib/vuBitmapRender.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int64_t kMaxSide = int64_t(1) << 28;

bool Drawable(const vuBitmapInfoHeader& header) {
  if (header.width < 1 || header.height < 1) return false;
  switch (header.bitCount) {
  case 1:
  case 4:
  case 8:
  case 24:
  case 32:
    return header.compression == 0;
  case 16:
    // 5-5-5, stated plainly or as the default bit fields.
    return header.compression == 0 || header.compression == 3;
  default:
    return false;
  }
}

bool Reasonable(const vuDrawRect& r) {
  return r.width > 0 && r.height > 0 && r.width <= kMaxSide && r.height <= kMaxSide;
}

uint8_t Expand5(unsigned v) {
  return static_cast<uint8_t>((v << 3) | (v >> 2));
}

// How the device shows one colour.
uint32_t Shown(const vuSystemPalette* screenPalette, uint8_t red, uint8_t green, uint8_t blue) {
  if (!screenPalette) return vuPackPixel(red, green, blue);
  const vuPaletteEntry& e = screenPalette->Entry(screenPalette->Nearest(red, green, blue));
  return vuPackPixel(e.red, e.green, e.blue);
}

// Source position of every destination position along one axis, or -1 outside the bitmap: the
// source pixel under the destination pixel's centre.
std::vector<int> SourceIndices(int first, int last, int destOrigin, int destSize, int srcOrigin,
                               int srcSize, int limit) {
  std::vector<int> indices(static_cast<size_t>(last - first));
  for (int d = first; d < last; ++d) {
    int64_t offset = int64_t(d) - destOrigin;
    int64_t s = srcOrigin + ((2 * offset + 1) * srcSize) / (2 * int64_t(destSize));
    indices[d - first] = (s >= 0 && s < limit) ? static_cast<int>(s) : -1;
  }
  return indices;
}

} // namespace

bool vuRenderBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors, const uint8_t* rows,
                    const vuDrawRect& source, const vuDrawRect& destination,
                    const vuSystemPalette* screenPalette, const vuPixelBuffer& target) {
  if (!rows || !target.pixels || !Drawable(header)) return false;
  if (!Reasonable(source) || !Reasonable(destination)) return false;
  const int bitCount = header.bitCount;
  const int64_t rowBytes = (int64_t(header.width) * bitCount + 7) / 8;
  if (rowBytes > kMaxRowBytes) return false;
  const int64_t stride = (rowBytes + 3) / 4 * 4;

  const int x0 = std::max(destination.x, 0);
  const int y0 = std::max(destination.y, 0);
  const int x1 =
      static_cast<int>(std::min<int64_t>(int64_t(destination.x) + destination.width, target.width));
  const int y1 = static_cast<int>(
      std::min<int64_t>(int64_t(destination.y) + destination.height, target.height));
  if (x0 >= x1 || y0 >= y1) return true; // nothing of it is on the device

  const std::vector<int> columns =
      SourceIndices(x0, x1, destination.x, destination.width, source.x, source.width, header.width);
  const std::vector<int> lines = SourceIndices(y0, y1, destination.y, destination.height, source.y,
                                               source.height, header.height);

  // Colour-table pictures: every table entry as shown, black past the table.
  std::array<uint32_t, 256> table{};
  if (bitCount <= 8) {
    int entries = static_cast<int>(std::min<uint32_t>(header.colorsUsed, 1u << bitCount));
    if (!colors) entries = 0;
    for (int i = 0; i < 256; ++i)
      table[i] = i < entries ? Shown(screenPalette, colors[i].red, colors[i].green, colors[i].blue)
                             : Shown(screenPalette, 0, 0, 0);
  }
  // True-colour pictures on a palette screen: dithered to the cube, each cube entry as shown.
  std::array<uint32_t, kColorCubeEntries> cube{};
  if (bitCount > 8 && screenPalette) {
    for (int i = 0; i < kColorCubeEntries; ++i) {
      vuPaletteEntry e = vuColorCubeEntry(i);
      cube[i] = Shown(screenPalette, e.red, e.green, e.blue);
    }
  }
  auto trueColor = [&](uint8_t red, uint8_t green, uint8_t blue, int x, int y) {
    if (!screenPalette) return vuPackPixel(red, green, blue);
    return cube[vuDitherToColorCube(red, green, blue, x, y)];
  };

  for (int y = y0; y < y1; ++y) {
    const int line = lines[y - y0];
    if (line < 0) continue;
    const uint8_t* row = rows + (int64_t(header.height) - 1 - line) * stride;
    uint32_t* out = target.pixels + int64_t(y) * target.stride;
    for (int x = x0; x < x1; ++x) {
      const int c = columns[x - x0];
      if (c < 0) continue;
      uint32_t shown;
      switch (bitCount) {
      case 1:
        shown = table[(row[c / 8] >> (7 - c % 8)) & 1];
        break;
      case 4:
        shown = table[(c % 2 == 0) ? (row[c / 2] >> 4) : (row[c / 2] & 15)];
        break;
      case 8:
        shown = table[row[c]];
        break;
      case 16: {
        const unsigned v = row[2 * c] | (row[2 * c + 1] << 8);
        shown =
            trueColor(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31), c, line);
        break;
      }
      default: {
        const uint8_t* p = row + int64_t(c) * (bitCount / 8);
        shown = trueColor(p[2], p[1], p[0], c, line);
        break;
      }
      }
      out[x] = shown;
    }
  }
  return true;
}
