#include "formats/vuFileStreams.h"

#include <new>

vuOutputFile::vuOutputFile(const char* fileName)
    : stream_(fileName ? std::fopen(fileName, "wb") : nullptr), name_(fileName ? fileName : "") {}

vuOutputFile::~vuOutputFile() {
  if (stream_) {
    std::fclose(stream_);
    std::remove(name_.c_str());
  }
}

bool vuOutputFile::Commit() {
  if (!stream_) return false;
  bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  if (!ok) std::remove(name_.c_str());
  return ok;
}

void vuLargeStreamBuffer::Attach(FILE* stream) {
  constexpr size_t kSize = size_t(1) << 20;
  if (!stream || buffer_) return;
  buffer_.reset(new (std::nothrow) char[kSize]);
  if (buffer_ && std::setvbuf(stream, buffer_.get(), _IOFBF, kSize) != 0) buffer_.reset();
}
