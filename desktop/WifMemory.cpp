#include "desktop/WifMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "formats/vuRegistry.h"

namespace {

// An anonymous file in memory that holds a copy of the bytes: the library's readers take file
// names, and reading through one keeps every loader on the very path the converter uses.
class MemoryFile {
public:
  MemoryFile(const uint8_t* bytes, size_t length) {
    fd_ = memfd_create("wif", MFD_CLOEXEC);
    if (fd_ < 0) return;
    size_t done = 0;
    while (done < length) {
      const ssize_t n = write(fd_, bytes + done, length - done);
      if (n <= 0) {
        close(fd_);
        fd_ = -1;
        return;
      }
      done += static_cast<size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() {
    if (fd_ >= 0) close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool Ok() const { return fd_ >= 0; }
  const char* Path() const { return path_.c_str(); }

private:
  int fd_ = -1;
  std::string path_;
};

bool StartsWith(const uint8_t* bytes, size_t length, const char* text) {
  const size_t n = std::strlen(text);
  return length >= n && std::memcmp(bytes, text, n) == 0;
}

} // namespace

bool vuLooksLikeWif(const uint8_t* bytes, size_t length) {
  if (!bytes) return false;
  static const char* const kSignatures[] = {"WIF2", "WIF5", "WIF6", "WIF7", "WIF8",
                                            "W5",   "W6",   "W7",   "W8"};
  for (const char* signature : kSignatures)
    if (StartsWith(bytes, length, signature)) return true;
  return false;
}

int vuLoadWifFromMemory(vuImage* image, const uint8_t* bytes, size_t length) {
  if (!image || !vuLooksLikeWif(bytes, length)) return -1;
  MemoryFile file(bytes, length);
  if (!file.Ok()) return -1;
  // Only the WIF reader: these loaders are asked for WIF files and must not decode anything else.
  if (image->GetFileType(file.Path()) != VU_TYPE_WIF) return -1;
  const int result = image->LoadImage(file.Path());
  if (result != 0) image->Delete();
  return result;
}

int vuWifInfoFromMemory(const uint8_t* bytes, size_t length, vuFileInfo* info) {
  if (!info || !vuLooksLikeWif(bytes, length)) return -1;
  MemoryFile file(bytes, length);
  if (!file.Ok()) return -1;
  vuImage probe;
  if (probe.GetFileType(file.Path()) != VU_TYPE_WIF) return -1;
  return probe.GetInfo(file.Path(), info) == 0 && info->width > 0 && info->height > 0 ? 0 : -1;
}

uint8_t vuSampleTo8Bits(uint16_t sample, int sampleBits) {
  if (sampleBits < 8 || sampleBits > 16) sampleBits = 16;
  const unsigned top = (1u << sampleBits) - 1;
  const unsigned value = sample > top ? top : sample;
  return static_cast<uint8_t>(value >> (sampleBits - 8));
}

bool vuToPlainPixels(const vuImage& image, vuPlainPixels* out) {
  if (!image.header || !image.bits || !out) return false;
  const int width = image.Width();
  const int height = image.Height();
  if (width < 1 || height < 1) return false;
  const bool grey = image.format == BM_8BIT_GRAY || image.format == BM_16BIT_GRAY;
  const int channels = grey ? 1 : 3;
  try {
    out->samples.assign(static_cast<size_t>(width) * height * channels, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  out->width = width;
  out->height = height;
  out->channels = channels;
  for (int line = 0; line < height; ++line) {
    // Row 0 of the image is the bottom line of the picture.
    const uint8_t* src = image.Row(height - 1 - line);
    uint8_t* dst = out->samples.data() + static_cast<size_t>(line) * width * channels;
    switch (image.format) {
    case BM_8BIT_GRAY:
      std::memcpy(dst, src, static_cast<size_t>(width));
      break;
    case BM_16BIT_GRAY:
      for (int x = 0; x < width; ++x)
        dst[x] = vuSampleTo8Bits(static_cast<uint16_t>(src[2 * x] | src[2 * x + 1] << 8),
                                 image.sampleBits);
      break;
    case BM_24BIT:
      for (int x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
      break;
    case BM_48BIT:
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) {
          const uint8_t* sample = src + 6 * x + 2 * (2 - c);
          dst[3 * x + c] =
              vuSampleTo8Bits(static_cast<uint16_t>(sample[0] | sample[1] << 8), image.sampleBits);
        }
      break;
    default: {
      // Palette and packed formats: through the accessor, one pixel at a time.
      const int y = height - 1 - line;
      for (int x = 0; x < width; ++x) {
        uint8_t r = 0, g = 0, b = 0;
        image.GetColor(x, y, &r, &g, &b);
        dst[3 * x] = r;
        dst[3 * x + 1] = g;
        dst[3 * x + 2] = b;
      }
    }
    }
  }
  return true;
}
