#include "formats/vuSignatures.h"

#include <initializer_list>
#include <vector>

namespace {

struct SignatureRecord {
  int type;
  std::vector<uint8_t> offsets;  // byte positions compared
  std::vector<uint8_t> expected; // the bytes expected there
};

SignatureRecord Prefix(int type, std::initializer_list<uint8_t> bytes) {
  SignatureRecord record{type, {}, bytes};
  for (size_t k = 0; k < record.expected.size(); ++k)
    record.offsets.push_back(uint8_t(k));
  return record;
}

SignatureRecord Text(int type, const char* text) {
  SignatureRecord record{type, {}, {}};
  for (size_t k = 0; text[k]; ++k) {
    record.offsets.push_back(uint8_t(k));
    record.expected.push_back(uint8_t(text[k]));
  }
  return record;
}

// In order: the first record whose bytes all match wins.
const std::vector<SignatureRecord>& Table() {
  static const std::vector<SignatureRecord> table = {
      Text(1, "W5"),
      Text(1, "W6"),
      Text(1, "W7"),
      Text(1, "W8"),
      Text(1, "WIF5"),
      Text(1, "WIF6"),
      Text(1, "WIF7"),
      Text(1, "WIF8"),
      Text(1, "WIF2"),
      Text(5, "P5"),
      Text(4, "P6"),
      Text(2, "BM"),
      Text(11, "GIF87a"),
      Text(11, "GIF89a"),
      Text(2, "BM"),
      Prefix(7, {0x49, 0x49, 0x2A, 0x00}),
      Prefix(7, {0x4D, 0x4D, 0x00, 0x2A}),
      Prefix(8, {0x00, 0x01, 0x01}),
      Prefix(8, {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}),
      Prefix(8, {0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00}),
      Prefix(8, {0x00, 0x01, 0x09}),
      Prefix(8, {0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}),
      Prefix(8, {0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00}),
      Prefix(12, {0xFF, 0xD8}),
      Prefix(3, {0x0A}),
      Prefix(13, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}),
      // The other forms of the portable maps: plain bitmaps, grey and colour maps, binary bitmaps.
      Text(5, "P1"),
      Text(5, "P2"),
      Text(4, "P3"),
      Text(5, "P4"),
  };
  return table;
}

} // namespace

int vuMatchSignature(const uint8_t* bytes, size_t length) {
  if (length > kSignatureBytes) length = kSignatureBytes;
  for (const SignatureRecord& record : Table()) {
    bool match = true;
    for (size_t k = 0; k < record.offsets.size() && match; ++k) {
      size_t offset = record.offsets[k];
      match = offset < length && bytes[offset] == record.expected[k];
    }
    if (match) return record.type;
  }
  return -1;
}
