#include "codec/classic/ClassicOutput.h"

#include <algorithm>

namespace vu::classic {

namespace {

int Clamp(int value, int high) {
  return std::min(std::max(value, 0), high);
}

int Load(const uint8_t* p, int sampleBytes) {
  return sampleBytes == 2 ? p[0] | (p[1] << 8) : p[0];
}

void Store(uint8_t* p, int sampleBytes, int value) {
  p[0] = static_cast<uint8_t>(value);
  if (sampleBytes == 2) p[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

int ClassicOutput::Convert(int channel, int sampleBytes, float value) {
  double x = value;
  if (channel <= 1) {
    double top = sampleBytes == 2 ? 65535.0 : 255.0;
    if (x >= top) return static_cast<int>(top);
    return x >= 0.0 ? static_cast<int>(x + 0.499) : 0;
  }
  if (sampleBytes == 1) {
    double y = x + 128.0;
    if (y >= 255.0) return 255;
    return y >= 0.0 ? static_cast<int>(x + 128.499) : 0;
  }
  // Saturated chroma is clamped rather than wrapped into its lowest 16 bits (which would turn
  // strong colours black).
  double y = x + 32768.0;
  if (y >= 65535.0) return 65535;
  return y > 0.0 ? static_cast<int>(y) : 0;
}

void ClassicOutput::WriteRow(int channel, int64_t row, const float* values) const {
  uint8_t* out = bits + row * stride;
  int step = (color ? 3 : 1) * sampleBytes;
  int maxValue = MaxValue();
  int half = sampleBytes == 2 ? 32768 : 128;
  for (int x = 0; x < width; ++x) {
    int sample = Convert(channel, sampleBytes, values[x]);
    uint8_t* pixel = out + int64_t(x) * step;
    switch (channel) {
    case 0:
      Store(pixel, sampleBytes, std::min(sample, maxValue));
      break;
    case 1:
    case 2:
      Store(pixel + (channel - 1) * sampleBytes, sampleBytes, sample);
      break;
    default: {
      int luma = Load(pixel, sampleBytes);
      int chroma1 = Load(pixel + sampleBytes, sampleBytes);
      int chroma2 = sample;
      Store(pixel, sampleBytes, Clamp(luma + chroma1 + chroma2 - 2 * half, maxValue));
      Store(pixel + sampleBytes, sampleBytes, Clamp(luma - chroma1 + half, maxValue));
      Store(pixel + 2 * sampleBytes, sampleBytes, Clamp(luma - chroma2 + half, maxValue));
      break;
    }
    }
  }
}

} // namespace vu::classic
