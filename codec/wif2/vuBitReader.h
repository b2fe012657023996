// Reading the coefficient coder's bit stream from an in-memory byte source. Bits come least
// significant first. A byte past the end of the data reads as 0xFF, so a truncated stream always
// ends its blocks quickly instead of running on through endless zero bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The bytes of a file (or of the part received so far) and the read position.
struct vuWifByteSource {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0; // may run past `size` on a truncated stream

  int GetByte() { return position < size ? data[position++] : (position++, 0xFF); }
  // Reads n bytes (0xFF past the end).
  void Read(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i)
      out[i] = static_cast<uint8_t>(GetByte());
  }
};

class vuBitReader {
public:
  explicit vuBitReader(vuWifByteSource* source) : source_(source) {}

  // Starts a new coded array at the source's next byte.
  void Reset() {
    buffer_ = 0;
    valid_ = 0;
  }
  // Gives back the whole bytes read ahead but not used, so the source stands at the byte after
  // the last one any bit was taken from (the rest of that byte is dropped).
  void Finish() {
    source_->position -= static_cast<size_t>(valid_ >> 3);
    buffer_ = 0;
    valid_ = 0;
  }

  // Fills the buffer with at least 57 valid bits.
  void Refill() {
    if (valid_ > 56) return;
    const size_t pos = source_->position;
    if (pos + 8 <= source_->size) {
      uint64_t word;
      std::memcpy(&word, source_->data + pos, 8);
      buffer_ |= word << valid_;
      const int bytes = (63 - valid_) >> 3;
      source_->position = pos + static_cast<size_t>(bytes);
      valid_ += bytes * 8;
      // Bits above `valid_` taken from the word must not stay in the buffer.
      buffer_ &= valid_ >= 64 ? ~uint64_t(0) : ((uint64_t(1) << valid_) - 1);
    } else {
      while (valid_ <= 56) {
        buffer_ |= static_cast<uint64_t>(source_->GetByte()) << valid_;
        valid_ += 8;
      }
    }
  }

  // The next `count` (0..24) bits; the caller made sure enough are valid (Refill).
  uint32_t TakeBits(int count) {
    uint32_t bits = static_cast<uint32_t>(buffer_ & ((uint64_t(1) << count) - 1));
    buffer_ >>= count;
    valid_ -= count;
    return bits;
  }
  uint32_t GetBits(int count) {
    if (valid_ < count) Refill();
    return TakeBits(count);
  }
  // The number of 0 bits before the next 1 bit; the 1 is consumed.
  uint64_t GetUnary() {
    uint64_t zeros = 0;
    for (;;) {
      if (buffer_ != 0) {
        int n = __builtin_ctzll(buffer_);
        buffer_ >>= n;
        buffer_ >>= 1;
        valid_ -= n + 1;
        return zeros + static_cast<uint64_t>(n);
      }
      zeros += static_cast<uint64_t>(valid_);
      valid_ = 0;
      Refill();
    }
  }
  int Valid() const { return valid_; }

private:
  vuWifByteSource* source_;
  uint64_t buffer_ = 0;
  int valid_ = 0;
};
