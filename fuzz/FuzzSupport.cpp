#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifTileDecoder.h"
#include "fuzz/FuzzTargets.h"
#include "imagelib/vuImage.h"

namespace vu::fuzz {

namespace {

int MemoryFileDescriptor() {
  static const int fd = memfd_create("vufuzz-input", 0);
  return fd;
}

void DefaultFailure(const char* what) {
  std::fprintf(stderr, "vufuzz: broken promise: %s\n", what);
  std::abort();
}

FailureHandler failureHandler = DefaultFailure;

} // namespace

void Fail(const char* what) {
  failureHandler(what);
}

FailureHandler SetFailureHandler(FailureHandler handler) {
  FailureHandler previous = failureHandler;
  failureHandler = handler ? handler : DefaultFailure;
  return previous == DefaultFailure ? nullptr : previous;
}

MemoryFile::MemoryFile(const uint8_t* data, size_t size) {
  const int fd = MemoryFileDescriptor();
  VU_FUZZ_CHECK(fd >= 0);
  VU_FUZZ_CHECK(ftruncate(fd, 0) == 0);
  size_t written = 0;
  while (written < size) {
    const ssize_t n = pwrite(fd, data + written, size - written, static_cast<off_t>(written));
    VU_FUZZ_CHECK(n > 0);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  path_ = "/proc/self/fd/" + std::to_string(fd);
}

int QuietPlatform::MessageBox(const char*, const char*, vuMessageButtons, vuMessageIcon) {
  ++messages;
  return 0;
}

int64_t DecodedBytes(int64_t width, int64_t height, int64_t bitsPerPixel) {
  if (width < 0 || height < 0 || bitsPerPixel < 0) return 0;
  return (width * bitsPerPixel + 31) / 32 * 4 * height;
}

bool Wif2TooLargeToDecode(const uint8_t* header) {
  // A header the decoder refuses is left to the decoder.
  if (!vuWifHeaderIsValid(header)) return false;
  vuWifParams p;
  vuWifParseHeader(header, &p);
  const int64_t planes = p.colour ? 3 : 1;
  const vuWifTiling tiling = vuWifMakeTiling(p);
  const int64_t tileSamples = int64_t(p.tileWidth) * p.tileHeight * planes;
  return DecodedBytes(p.width, p.height, 8 * planes * p.sampleBytes) > kMaxDecodedBytes ||
         int64_t(tiling.across) * tiling.down * tileSamples * p.sampleBytes >
             4 * kMaxDecodedBytes ||
         vuWifDecoderWorkBytes(p) > 16 * kMaxDecodedBytes;
}

void CheckLoadResult(const vuImage& image, int result) {
  VU_FUZZ_CHECK(result == 0 || result == -1 || result == -2 || result == -3);
  if (result != 0) return;
  VU_FUZZ_CHECK(image.header != nullptr && image.bits != nullptr);
  if (!image.header || !image.bits) return;
  VU_FUZZ_CHECK(image.Width() >= 1 && image.Height() >= 1);
  VU_FUZZ_CHECK(BitmapAccessor::RowBytes(image.Width(), image.Depth()) <= kMaxRowBytes);
  VU_FUZZ_CHECK(image.accessor != nullptr);
  // Every row and every table entry must lie inside the block.
  unsigned sum = 0;
  const int stride = image.Stride();
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* row = image.Row(y);
    for (int x = 0; x < stride; ++x)
      sum += row[x];
  }
  const int entries = image.TableEntries();
  VU_FUZZ_CHECK(entries >= 0 && entries <= 256);
  VU_FUZZ_CHECK(entries == 0 || image.palette != nullptr);
  for (int i = 0; i < entries && image.palette; ++i)
    sum += image.palette[i].red;
  // Keeps the reads from being optimised away.
  __asm__ volatile("" : : "r"(sum) : "memory");
  if (image.format == BM_16BIT_GRAY || image.format == BM_48BIT)
    VU_FUZZ_CHECK(image.sampleBits >= 1 && image.sampleBits <= 16);
}

} // namespace vu::fuzz
