#include <csignal>
#include <sys/resource.h>

#include "support/LibFormatsSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "formats/vuRWImage.h"

namespace libformats {

Picture PictureOf(vuImage& image) {
  Picture p;
  if (!image.header) return p;
  p.width = image.Width();
  p.height = image.Height();
  bool sixteen = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
  p.depth = sixteen ? 16 : 8;
  p.rgb.reserve(size_t(p.width) * p.height * 3);
  uint16_t pixel[4];
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      if (sixteen) {
        image.accessor->GetRaw(x, y, pixel);
        if (image.format == BM_16BIT_GRAY) pixel[1] = pixel[2] = pixel[0];
      } else {
        image.accessor->GetRGB(x, y, pixel);
      }
      for (int k = 0; k < 3; ++k)
        p.rgb.push_back(pixel[k]);
    }
  }
  return p;
}

int MaxDifference(const Picture& a, const Picture& b, std::string* why) {
  if (a.width != b.width || a.height != b.height || a.depth != b.depth || a.rgb.empty()) {
    if (why) {
      *why = "pictures differ in shape: " + std::to_string(a.width) + "x" +
             std::to_string(a.height) + "@" + std::to_string(a.depth) + " against " +
             std::to_string(b.width) + "x" + std::to_string(b.height) + "@" +
             std::to_string(b.depth);
    }
    return 1 << 30;
  }
  int worst = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    int d = std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    if (d > worst) {
      worst = d;
      if (why) {
        size_t pixel = i / 3;
        *why = "worst at x " + std::to_string(pixel % a.width) + " y " +
               std::to_string(pixel / a.width) + ": " + std::to_string(a.rgb[i]) + " against " +
               std::to_string(b.rgb[i]);
      }
    }
  }
  return worst;
}

double PicturePsnr(const Picture& a, const Picture& b) {
  double sum = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    double d = double(a.rgb[i]) - double(b.rgb[i]);
    sum += d * d;
  }
  if (sum == 0) return INFINITY;
  double mse = sum / double(a.rgb.size());
  return 10 * std::log10(255.0 * 255.0 / mse);
}

bool Shell(const std::string& command) {
  std::string output;
  int status = vutest::RunCommand(command, &output);
  if (status != 0) ADD_FAILURE() << command << " failed (" << status << "): " << output;
  return status == 0;
}

Picture Load(const std::string& path, int* result) {
  vutest::ScopedImage image;
  int r = image.LoadImage(path.c_str());
  if (result) *result = r;
  if (r != 0) return Picture{};
  return PictureOf(image);
}

Picture MagickDecode(const std::string& file, const std::string& arguments, int depth,
                     const vutest::TempDir& dir) {
  static int counter = 0;
  std::string out = dir.Path("magick" + std::to_string(++counter) + ".ppm");
  if (!Shell("convert " + vutest::Quote(file) + " " + arguments + " -depth " +
             std::to_string(depth) + " " + vutest::Quote("ppm:" + out))) {
    return Picture{};
  }
  return Load(out);
}

bool RunPython(const std::string& program, const vutest::TempDir& dir) {
  static int counter = 0;
  std::string script = dir.Path("script" + std::to_string(++counter) + ".py");
  vutest::WriteFileBytes(script, std::vector<uint8_t>(program.begin(), program.end()));
  return Shell("/usr/bin/python3 " + vutest::Quote(script) + " " +
               vutest::Quote(dir.Root().string()));
}

Picture PillowDecode(const std::string& file, const vutest::TempDir& dir) {
  static int counter = 0;
  std::string out = dir.Path("pillow" + std::to_string(++counter) + ".ppm");
  std::string program = "import sys\nfrom PIL import Image\n"
                        "im = Image.open(sys.argv[2])\n"
                        "if im.mode in ('RGBA', 'LA', 'PA') or 'transparency' in im.info:\n"
                        "    im = im.convert('RGBA')\n"
                        "    white = Image.new('RGBA', im.size, (255, 255, 255, 255))\n"
                        "    im = Image.alpha_composite(white, im)\n"
                        "im.convert('RGB').save(sys.argv[3])\n";
  std::string script = dir.Path("pillowdecode.py");
  vutest::WriteFileBytes(script, std::vector<uint8_t>(program.begin(), program.end()));
  if (!Shell("/usr/bin/python3 " + vutest::Quote(script) + " x " + vutest::Quote(file) + " " +
             vutest::Quote(out))) {
    return Picture{};
  }
  return Load(out);
}

bool HaveMagick() {
  return vutest::HaveProgram("convert");
}

bool HavePillow() {
  return vutest::RunCommand("/usr/bin/python3 -c 'import PIL'") == 0;
}

int HostileLoop(const std::vector<uint8_t>& valid, const std::string& path,
                const std::function<int(const std::string&)>& read, int mutations,
                const std::function<void(std::vector<uint8_t>&)>& repair) {
  int successes = 0;
  // Truncations: every length near the start, then a spread over the rest.
  std::vector<size_t> lengths;
  for (size_t n = 0; n < std::min<size_t>(valid.size(), 64); ++n)
    lengths.push_back(n);
  for (size_t n = 64; n < valid.size(); n += std::max<size_t>(1, valid.size() / 30))
    lengths.push_back(n);
  for (size_t n : lengths) {
    vutest::WriteFileBytes(path, std::vector<uint8_t>(valid.begin(), valid.begin() + n));
    if (read(path) == 0) ++successes;
  }
  // Mutations: a few bytes changed, mostly in the headers where the structure lives.
  std::mt19937 random(12345);
  for (int i = 0; i < mutations; ++i) {
    std::vector<uint8_t> bytes = valid;
    int changes = 1 + int(random() % 4);
    for (int k = 0; k < changes; ++k) {
      size_t span = random() % 3 == 0 ? bytes.size() : std::min<size_t>(bytes.size(), 512);
      size_t at = random() % span;
      switch (random() % 3) {
      case 0:
        bytes[at] = uint8_t(random());
        break;
      case 1:
        bytes[at] ^= uint8_t(1u << (random() % 8));
        break;
      default:
        bytes[at] = random() % 2 ? 0xFF : 0x00;
        break;
      }
    }
    if (repair) repair(bytes);
    vutest::WriteFileBytes(path, bytes);
    if (read(path) == 0) ++successes;
  }
  return successes;
}

std::string SmallPhoto(const vutest::TempDir& dir, int width, int height) {
  // Cut from the middle of a real photograph, so that edges and smooth parts both occur.
  vutest::ScopedImage photo;
  EXPECT_EQ(photo.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  vutest::ScopedImage crop;
  crop.AllocateBitmap(width, height, 0, BM_24BIT);
  uint16_t pixel[4];
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      photo.accessor->GetRaw(150 + x, 120 + y, pixel);
      crop.accessor->SetRaw(x, y, pixel);
    }
  }
  std::string path =
      dir.Path("photo" + std::to_string(width) + "x" + std::to_string(height) + ".ppm");
  EXPECT_EQ(crop.SaveImage(path.c_str(), 4, nullptr), 0);
  return path;
}

int SaveWithFileSizeLimit(vuImage& image, const std::string& path, int type, void* options,
                          long limitBytes) {
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = static_cast<rlim_t>(limitBytes);
  setrlimit(RLIMIT_FSIZE, &limit);
  int result = image.SaveImage(path.c_str(), type, options);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  return result;
}

} // namespace libformats
