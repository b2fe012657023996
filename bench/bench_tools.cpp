// Speed of the colour quantizer and of the filters, geometry and tone on a large photograph, in
// megapixels per second. The photograph is a sample tiled with mirrored copies into 2048 x 2048.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "imagelib/vuImage.h"
#include "quantize/vuQuantizer.h"

namespace {

constexpr int kSize = 2048;

bool MakeLargePhotograph(vuImage& large) {
  vuImage tile;
  std::string path = std::string(VU_SAMPLES_DIR) + "/astronaut.ppm";
  if (tile.LoadImage(path.c_str()) != 0 || tile.format != BM_24BIT) {
    tile.Delete();
    return false;
  }
  if (!large.AllocateBitmap(kSize, kSize, 0, BM_24BIT)) {
    tile.Delete();
    return false;
  }
  const int w = tile.Width(), h = tile.Height();
  for (int y = 0; y < kSize; ++y) {
    int ty = (y / h) % 2 ? h - 1 - y % h : y % h; // mirrored tiles keep the seams smooth
    for (int x = 0; x < kSize; ++x) {
      int tx = (x / w) % 2 ? w - 1 - x % w : x % w;
      uint8_t r, g, b;
      tile.GetColor(tx, ty, &r, &g, &b);
      large.SetColor(x, y, r, g, b);
    }
  }
  tile.Delete();
  return true;
}

// Runs `operation` on a fresh copy of `source` a few times; prints the best rate.
void Measure(const char* name, vuImage& source, vuBMFormat format,
             const std::function<void(vuImage&)>& operation) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    vuImage copy;
    source.SubImage(&copy, 0, 0, source.Width(), source.Height());
    if (format == BM_8BIT_GRAY) copy.Make8Bit();
    auto start = std::chrono::steady_clock::now();
    operation(copy);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    copy.Delete();
    double rate = double(kSize) * kSize / 1e6 / seconds;
    if (rate > best) best = rate;
  }
  std::printf("  %-34s %8.1f MP/s\n", name, best);
}

void Quantize(vuImage& image, vuColorReduction method) {
  vuQuantizer quantizer;
  vuImage* reduced = quantizer.Quantize(&image, image.Width(), image.Height(), 256, method);
  if (reduced) {
    reduced->Delete();
    delete reduced;
  }
}

} // namespace

int main() {
  vuImage photo;
  if (!MakeLargePhotograph(photo)) {
    std::fprintf(stderr, "bench_tools: cannot build the photograph from the samples\n");
    return 1;
  }
  std::printf("bench_tools: %d x %d photograph (%.1f MP), best of 3 runs\n", kSize, kSize,
              double(kSize) * kSize / 1e6);
  Measure("quantize median cut, 256 colours", photo, BM_24BIT,
          [](vuImage& image) { Quantize(image, CR_MEDIAN_CUT); });
  Measure("quantize best, 256 colours", photo, BM_24BIT,
          [](vuImage& image) { Quantize(image, CR_BEST_QUANT); });
  Measure("quantize fast", photo, BM_24BIT, [](vuImage& image) { Quantize(image, CR_FAST_QUANT); });
  Measure("filter Low Pass 1, 24-bit", photo, BM_24BIT, [](vuImage& image) { image.Filter(0); });
  Measure("filter Laplace 2, 24-bit", photo, BM_24BIT, [](vuImage& image) { image.Filter(10); });
  Measure("filter Low Pass 1, 8-bit grey", photo, BM_8BIT_GRAY,
          [](vuImage& image) { image.Filter(0); });
  Measure("rotate 90, 24-bit", photo, BM_24BIT, [](vuImage& image) { image.Rotate(90); });
  Measure("flip left-right, 24-bit", photo, BM_24BIT, [](vuImage& image) { image.Flip(1); });
  Measure("invert, 24-bit", photo, BM_24BIT, [](vuImage& image) { image.InvertColor(); });
  photo.Delete();
  return 0;
}
