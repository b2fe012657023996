#include "codec/classic/RiceDecoder.h"

#include <cstring>

#include "codec/classic/BitReader.h"

namespace vu::classic {

namespace {

// 0, 1, 2, 3, 4 ... -> 0, -1, 1, -2, 2 ...
int32_t Signed(uint32_t v) {
  uint64_t half = (uint64_t(v) + 1) / 2;
  return (v & 1u) ? static_cast<int32_t>(static_cast<uint32_t>(0u - static_cast<uint32_t>(half)))
                  : static_cast<int32_t>(v / 2);
}

} // namespace

int DecodeRiceGroup(BitReader& reader, int32_t* values) {
  int k = static_cast<int>(reader.ReadBits(3));
  if (k < 7) {
    for (int j = 0; j < 16; ++j) {
      uint32_t low = reader.ReadBits(k);
      uint32_t zeros = 0;
      while (reader.ReadBit() == 0) {
        ++zeros;
        // Past the end the reader yields 1 bits, so this loop ends; stop early on bad input.
        if (reader.Failed()) return -2;
      }
      values[j] = Signed(low + (zeros << k));
    }
    return reader.Failed() ? -2 : 0;
  }

  // Tiny values: one bit per step, each step appending three digits (0 = stop, 1 = continue).
  static const uint8_t kTriples[8][3] = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1},
                                         {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}};
  uint8_t digits[kRiceTinyDigits];
  int length = 0;
  int stops = 0;
  while (stops < 16) {
    if (length + 3 > kRiceTinyDigits) return -2;
    int triple;
    if (reader.ReadBit() == 1) {
      triple = 7;
    } else {
      uint32_t t = reader.ReadBits(2);
      triple = t == 0 ? static_cast<int>(reader.ReadBits(2)) : static_cast<int>(3 + t);
    }
    for (int i = 0; i < 3; ++i) {
      digits[length++] = kTriples[triple][i];
      if (kTriples[triple][i] == 0) ++stops;
    }
    if (reader.Failed()) return -2;
  }
  int j = 0;
  uint32_t ones = 0;
  for (int i = 0; i < length && j < 16; ++i) {
    if (digits[i] == 0) {
      values[j++] = Signed(ones);
      ones = 0;
    } else {
      ++ones;
    }
  }
  return 0;
}

int DecodeRiceValues(int32_t* list, int64_t count, BitReader& reader) {
  int64_t offset = 0;
  while (offset < count - 16) {
    if (DecodeRiceGroup(reader, list + offset) != 0) return -2;
    offset += 16;
  }
  int64_t rest = count - offset;
  if (rest <= 0) return 0;
  if (rest == 16) return DecodeRiceGroup(reader, list + offset);
  int32_t scratch[16];
  if (DecodeRiceGroup(reader, scratch) != 0) return -2;
  std::memcpy(list + offset, scratch, static_cast<size_t>(rest) * sizeof(int32_t));
  return 0;
}

} // namespace vu::classic
