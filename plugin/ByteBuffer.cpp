#include "plugin/ByteBuffer.h"

#include <cstdio>
#include <limits>
#include <new>

bool ByteBuffer::Append(const uint8_t* bytes, int32_t n) {
  if (n <= 0 || !bytes) return true;
  if (bytes_.size() + static_cast<size_t>(n) >
      static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    return false;
  try {
    bytes_.insert(bytes_.end(), bytes, bytes + n);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ByteBuffer::DropFront(int32_t n) {
  if (n <= 0) return;
  if (static_cast<size_t>(n) >= bytes_.size()) {
    Free();
    return;
  }
  bytes_.erase(bytes_.begin(), bytes_.begin() + n);
}

void ByteBuffer::Free() {
  std::vector<uint8_t>().swap(bytes_);
}

int ByteBuffer::WriteToFile(const char* fileName) const {
  if (!fileName) return -1;
  FILE* file = std::fopen(fileName, "wb");
  if (!file) return -1;
  bool written =
      bytes_.empty() || std::fwrite(bytes_.data(), 1, bytes_.size(), file) == bytes_.size();
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    std::remove(fileName);
    return -2;
  }
  return 0;
}

bool ConsumeBytes(ByteBuffer& pending, ByteBuffer& consumed, int32_t n) {
  if (n > pending.Length()) n = pending.Length();
  if (!consumed.Append(pending.Data(), n)) return false;
  pending.DropFront(n);
  return true;
}
