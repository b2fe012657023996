#include "cli/Figures.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

bool SixteenBit(const vuImage& image) {
  return image.format == BM_16BIT_GRAY || image.format == BM_48BIT;
}

} // namespace

double PictureSnr(vuImage& original, vuImage& decoded) {
  if (!original.header || !decoded.header || original.Width() != decoded.Width() ||
      original.Height() != decoded.Height())
    return -1;
  const bool wide = SixteenBit(original) || SixteenBit(decoded);
  if (wide && original.format != decoded.format) return -1;
  const int samples = wide ? (original.format == BM_48BIT ? 3 : 1) : 3;
  const int bits = wide && original.sampleBits >= 8 && original.sampleBits <= 16
                       ? original.sampleBits
                   : wide ? 16
                          : 8;
  const double peak = double((1 << bits) - 1);
  double sum = 0;
  for (int y = 0; y < original.Height(); ++y) {
    for (int x = 0; x < original.Width(); ++x) {
      uint16_t a[4] = {0, 0, 0, 0}, b[4] = {0, 0, 0, 0};
      if (wide) {
        original.accessor->GetRaw(x, y, a);
        decoded.accessor->GetRaw(x, y, b);
      } else {
        original.accessor->GetRGB(x, y, a);
        decoded.accessor->GetRGB(x, y, b);
      }
      for (int k = 0; k < samples; ++k) {
        const double d = double(a[k]) - double(b[k]);
        sum += d * d;
      }
    }
  }
  const double mse = sum / (double(original.Width()) * original.Height() * samples);
  if (mse == 0) return std::numeric_limits<double>::infinity();
  return 10 * std::log10(peak * peak / mse);
}

int64_t RawPictureBytes(const vuImage& image) {
  if (!image.header) return 0;
  return (int64_t(image.Width()) * image.Height() * image.Depth() + 7) / 8;
}

std::string ByteCount(int64_t bytes) {
  char text[64];
  if (bytes < 10000)
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  else if (bytes < 1000000)
    std::snprintf(text, sizeof text, "%.1f kB", bytes / 1e3);
  else
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

std::string FiguresText(int64_t fileBytes, const vuImage& image, double psnr, int quality) {
  char text[256];
  const double pixels = double(image.Width()) * image.Height();
  const int64_t raw = RawPictureBytes(image);
  int n = std::snprintf(text, sizeof text, "%lld bytes, ratio %.2f:1, %.3f bits per pixel",
                        static_cast<long long>(fileBytes),
                        fileBytes > 0 ? double(raw) / double(fileBytes) : 0.0,
                        pixels > 0 ? fileBytes * 8.0 / pixels : 0.0);
  std::string line(text, static_cast<size_t>(n));
  if (psnr >= 0) {
    if (std::isinf(psnr))
      line += ", PSNR infinite (no loss)";
    else {
      std::snprintf(text, sizeof text, ", PSNR %.2f dB", psnr);
      line += text;
    }
  }
  if (quality > 0) line += ", quality " + std::to_string(quality);
  return line;
}
