// Bit packing for the coefficient coder: bits are packed least significant first into bytes.
#pragma once

#include <cstdint>
#include <vector>

class vuBitWriter {
public:
  explicit vuBitWriter(std::vector<uint8_t>* out) : out_(out) {}

  void Reset() {
    accumulator_ = 0;
    count_ = 0;
  }
  // The `count` (0..32) low bits of `bits`, least significant first.
  void PutBits(uint32_t bits, int count) {
    accumulator_ |= static_cast<uint64_t>(bits & ((uint64_t(1) << count) - 1)) << count_;
    count_ += count;
    if (count_ >= 32) Drain();
  }
  void PutZeros(uint64_t count) {
    while (count > 0) {
      int n = count > 32 ? 32 : static_cast<int>(count);
      PutBits(0, n);
      count -= static_cast<uint64_t>(n);
    }
  }
  // Writes the pending bits (1..7 after the whole bytes) as one last byte, zeros above.
  void Flush() {
    while (count_ >= 8)
      EmitByte();
    if (count_ > 0) {
      out_->push_back(static_cast<uint8_t>(accumulator_ & 0xFF));
      accumulator_ = 0;
      count_ = 0;
    }
  }

private:
  void EmitByte() {
    out_->push_back(static_cast<uint8_t>(accumulator_ & 0xFF));
    accumulator_ >>= 8;
    count_ -= 8;
  }
  // Four whole bytes at a time (PutBits drains as soon as 32 bits are pending).
  void Drain() {
    const size_t at = out_->size();
    out_->resize(at + 4);
    uint8_t* p = out_->data() + at;
    p[0] = static_cast<uint8_t>(accumulator_);
    p[1] = static_cast<uint8_t>(accumulator_ >> 8);
    p[2] = static_cast<uint8_t>(accumulator_ >> 16);
    p[3] = static_cast<uint8_t>(accumulator_ >> 24);
    accumulator_ >>= 32;
    count_ -= 32;
  }

  std::vector<uint8_t>* out_;
  uint64_t accumulator_ = 0;
  int count_ = 0;
};
