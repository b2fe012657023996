#include "imagelib/vuDrawing.h"

#include <new>

#include "imagelib/vuPlatform.h"

namespace {

constexpr int kRedLevels = 8;
constexpr int kGreenLevels = 8;
constexpr int kBlueLevels = 4;

// 4 x 4 ordered-dither thresholds.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint8_t LevelValue(int level, int levels) {
  return static_cast<uint8_t>((level * 255 + (levels - 1) / 2) / (levels - 1));
}

// The level a channel value dithers to: the lower neighbour level, or the upper one when the
// value's position between them exceeds the pixel's threshold.
int DitherLevel(uint8_t value, int levels, int threshold) {
  int scaled = value * (levels - 1);
  int base = scaled / 255;
  int rest = scaled % 255;
  return base + (rest * 32 > (2 * threshold + 1) * 255 ? 1 : 0);
}

} // namespace

vuPaletteEntry vuColorCubeEntry(int index) {
  index &= 255;
  return vuPaletteEntry{LevelValue(index >> 5, kRedLevels),
                        LevelValue((index >> 2) & 7, kGreenLevels),
                        LevelValue(index & 3, kBlueLevels), 0};
}

int vuDitherToColorCube(uint8_t red, uint8_t green, uint8_t blue, int x, int y) {
  int threshold = kBayer[y & 3][x & 3];
  return (DitherLevel(red, kRedLevels, threshold) << 5) |
         (DitherLevel(green, kGreenLevels, threshold) << 2) |
         DitherLevel(blue, kBlueLevels, threshold);
}

vuLogicalPalette vuColorCubePalette() {
  vuLogicalPalette cube;
  cube.entries.resize(kColorCubeEntries);
  for (int i = 0; i < kColorCubeEntries; ++i)
    cube.entries[i] = vuColorCubeEntry(i);
  return cube;
}

void vuSystemPalette::Reset() {
  for (int i = 0; i < kEntries; ++i)
    entries_[i] = vuColorCubeEntry(i);
}

int vuSystemPalette::Realize(const vuLogicalPalette& palette, bool background) {
  if (background) return 0;
  int count = static_cast<int>(palette.entries.size());
  if (count > kEntries) count = kEntries;
  int changed = 0;
  for (int i = 0; i < count; ++i) {
    const vuPaletteEntry& wanted = palette.entries[i];
    vuPaletteEntry& entry = entries_[i];
    if (entry.red != wanted.red || entry.green != wanted.green || entry.blue != wanted.blue) {
      entry = vuPaletteEntry{wanted.red, wanted.green, wanted.blue, 0};
      ++changed;
    }
  }
  return changed;
}

int vuSystemPalette::Nearest(uint8_t red, uint8_t green, uint8_t blue) const {
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < kEntries; ++i) {
    int dr = entries_[i].red - red;
    int dg = entries_[i].green - green;
    int db = entries_[i].blue - blue;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return best;
}

vuDrawDib* vuDrawDibOpen() {
  return new (std::nothrow) vuDrawDib;
}

bool vuDrawDibClose(vuDrawDib* handle) {
  delete handle;
  return true;
}

bool vuDrawDibDraw(vuDrawDib* handle, vuDeviceContext* dc, const vuDrawRect& destination,
                   const vuBitmapInfoHeader* header, const vuRGBA* colors, const uint8_t* rows,
                   const vuDrawRect& source, int flags) {
  if (!handle || !dc || !header || !rows) return false;
  return dc->DrawBitmap(*header, colors, rows, source, destination, flags);
}

bool vuDrawDibSetPalette(vuDrawDib* handle, vuPaletteHandle palette) {
  if (!handle) return false;
  handle->hasPalette = palette != nullptr;
  if (palette)
    handle->palette = *palette;
  else
    handle->palette.entries.clear();
  return true;
}

int vuDrawDibRealize(vuDrawDib* handle, vuDeviceContext* dc, bool background) {
  if (!handle || !dc || dc->BitsPerPixel() > 8) return 0;
  if (handle->hasPalette) return vuPlatform().RealizePalette(&handle->palette, background);
  // Without a palette of its own the handle dithers to the cube, so that is what it realises.
  vuLogicalPalette cube = vuColorCubePalette();
  return vuPlatform().RealizePalette(&cube, background);
}
