#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <unistd.h>

namespace vutest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vutest-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  root_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string Sample(const std::string& name) {
  return std::string(VU_SAMPLES_DIR) + "/" + name;
}
std::string TestData(const std::string& name) {
  return std::string(VU_TEST_DATA_DIR) + "/" + name;
}
std::string SharedTestData(const std::string& name) {
  return std::string(VU_SHARED_TEST_DATA_DIR) + "/" + name;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

int RunCommand(const std::string& command, std::string* output) {
  std::string full = command + " 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  std::array<char, 4096> chunk;
  size_t n;
  while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    text.append(chunk.data(), n);
  int status = pclose(pipe);
  if (output) *output = text;
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + Quote(name) + " >/dev/null") == 0;
}

std::string ConvertPath() {
  return VU_CONVERT_PATH;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

void FillPattern(vuImage& image, uint32_t seed) {
  std::mt19937 random(seed);
  int samples = image.accessor->samples;
  int bitsPerSample = image.accessor->bitsPerSample;
  uint32_t mask = bitsPerSample >= 16 ? 0xFFFF : (1u << bitsPerSample) - 1;
  if (image.format == BM_8BIT_COLOR || image.format == BM_4BIT) {
    int colors = image.Colors();
    if (colors > 0 && static_cast<uint32_t>(colors) <= mask)
      mask = static_cast<uint32_t>(colors - 1);
  }
  std::vector<uint16_t> row(static_cast<size_t>(image.Width()) * samples);
  for (int y = 0; y < image.Height(); ++y) {
    for (auto& value : row)
      value = static_cast<uint16_t>(random() & mask);
    if (image.format == BM_8BIT_COLOR || image.format == BM_4BIT) {
      // Keep indexes inside the table even when colours used is not a power of two.
      for (auto& value : row)
        value = static_cast<uint16_t>(value % std::max(1, image.Colors()));
    }
    image.accessor->PutRow(y, row.data());
  }
}

bool SamePixels(vuImage& a, vuImage& b, std::string* why) {
  auto fail = [&](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  if (!a.header || !b.header) return fail("empty image");
  if (a.format != b.format) {
    return fail("format " + std::to_string(a.format) + " vs " + std::to_string(b.format));
  }
  if (a.Width() != b.Width() || a.Height() != b.Height()) return fail("size differs");
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      uint16_t pa[4] = {0, 0, 0, 0}, pb[4] = {0, 0, 0, 0};
      a.accessor->GetRaw(x, y, pa);
      b.accessor->GetRaw(x, y, pb);
      for (int k = 0; k < a.accessor->samples; ++k) {
        if (pa[k] != pb[k]) {
          std::ostringstream text;
          text << "pixel (" << x << ", " << y << ") sample " << k << ": " << pa[k] << " vs "
               << pb[k];
          return fail(text.str());
        }
      }
    }
  }
  return true;
}

double Psnr(vuImage& a, vuImage& b) {
  double peak = a.accessor->bitsPerSample >= 16 ? 65535.0 : 255.0;
  if (a.sampleBits > 8 && a.accessor->bitsPerSample >= 16) peak = (1 << a.sampleBits) - 1.0;
  double sum = 0;
  int64_t count = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      uint16_t pa[4] = {0, 0, 0, 0}, pb[4] = {0, 0, 0, 0};
      a.accessor->GetRaw(x, y, pa);
      b.accessor->GetRaw(x, y, pb);
      for (int k = 0; k < a.accessor->samples; ++k) {
        double d = double(pa[k]) - double(pb[k]);
        sum += d * d;
        ++count;
      }
    }
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(peak * peak / (sum / double(count)));
}

std::vector<uint8_t> RgbBytesTopDown(vuImage& image) {
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(image.Width()) * image.Height() * 3);
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      image.accessor->GetRGB(x, y, pixel);
      for (int k = 0; k < 3; ++k)
        rgb.push_back(static_cast<uint8_t>(pixel[k]));
    }
  }
  return rgb;
}

bool ImageMagickRgb(const std::string& file, std::vector<uint8_t>* rgb, int* width, int* height) {
  if (!HaveProgram("convert") || !HaveProgram("identify")) return false;
  std::string size;
  if (RunCommand("identify -format '%w %h' " + Quote(file + "[0]"), &size) != 0) return false;
  if (std::sscanf(size.c_str(), "%d %d", width, height) != 2) return false;
  TempDir dir;
  std::string raw = dir.Path("pixels.rgb");
  if (RunCommand("convert " + Quote(file + "[0]") + " -depth 8 rgb:" + Quote(raw)) != 0)
    return false;
  *rgb = ReadFileBytes(raw);
  return rgb->size() == size_t(*width) * size_t(*height) * 3;
}

} // namespace vutest
