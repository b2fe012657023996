// What the fuzz targets share: the input as a file the readers can open, quiet message boxes, and
// the checks on a loaded image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imagelib/vuPlatform.h"

class vuImage;

namespace vu::fuzz {

// The input bytes as a file in memory (no disk traffic), under a path any reader can open. One
// file per process, rewritten for every input.
class MemoryFile {
public:
  MemoryFile(const uint8_t* data, size_t size);
  const char* Path() const { return path_.c_str(); }

private:
  std::string path_;
};

// Message boxes are counted, not shown or printed (damaged files ask for many).
class QuietPlatform : public vuPlatformServices {
public:
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override;
  int messages = 0;
};

// Installs a quiet platform for one input.
class QuietScope {
public:
  QuietScope() : scope_(&platform_) {}

private:
  QuietPlatform platform_;
  vuScopedPlatform scope_;
};

// A reader's result and what it left in the image: 0 with a whole, readable picture inside the
// data model's limits, or one of the documented failures. Reads every byte of the block, so a
// block smaller than its header says is caught by the address checks.
void CheckLoadResult(const vuImage& image, int result);

// Bytes of the bitmap block for a picture of this size and depth (64-bit, no overflow).
int64_t DecodedBytes(int64_t width, int64_t height, int64_t bitsPerPixel);

// Whether the 40 bytes of a WIF2 header declare more than a fuzz run decodes: the picture, or
// its tiles, each decoded at its full (padded) size however little of it the picture shows.
// False for a header the decoder refuses.
bool Wif2TooLargeToDecode(const uint8_t* header);

} // namespace vu::fuzz
