// Helpers of the TIFF, JPEG and PNG tests: pictures as plain channel values, reference decodes by
// independent tools, and a hostile-input loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace libformats {

// A picture as red, green, blue per pixel, top row first, at 8 or 16 bits a channel.
struct Picture {
  int width = 0;
  int height = 0;
  int depth = 0;
  std::vector<uint32_t> rgb;
};

// What an image shows: 8-bit formats through their colours, 16-bit formats as stored.
Picture PictureOf(vuImage& image);
// The largest channel difference, or a huge value (and `why`) when the sizes or depths differ.
int MaxDifference(const Picture& a, const Picture& b, std::string* why = nullptr);
// Peak signal-to-noise ratio of two 8-bit pictures of the same size.
double PicturePsnr(const Picture& a, const Picture& b);

// Runs a shell command and reports its output on failure.
bool Shell(const std::string& command);
// Loads a file through LoadImage; an empty picture when that fails.
Picture Load(const std::string& path, int* result = nullptr);
// ImageMagick's decode of `file` (with `arguments` before the output, such as -auto-orient), at
// `depth` bits a channel.
Picture MagickDecode(const std::string& file, const std::string& arguments, int depth,
                     const vutest::TempDir& dir);
// Pillow's decode of `file` to 8-bit RGB, transparent parts composited on white.
Picture PillowDecode(const std::string& file, const vutest::TempDir& dir);
// Runs a Python program with Pillow (the folder is its first argument).
bool RunPython(const std::string& program, const vutest::TempDir& dir);

bool HaveMagick();
bool HavePillow();

// Reads every truncation and 150 seeded byte mutations of `valid` through `read`
// (which must return whatever it likes without crashing); returns how many reads succeeded.
// `repair` (when given) runs on each mutated file, for formats whose checksums would otherwise
// stop every mutation at the door.
int HostileLoop(const std::vector<uint8_t>& valid, const std::string& path,
                const std::function<int(const std::string&)>& read, int mutations = 150,
                const std::function<void(std::vector<uint8_t>&)>& repair = nullptr);

// SaveImage with the process's file-size limit set to `limitBytes`, so that the disk seems to fill
// part-way through the write; the limit is restored afterwards.
int SaveWithFileSizeLimit(vuImage& image, const std::string& path, int type, void* options,
                          long limitBytes);

// A small colour picture with odd width (a crop of a real photograph) as PPM in `dir`.
std::string SmallPhoto(const vutest::TempDir& dir, int width = 37, int height = 29);

} // namespace libformats
