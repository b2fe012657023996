// Small file helpers shared by the readers and writers.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

// A 1 MB stream buffer, for readers and writers that move whole rasters in sequence (a system
// call for every few kilobytes costs more than the copying). It must outlive the stream's use.
class vuLargeStreamBuffer {
public:
  // Installs the buffer on the stream; call it before the first read or write.
  void Attach(FILE* stream);

private:
  std::unique_ptr<char[]> buffer_;
};

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
  void UseLargeBuffer() { buffer_.Attach(stream_); }

private:
  vuLargeStreamBuffer buffer_; // declared first: it must outlive the stream
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
  void UseLargeBuffer() { buffer_.Attach(stream_); }

private:
  vuLargeStreamBuffer buffer_; // declared first: it must outlive the stream
  FILE* stream_;
  std::string name_;
};
