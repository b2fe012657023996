// Resampling to any size with a Lanczos-3 filter: one pass along the rows, one along the columns,
// each output sample a weighted sum of the source samples under the filter. Shrinking stretches
// the filter over the source pixels that fall into one output pixel, so no detail aliases.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"

namespace {

constexpr double kLobes = 3;

double Lanczos(double x) {
  x = std::fabs(x);
  if (x < 1e-9) return 1;
  if (x >= kLobes) return 0;
  const double pi = 3.14159265358979323846;
  return kLobes * std::sin(pi * x) * std::sin(pi * x / kLobes) / (pi * pi * x * x);
}

// For every output position along one axis: the source positions it takes (clamped to the
// picture, so the border repeats) and their weights, which add up to 1.
struct Taps {
  std::vector<int> start; // first entry of position i in `source` and `weight`
  std::vector<int> source;
  std::vector<float> weight;
};

Taps MakeTaps(int from, int to) {
  Taps taps;
  const double scale = double(to) / from;
  const double stretch = scale < 1 ? 1 / scale : 1;
  const double support = kLobes * stretch;
  for (int i = 0; i < to; ++i) {
    taps.start.push_back(static_cast<int>(taps.source.size()));
    const double center = (i + 0.5) / scale - 0.5;
    const int left = static_cast<int>(std::ceil(center - support));
    const int right = static_cast<int>(std::floor(center + support));
    double sum = 0;
    const size_t first = taps.weight.size();
    for (int j = left; j <= right; ++j) {
      const double w = Lanczos((j - center) / stretch);
      if (w == 0) continue;
      taps.source.push_back(std::clamp(j, 0, from - 1));
      taps.weight.push_back(static_cast<float>(w));
      sum += w;
    }
    for (size_t k = first; k < taps.weight.size(); ++k)
      taps.weight[k] = static_cast<float>(taps.weight[k] / sum);
  }
  taps.start.push_back(static_cast<int>(taps.source.size()));
  return taps;
}

// Samples of 8 (uint8_t) or 16 (uint16_t) bits, `channels` a pixel; values clamped to 0..top.
template <typename Sample>
void ResamplePlanes(const vuImage& from, vuImage& to, int channels, float top) {
  const int width = from.Width(), height = from.Height();
  const int newWidth = to.Width(), newHeight = to.Height();
  const Taps across = MakeTaps(width, newWidth);
  const Taps down = MakeTaps(height, newHeight);
  // The rows, resampled across: newWidth x height values a channel.
  const size_t rowValues = size_t(newWidth) * channels;
  std::vector<float> rows(rowValues * height);
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const Sample*>(from.Row(y));
    float* out = rows.data() + size_t(y) * rowValues;
    for (int x = 0; x < newWidth; ++x) {
      for (int c = 0; c < channels; ++c) {
        float sum = 0;
        for (int k = across.start[x]; k < across.start[x + 1]; ++k)
          sum += across.weight[k] * in[size_t(across.source[k]) * channels + c];
        out[size_t(x) * channels + c] = sum;
      }
    }
  }
  // Then the columns, row by row of the result.
  std::vector<float> sums(rowValues);
  for (int y = 0; y < newHeight; ++y) {
    std::fill(sums.begin(), sums.end(), 0.0f);
    for (int k = down.start[y]; k < down.start[y + 1]; ++k) {
      const float* in = rows.data() + size_t(down.source[k]) * rowValues;
      const float w = down.weight[k];
      for (size_t i = 0; i < rowValues; ++i)
        sums[i] += w * in[i];
    }
    auto* out = reinterpret_cast<Sample*>(to.Row(y));
    for (size_t i = 0; i < rowValues; ++i)
      out[i] = static_cast<Sample>(std::clamp(sums[i] + 0.5f, 0.0f, top));
  }
}

} // namespace

int vuImage::Resample(int newWidth, int newHeight) {
  if (!header || newWidth < 1 || newHeight < 1) return 0;
  int channels;
  bool wide = false;
  switch (format) {
  case BM_8BIT_GRAY:
    channels = 1;
    break;
  case BM_24BIT:
    channels = 3;
    break;
  case BM_32BIT:
    channels = 4;
    break;
  case BM_16BIT_GRAY:
    channels = 1;
    wide = true;
    break;
  case BM_48BIT:
    channels = 3;
    wide = true;
    break;
  default:
    return -2; // colour indexes cannot be mixed
  }
  // The intermediate rows hold new width x old height floats a channel.
  if (int64_t(newWidth) * Height() * channels * 4 > kMaxBitmapBlockBytes) return -3;
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(newWidth, newHeight, format == BM_8BIT_GRAY ? 256 : 0, format))
    return -3;
  if (format == BM_8BIT_GRAY)
    std::memcpy(temporary.palette, palette, 4 * size_t(std::min(256, TableEntries())));
  const int bits = wide && sampleBits >= 8 && sampleBits <= 16 ? sampleBits : wide ? 16 : 8;
  try {
    if (wide)
      ResamplePlanes<uint16_t>(*this, temporary, channels, float((1 << bits) - 1));
    else
      ResamplePlanes<uint8_t>(*this, temporary, channels, 255.0f);
  } catch (const std::bad_alloc&) {
    return -3;
  }
  Adopt(temporary); // the samples keep their significant bits
  return 1;
}
