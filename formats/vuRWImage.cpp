#include "formats/vuRWImage.h"

int vuRWImage::ReadByte(FILE* stream) const {
  return std::fgetc(stream);
}

int vuRWImage::ReadShort(FILE* stream) const {
  int b0 = std::fgetc(stream) & 0xFF;
  int b1 = std::fgetc(stream) & 0xFF;
  return bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0;
}

int32_t vuRWImage::ReadLong(FILE* stream) const {
  uint32_t b[4];
  for (auto& v : b)
    v = static_cast<uint32_t>(std::fgetc(stream)) & 0xFF;
  uint32_t value = bigEndian ? (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]
                             : (b[3] << 24) | (b[2] << 16) | (b[1] << 8) | b[0];
  return static_cast<int32_t>(value);
}

void vuRWImage::WriteByte(FILE* stream, int value) const {
  std::fputc(value & 0xFF, stream);
}

void vuRWImage::WriteShort(FILE* stream, int value) const {
  if (bigEndian) {
    std::fputc((value >> 8) & 0xFF, stream);
    std::fputc(value & 0xFF, stream);
  } else {
    std::fputc(value & 0xFF, stream);
    std::fputc((value >> 8) & 0xFF, stream);
  }
}

void vuRWImage::WriteLong(FILE* stream, int32_t value) const {
  uint32_t v = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) {
    int shift = bigEndian ? 24 - 8 * k : 8 * k;
    std::fputc(static_cast<int>((v >> shift) & 0xFF), stream);
  }
}

std::string vuDataEndsInRow(int64_t row, int64_t height) {
  return "the data ends in row " + std::to_string(row) + " of " + std::to_string(height);
}
