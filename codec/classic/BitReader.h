// Input of the older-generation WIF decoder: a sequential byte source (a file or the bytes a
// streaming client has received) and the bit reader over it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace vu::classic {

// Bytes in order; Get() answers -1 past the end.
class ClassicByteSource {
public:
  virtual ~ClassicByteSource() = default;
  virtual int Get() = 0;
  // Bytes taken so far (fetches past the end do not count).
  virtual int64_t Position() const = 0;
  // Total bytes the source holds.
  virtual int64_t Size() const = 0;
};

class ClassicMemorySource : public ClassicByteSource {
public:
  ClassicMemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int Get() override { return position_ < size_ ? data_[position_++] : -1; }
  int64_t Position() const override { return static_cast<int64_t>(position_); }
  int64_t Size() const override { return static_cast<int64_t>(size_); }

private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// Reads an open file from its current position through a buffer of its own.
class ClassicFileSource : public ClassicByteSource {
public:
  explicit ClassicFileSource(FILE* stream);
  int Get() override {
    if (next_ == end_ && !Refill()) return -1;
    return buffer_[next_++];
  }
  int64_t Position() const override { return start_ + static_cast<int64_t>(next_); }
  int64_t Size() const override { return size_; }

private:
  bool Refill();
  FILE* stream_;
  std::vector<uint8_t> buffer_;
  size_t next_ = 0;
  size_t end_ = 0;
  int64_t start_ = 0; // file position of buffer_[0]
  int64_t size_ = 0;
};

// Bits of each byte from the least significant up. Past the end of the source the reader goes on
// with 0xFF bytes for a while (an arithmetic decoder legitimately looks ahead there); the
// fifteenth fetch past the end marks the input as bad, and the decoders stop at their next check.
class BitReader {
public:
  explicit BitReader(ClassicByteSource* source) : source_(source) {}

  // The next bit comes from a fresh byte; the rest of a partly used byte is dropped.
  void Reset() {
    bitsLeft_ = 0;
    pastEnd_ = 0;
  }
  int ReadBit() {
    if (bitsLeft_ == 0) Fetch();
    int bit = static_cast<int>(current_ & 1u);
    current_ >>= 1;
    --bitsLeft_;
    return bit;
  }
  // n bits (0..32), the first read being the most significant.
  uint32_t ReadBits(int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i)
      value = (value << 1) | static_cast<uint32_t>(ReadBit());
    return value;
  }
  bool Failed() const { return failed_; }
  ClassicByteSource* Source() const { return source_; }

  static constexpr int kPastEndLimit = 14;

private:
  void Fetch() {
    int byte = source_->Get();
    if (byte < 0) {
      if (++pastEnd_ > kPastEndLimit) failed_ = true;
      byte = 0xFF;
    }
    current_ = static_cast<uint32_t>(byte);
    bitsLeft_ = 8;
  }

  ClassicByteSource* source_;
  uint32_t current_ = 0;
  int bitsLeft_ = 0;
  int pastEnd_ = 0;
  bool failed_ = false;
};

} // namespace vu::classic
