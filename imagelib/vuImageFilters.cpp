// Convolution filters and tone adjustment.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>
#include <vector>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageFilters.h"
#include "imagelib/vuImageOwner.h"

// Coefficients row by row from the top line of the neighbourhood (the row above, since rows count
// from the bottom), then the divisor.
const vuFilterKernel vuFilterKernels[vuFilterKernelCount] = {
    {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},         // Low Pass 1
    {{1, 1, 1, 1, 2, 1, 1, 1, 1}, 10},        // Low Pass 2
    {{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},        // Low Pass 3
    {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1}, // High Pass 1
    {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1},     // High Pass 2
    {{1, -2, 1, -2, 5, -2, 1, -2, 1}, 1},     // High Pass 3
    {{1, -2, 1, -2, 5, -2, 1, -2, 1}, 1},     // Difference 1
    {{0, -1, 0, 0, 1, 0, 0, 0, 0}, 1},        // Difference 2
    {{0, 0, 0, -1, 1, 0, 0, 0, 0}, 1},        // Difference 3
    {{-1, 0, 0, 0, 1, 0, 0, 0, 0}, 1},        // Laplace 1
    {{0, 1, 0, 1, -4, 1, 0, 1, 0}, 1},        // Laplace 2
    {{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1}, // Laplace 3
    {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1}, // Laplace 4
    {{-1, -2, -1, -2, 4, -2, -1, -2, -1}, 1}, // no menu entry
    // Compass gradients: each answers brightness rising towards its direction; every one is the
    // one before turned a step clockwise around the centre.
    {{1, 1, 1, 1, -2, 1, -1, -1, -1}, 1}, // North
    {{1, 1, 1, -1, -2, 1, -1, -1, 1}, 1}, // North East
    {{-1, 1, 1, -1, -2, 1, -1, 1, 1}, 1}, // East
    {{-1, -1, 1, -1, -2, 1, 1, 1, 1}, 1}, // South East
    {{-1, -1, -1, 1, -2, 1, 1, 1, 1}, 1}, // South
    {{1, -1, -1, 1, -2, -1, 1, 1, 1}, 1}, // South West
    {{1, 1, -1, 1, -2, -1, 1, 1, -1}, 1}, // West
    {{1, 1, 1, 1, -2, -1, 1, -1, -1}, 1}, // North West
};

const char* const vuFilterNames[vuFilterMenuCount] = {
    "Low Pass 1",  "Low Pass 2",   "Low Pass 3",   "High Pass 1",  "High Pass 2",
    "High Pass 3", "Difference 1", "Difference 2", "Difference 3", "Laplace 1",
    "Laplace 2",   "Laplace 3",    "Laplace 4",
};

const char* const vuGradientNames[vuFilterGradientCount] = {
    "North", "North East", "East", "South East", "South", "South West", "West", "North West",
};

namespace {

// Offsets of k0..k8: top row (y + 1) first, left to right.
constexpr int kOffsetX[9] = {-1, 0, 1, -1, 0, 1, -1, 0, 1};
constexpr int kOffsetY[9] = {1, 1, 1, 0, 0, 0, -1, -1, -1};

uint8_t FilteredValue(int sum, int divisor) {
  int value = sum / divisor; // truncates towards zero
  return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// The last step of both tone functions: out of range to the ends, else rounded just below half.
int ToneResult(double x) {
  if (x <= 0) return 0;
  if (x > 255) return 255;
  return static_cast<int>(x + 0.499);
}

int BrightnessOf(int c, int amount) {
  float a = static_cast<float>(amount);
  double x = c > 128 ? c + a * std::sqrt((255 - c) * 0.0078125) : c + a * std::sqrt(c * 0.0078125);
  return ToneResult(x);
}

int ContrastOf(int c, int amount) {
  float a = static_cast<float>(amount * 1.28);
  int v = ToneResult(c - a * std::sin(c * 3.142 * 0.0078125));
  // Contrast never moves a value across the middle.
  if (c < 128 && v > 128) v = 128;
  if (c >= 128 && v < 128) v = 128;
  return v;
}

// Recomputes the colour table from `sourceTable` with a tone function of one channel value.
template <typename Tone> void ApplyTone(vuImage& image, const vuRGBA* sourceTable, Tone tone) {
  const int entries = std::min(image.Colors(), image.TableEntries());
  const bool grey = image.IsGrayScale() != 0;
  for (int i = 0; i < entries; ++i) {
    const vuRGBA& from = sourceTable[i];
    vuRGBA& to = image.palette[i];
    if (grey) {
      uint8_t f = static_cast<uint8_t>(tone(from.red));
      to.red = to.green = to.blue = f;
    } else {
      to.red = static_cast<uint8_t>(tone(from.red));
      to.green = static_cast<uint8_t>(tone(from.green));
      to.blue = static_cast<uint8_t>(tone(from.blue));
    }
  }
}

} // namespace

int vuToneBrightness(int value, int amount) {
  return BrightnessOf(value, amount);
}

int vuToneContrast(int value, int amount) {
  return ContrastOf(value, amount);
}

namespace {
// True when `name` starts with `prefix`, case ignored; `rest` gets what follows it.
bool StartsWithIgnoringCase(const char* name, const char* prefix, const char** rest) {
  while (*prefix && *name &&
         std::tolower(static_cast<unsigned char>(*prefix)) ==
             std::tolower(static_cast<unsigned char>(*name))) {
    ++prefix;
    ++name;
  }
  *rest = name;
  return *prefix == 0;
}

bool SameIgnoringCase(const char* a, const char* b) {
  const char* rest = nullptr;
  return StartsWithIgnoringCase(a, b, &rest) && *rest == 0;
}
} // namespace

int vuFilterIndex(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < vuFilterMenuCount; ++i)
    if (SameIgnoringCase(name, vuFilterNames[i])) return i;
  const char* direction = nullptr;
  if (StartsWithIgnoringCase(name, "Gradient ", &direction))
    for (int i = 0; i < vuFilterGradientCount; ++i)
      if (SameIgnoringCase(direction, vuGradientNames[i])) return vuFilterGradientFirst + i;
  return -1;
}

int vuImage::Filter(int index) {
  if (!header) return 0;
  if (index < 0 || index >= vuFilterKernelCount) return 0;
  const int depth = Depth();
  if (depth != 8 && depth != 24) return 1; // other depths are left as they are
  const vuFilterKernel& kernel = vuFilterKernels[index];
  const int width = Width(), height = Height();
  vuImageOwner temporary;
  temporary.Create(width, height, depth, 256);
  if (!temporary.header) return -3;
  // Straight on the rows: the neighbours are the clamped pixels GetColor would read, each channel
  // filtered on its own, so the result is the pixel-by-pixel one.
  const int bytes = depth / 8;
  std::vector<int> columns;
  try {
    columns.resize(static_cast<size_t>(width) * 3);
  } catch (const std::bad_alloc&) {
    return -3;
  }
  for (int x = 0; x < width; ++x) {
    for (int dx = -1; dx <= 1; ++dx) {
      columns[3 * static_cast<size_t>(x) + (dx + 1)] = bytes * std::clamp(x + dx, 0, width - 1);
    }
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* rows[9];
    for (int k = 0; k < 9; ++k)
      rows[k] = Row(std::clamp(y + kOffsetY[k], 0, height - 1));
    uint8_t* target = temporary.Row(y);
    for (int x = 0; x < width; ++x) {
      const int* column = &columns[3 * static_cast<size_t>(x)];
      for (int c = 0; c < bytes; ++c) {
        int sum = 0;
        for (int k = 0; k < 9; ++k) {
          sum += kernel.coefficients[k] * rows[k][column[kOffsetX[k] + 1] + c];
        }
        target[bytes * x + c] = FilteredValue(sum, kernel.divisor);
      }
    }
  }
  TakeOver(temporary, format);
  return 1;
}

int vuImage::Brightness(const vuRGBA* sourceTable, int amount) {
  if (!header || Depth() == 24) return 0;
  if (sourceTable)
    ApplyTone(*this, sourceTable, [amount](int c) { return BrightnessOf(c, amount); });
  return 1;
}

int vuImage::Contrast(const vuRGBA* sourceTable, int amount) {
  if (!header) return 1;
  if (sourceTable) ApplyTone(*this, sourceTable, [amount](int c) { return ContrastOf(c, amount); });
  return 1;
}

int vuImage::InvertColor() {
  if (!header) return 0;
  if (format == BM_8BIT_COLOR || format == BM_4BIT) {
    accessor->InvertPixel(0, 0); // the colour table, once
    return 0;
  }
  const int width = Width(), height = Height();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      accessor->InvertPixel(x, y);
  return 0;
}
