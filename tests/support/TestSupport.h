// Helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"

namespace vutest {

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  const std::filesystem::path& Root() const { return root_; }

private:
  std::filesystem::path root_;
};

// A file of the bundled samples folder.
std::string Sample(const std::string& name);
// A file of tests/data.
std::string TestData(const std::string& name);
// The shared test-data folder beside the repository (may be absent on a fresh clone).
std::string SharedTestData(const std::string& name);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Runs a shell command; returns its exit status (-1 when it could not run) and, when `output` is
// given, what it printed on standard output and standard error.
int RunCommand(const std::string& command, std::string* output = nullptr);
// True when a program is on the PATH.
bool HaveProgram(const std::string& name);
// The path of the built vuconvert.
std::string ConvertPath();
// Quotes a string for the shell.
std::string Quote(const std::string& text);

// An image that calls Delete() when it goes out of scope.
using ScopedImage = vuImageOwner;

// Fills an image of any format with a deterministic pattern through its accessor.
void FillPattern(vuImage& image, uint32_t seed = 1);
// True when both images have the same format, size and pixels (GetRaw of every pixel); on a
// difference `why` says where.
bool SamePixels(vuImage& a, vuImage& b, std::string* why = nullptr);
// PSNR in dB of the 8-bit (or 16-bit, scaled to its peak) samples of two images of equal size and
// format; infinity when identical.
double Psnr(vuImage& a, vuImage& b);

// The image's colours as 8-bit red, green, blue bytes, top row first (GetRGB of every pixel).
std::vector<uint8_t> RgbBytesTopDown(vuImage& image);
// The colours of a file as ImageMagick decodes them (8-bit red, green, blue, top row first), with
// its width and height; false when ImageMagick is missing or fails.
bool ImageMagickRgb(const std::string& file, std::vector<uint8_t>* rgb, int* width, int* height);

} // namespace vutest
