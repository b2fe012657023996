// WIF files for the desktop loader tests, made by the converter from the bundled samples.
#pragma once

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace vutest {

// Converts a sample to WIF in `dir` with the converter's extra arguments; the file's path.
std::string MakeWif(const TempDir& dir, const std::string& sample, const std::string& name,
                    const std::string& arguments = "");

// The file's bytes as pointer and length for the loaders.
struct Bytes {
  explicit Bytes(const std::string& path) : data(ReadFileBytes(path)) {}
  std::vector<uint8_t> data;
};

} // namespace vutest
