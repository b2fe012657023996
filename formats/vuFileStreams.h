// Small file helpers shared by the readers and writers.
#pragma once

#include <cstdio>
#include <string>

// A stream opened for reading, closed when the object goes.
class vuInputFile {
public:
  explicit vuInputFile(const char* fileName)
      : stream_(fileName ? std::fopen(fileName, "rb") : nullptr) {}
  ~vuInputFile() {
    if (stream_) std::fclose(stream_);
  }
  vuInputFile(const vuInputFile&) = delete;
  vuInputFile& operator=(const vuInputFile&) = delete;
  FILE* get() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }

private:
  FILE* stream_;
};

// A stream opened for writing. Unless Commit() succeeds, the file is removed when the object goes,
// so a failed write never leaves a half-written file under the target name.
class vuOutputFile {
public:
  explicit vuOutputFile(const char* fileName);
  ~vuOutputFile();
  vuOutputFile(const vuOutputFile&) = delete;
  vuOutputFile& operator=(const vuOutputFile&) = delete;
  FILE* get() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }
  // Flushes and closes; true when every byte reached the file.
  bool Commit();

private:
  FILE* stream_;
  std::string name_;
};
