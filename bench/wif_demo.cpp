// Compresses a photograph to WIF through the library's file entry points, decodes it again and
// reports sizes, ratio, bits per pixel, PSNR and times.
//
//   wif_demo [IMAGE [QUALITY [OUTPUT.wif]]]   (defaults: the bundled astronaut.ppm, quality 50)
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/wif2/vuWifParams.h"
#include "imagelib/vuImage.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

long long FileSize(const std::string& name) {
  struct stat s;
  return stat(name.c_str(), &s) == 0 ? static_cast<long long>(s.st_size) : -1;
}

} // namespace

int main(int argc, char** argv) {
  const std::string input = argc > 1 ? argv[1] : std::string(VU_SAMPLES_DIR) + "/astronaut.ppm";
  const int quality = argc > 2 ? std::atoi(argv[2]) : 50;
  std::string output = argc > 3 ? argv[3] : "";
  const bool temporary = output.empty();
  if (temporary) output = "/tmp/wif_demo_" + std::to_string(getpid()) + ".wif";

  vuImage original;
  if (original.LoadImage(input.c_str()) != 0 || !original.header) {
    std::fprintf(stderr, "wif_demo: cannot read %s\n", input.c_str());
    return 1;
  }
  vuWifSaveOptions options;
  options.quality = quality;
  auto start = std::chrono::steady_clock::now();
  const int saved = original.SaveImage(output.c_str(), 1, &options);
  const double encodeMs = Milliseconds(start);
  if (saved != 0) {
    std::fprintf(stderr, "wif_demo: cannot write %s\n", output.c_str());
    original.Delete();
    return 1;
  }
  vuImage decoded;
  start = std::chrono::steady_clock::now();
  const int loaded = decoded.LoadImage(output.c_str());
  const double decodeMs = Milliseconds(start);
  if (loaded != 0) {
    std::fprintf(stderr, "wif_demo: cannot read back %s\n", output.c_str());
    original.Delete();
    return 1;
  }

  const int width = original.Width(), height = original.Height(), depth = original.Depth();
  const long long raw = static_cast<long long>(width) * height * depth / 8;
  const long long compressed = FileSize(output);
  double se = 0;
  const int rowBytes = width * depth / 8;
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < rowBytes; ++i) {
      const double d = double(original.Row(y)[i]) - decoded.Row(y)[i];
      se += d * d;
    }
  const double mse = se / (double(rowBytes) * height);
  const double psnr = mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);

  std::printf("WIF demo: %s at quality %d\n", input.c_str(), quality);
  std::printf("  original size:    %d x %d, %d bits per pixel, %lld bytes of pixels (file %lld "
              "bytes)\n",
              width, height, depth, raw, FileSize(input));
  std::printf("  compressed size:  %lld bytes\n", compressed);
  std::printf("  ratio:            %.2f:1\n", double(raw) / double(compressed));
  std::printf("  bits per pixel:   %.3f\n", compressed * 8.0 / (double(width) * height));
  std::printf("  PSNR:             %.2f dB\n", psnr);
  std::printf("  encode time:      %.1f ms (file written)\n", encodeMs);
  std::printf("  decode time:      %.1f ms (file read)\n", decodeMs);
  original.Delete();
  decoded.Delete();
  if (temporary) std::remove(output.c_str());
  return 0;
}
