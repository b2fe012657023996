#include "codec/classic/BitReader.h"

namespace vu::classic {

namespace {
constexpr size_t kFileBufferBytes = 64 * 1024;
}

ClassicFileSource::ClassicFileSource(FILE* stream) : stream_(stream), buffer_(kFileBufferBytes) {
  long here = ftell(stream);
  start_ = here < 0 ? 0 : here;
  if (fseek(stream, 0, SEEK_END) == 0) {
    long end = ftell(stream);
    size_ = end < 0 ? 0 : end;
  }
  fseek(stream, static_cast<long>(start_), SEEK_SET);
}

bool ClassicFileSource::Refill() {
  start_ += static_cast<int64_t>(end_);
  next_ = 0;
  end_ = fread(buffer_.data(), 1, buffer_.size(), stream_);
  return end_ > 0;
}

} // namespace vu::classic
