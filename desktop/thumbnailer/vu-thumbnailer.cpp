// vu-thumbnailer: the thumbnail of a WIF file (or any file the library reads) as a PNG, for file
// managers (see vu-wif.thumbnailer).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop/thumbnailer/Thumbnail.h"
#include "imagelib/vuImageOwner.h"

namespace {

constexpr char kUsage[] = "usage: vu-thumbnailer -s SIZE INPUT OUTPUT.png\n";

int Fail(const char* file, const char* reason) {
  std::fprintf(stderr, "vu-thumbnailer: %s: %s\n", file, reason);
  return 1;
}

const char* LoadFailure(int result) {
  switch (result) {
  case -1:
    return "cannot be opened or is not an image file";
  case -3:
    return "not enough memory, or no reader for its type";
  default:
    return "damaged or truncated image file";
  }
}

} // namespace

int main(int argc, char** argv) {
  int size = 0;
  const char* files[2] = {nullptr, nullptr};
  int fileCount = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
      std::fputs(kUsage, stdout);
      std::fputs(
          "Writes a thumbnail of INPUT whose longer side is SIZE pixels (smaller pictures keep\n"
          "their size) to OUTPUT as a PNG file.\n",
          stdout);
      return 0;
    }
    if (!std::strcmp(arg, "-s") || !std::strcmp(arg, "--size")) {
      if (i + 1 >= argc) {
        std::fputs(kUsage, stderr);
        return 2;
      }
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 1 || value > 4096) {
        std::fprintf(stderr, "vu-thumbnailer: the size must be a number from 1 to 4096\n");
        return 2;
      }
      size = static_cast<int>(value);
      continue;
    }
    if (fileCount == 2) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    files[fileCount++] = arg;
  }
  if (size == 0 || fileCount != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  vuImageOwner image;
  const int loaded = image.LoadImage(files[0]);
  if (loaded != 0) return Fail(files[0], LoadFailure(loaded));
  vuPlainPixels pixels;
  if (!vuToPlainPixels(image, &pixels)) return Fail(files[0], "not enough memory");
  image.Delete();
  vuPlainPixels thumbnail;
  if (!vuScaleToThumbnail(pixels, size, &thumbnail)) return Fail(files[0], "not enough memory");
  if (vuWritePlainPng(thumbnail, files[1]) != 0) return Fail(files[1], "cannot be written");
  return 0;
}
