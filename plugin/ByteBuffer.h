// A growable byte array: the stream bytes a plug-in instance has received and not yet used, and
// the bytes its decode steps have used so far.
#pragma once

#include <cstdint>
#include <vector>

class ByteBuffer {
public:
  // Adds n bytes at the end; nothing happens for n <= 0. False (and the buffer unchanged) when
  // the length would pass what a 32-bit length holds or memory is short.
  bool Append(const uint8_t* bytes, int32_t n);
  // Drops the first n bytes; n at or past the length empties the buffer.
  void DropFront(int32_t n);
  void Free();
  // Writes every byte to a new file. 0, -1 when the file cannot be created, -2 when the write
  // fails (the partial file is removed).
  int WriteToFile(const char* fileName) const;

  const uint8_t* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }
  int32_t Length() const { return static_cast<int32_t>(bytes_.size()); }

private:
  std::vector<uint8_t> bytes_;
};

// Moves the first n bytes of `pending` to the end of `consumed` (n is at most pending's length).
// False when `consumed` cannot take them; both buffers are then unchanged.
bool ConsumeBytes(ByteBuffer& pending, ByteBuffer& consumed, int32_t n);
