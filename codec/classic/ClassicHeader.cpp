#include "codec/classic/ClassicHeader.h"

#include "codec/classic/ClassicLayout.h"

namespace {

int BigEndian16(const uint8_t* p) {
  return (p[0] << 8) | p[1];
}

// Length of the signature ('W', ["IF"], digit) and the digit, or 0 when it is none of ours.
int ParseSignature(const uint8_t* bytes, size_t length, char* digit) {
  if (length < 2 || bytes[0] != 'W') return 0;
  int signatureLength = 2;
  if (bytes[1] == 'I') {
    if (length < 4 || bytes[2] != 'F') return 0;
    signatureLength = 4;
  }
  char d = static_cast<char>(bytes[signatureLength - 1]);
  if (d < '5' || d > '8') return 0;
  *digit = d;
  return signatureLength;
}

} // namespace

int ParseClassicHeader(const uint8_t* bytes, size_t length, ClassicHeader* header,
                       bool withComment) {
  char digit = 0;
  int signatureLength = ParseSignature(bytes, length, &digit);
  if (signatureLength == 0) return -2;
  if (length < static_cast<size_t>(signatureLength) + 16) return -2;
  const uint8_t* block = bytes + signatureLength;

  ClassicHeader h;
  h.signatureLength = signatureLength;
  h.digit = digit;
  h.color = (digit == '6' || digit == '8') ? 1 : 0;
  h.raster = (digit == '7' || digit == '8') ? 1 : 0;
  h.revisionMajor = block[0];
  h.revisionMinor = block[1];
  h.width = BigEndian16(block + 2);
  h.height = BigEndian16(block + 4);
  h.levels = block[6] & 0x0F;
  h.coarseLevels = block[6] >> 4;
  h.quantizerBase = block[7] + (h.RevisionAtLeast(3, 7) ? 2 : 0);
  h.dataOffset = BigEndian16(block + 8);
  h.sampleBytes = block[11];
  h.sampleBits = h.RevisionAtLeast(4, 7) ? (block[10] == 0 ? 16 : block[10]) : 0;
  h.commentLength = h.dataOffset - h.HeaderEnd();
  if (withComment) {
    // A data offset inside the header block leaves no comment; CheckClassicHeader refuses it.
    size_t commentLength = h.commentLength > 0 ? static_cast<size_t>(h.commentLength) : 0;
    if (length < static_cast<size_t>(h.HeaderEnd()) + commentLength) return -2;
    h.comment.assign(bytes + h.HeaderEnd(), bytes + h.HeaderEnd() + commentLength);
    h.comment.push_back(0);
  }
  *header = std::move(h);
  return 1;
}

int ReadClassicHeader(FILE* stream, ClassicHeader* header) {
  if (!stream || fseek(stream, 0, SEEK_SET) != 0) return -2;
  // The data offset is a 16-bit field, so header and comment never exceed 64 KiB.
  std::vector<uint8_t> bytes(kClassicHeaderBytes);
  size_t got = fread(bytes.data(), 1, bytes.size(), stream);
  int result = ParseClassicHeader(bytes.data(), got, header, false);
  if (result == 1 && header->dataOffset > static_cast<int>(got)) {
    bytes.resize(static_cast<size_t>(header->dataOffset));
    got += fread(bytes.data() + got, 1, bytes.size() - got, stream);
  }
  if (result == 1) result = ParseClassicHeader(bytes.data(), got, header, true);
  fseek(stream, 0, SEEK_SET);
  return result;
}

int CheckClassicHeader(const ClassicHeader& header) {
  if (header.width <= 0 || header.height <= 0) return -2;
  if (header.levels < 1) return -2;
  if (header.dataOffset < header.HeaderEnd()) return -2;
  if (header.RevisionAtLeast(4, 7) && header.sampleBytes > 2) return -2;
  int sampleBytes = header.EffectiveSampleBytes();
  if (sampleBytes == 2 && header.sampleBits > 16) return -2;

  // More levels than the picture needs only pad it: an encoder may go a little beyond the
  // picture (a 1 x 1 picture with 3 levels is padded to 8 x 8), but a padded picture that is
  // both more than 16 times the picture and larger than 256 x 256 is no real file.
  vu::classic::ClassicLayout layout(header.width, header.height, header.levels);
  int64_t paddedArea = 4 * layout.halfWidth * layout.halfHeight;
  int64_t area = int64_t(header.width) * header.height;
  if (paddedArea > 16 * area && paddedArea > 65536) return -2;
  return 0;
}

int ClassicDataOffset(const uint8_t* bytes, size_t length) {
  char digit = 0;
  int signatureLength = ParseSignature(bytes, length, &digit);
  if (signatureLength == 0 || length < static_cast<size_t>(signatureLength) + 10) return -2;
  return BigEndian16(bytes + signatureLength + 8);
}
