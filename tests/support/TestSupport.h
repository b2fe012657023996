// Helpers shared by the test programs: temporary files, commands, the sample folders; with them
// come pictures, independent tools and damaged copies of files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// A test with a temporary folder and files written into it.
class FileTest : public ::testing::Test {
protected:
  TempDir dir;
  // Writes the bytes to the folder; the file's path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
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
// Runs the built vuconvert with `arguments` (already quoted for the shell); its exit status.
int RunConvert(const std::string& arguments, std::string* output = nullptr);
// Quotes a string for the shell.
std::string Quote(const std::string& text);

// Reads a file with the reader of `type` itself rather than LoadImage, so that a damaged file's
// decoded part stays in `image`; the reader's result, and what it says is damaged in `damage`.
int ReadWithReader(vuImage& image, int type, const std::string& path, std::string* damage);

// An image that calls Delete() when it goes out of scope.
using ScopedImage = vuImageOwner;

// Little-endian appenders for files built by hand.
inline void Put8(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
}
inline void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// SaveImage with the process's file-size limit set to `limitBytes`, so that the disk seems to fill
// part-way through the write; the limit is restored afterwards.
int SaveWithFileSizeLimit(vuImage& image, const std::string& path, int type, void* options,
                          long limitBytes);

} // namespace vutest

#include "support/Damage.h"
#include "support/Picture.h"
#include "support/Tools.h"
