#include "formats/BmpRW.h"

#include <cstdlib>
#include <vector>

#include "formats/vuFileStreams.h"

namespace {

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12; // the old 12-byte header with 16-bit sizes

struct BmpHeader {
  int64_t dataOffset = 0;
  int64_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0; // negative: top-down rows
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
  uint32_t masks[3] = {0, 0, 0}; // red, green, blue for bit-field files
  int64_t masksAfterHeader = 0;  // bytes of masks stored behind a 40-byte header
};

} // namespace

// Reads the file header and the information header (any size from 40 bytes up, or the old
// 12-byte form); leaves the stream at the end of the information header.
static int ReadHeaders(const vuRWImage& rw, FILE* stream, BmpHeader* h) {
  rw.ReadShort(stream); // "BM": detection already looked at it
  rw.ReadLong(stream);  // file size
  rw.ReadLong(stream);  // two reserved fields
  h->dataOffset = static_cast<uint32_t>(rw.ReadLong(stream));
  h->headerSize = static_cast<uint32_t>(rw.ReadLong(stream));
  if (h->headerSize == kCoreHeaderSize) {
    h->width = rw.ReadShort(stream);
    h->height = rw.ReadShort(stream);
    rw.ReadShort(stream);
    h->bitCount = rw.ReadShort(stream);
  } else if (h->headerSize >= 40) {
    h->width = rw.ReadLong(stream);
    h->height = rw.ReadLong(stream);
    rw.ReadShort(stream); // planes
    h->bitCount = rw.ReadShort(stream);
    h->compression = static_cast<uint32_t>(rw.ReadLong(stream));
    rw.ReadLong(stream); // image size
    rw.ReadLong(stream); // resolutions
    rw.ReadLong(stream);
    h->colorsUsed = static_cast<uint32_t>(rw.ReadLong(stream));
    h->colorsImportant = static_cast<uint32_t>(rw.ReadLong(stream));
    if (h->compression == kCompressionBitFields) {
      if (h->headerSize == 40) h->masksAfterHeader = 12;
      if (h->headerSize >= 52 || h->headerSize == 40) {
        for (uint32_t& mask : h->masks)
          mask = static_cast<uint32_t>(rw.ReadLong(stream));
      }
    }
  } else {
    return -2;
  }
  if (std::feof(stream)) return -2;
  return std::fseek(stream, kFileHeaderSize + h->headerSize + h->masksAfterHeader, SEEK_SET) == 0
             ? 0
             : -2;
}

int BmpRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  FILE* stream = file.get();
  BmpHeader h;
  if (ReadHeaders(*this, stream, &h) < 0) return -2;

  vuBMFormat format;
  switch (h.bitCount) {
  case 1:
    format = BM_8BIT_COLOR;
    break; // two-colour table, one byte a pixel
  case 4:
    format = BM_4BIT;
    break;
  case 8:
    format = BM_8BIT_COLOR;
    break;
  case 24:
    format = BM_24BIT;
    break;
  case 32:
    format = BM_24BIT;
    break; // the fourth byte is dropped
  default:
    return -3;
  }
  bool compressed = h.compression == kCompressionRle8 || h.compression == kCompressionRle4;
  if ((h.bitCount == 4 || h.bitCount == 8) && h.compression != kCompressionNone &&
      h.compression != (h.bitCount == 8 ? kCompressionRle8 : kCompressionRle4)) {
    vuPlatform().MessageBox("Error", "Unrecognized compression format\n",
                            h.bitCount == 4 ? VU_MB_OKCANCEL : VU_MB_OK, VU_ICON_NONE);
    return -2;
  }
  // 32-bit pixels may state their layout as bit fields; only the usual blue-green-red bytes are
  // read.
  bool standardMasks =
      h.masks[0] == 0x00FF0000 && h.masks[1] == 0x0000FF00 && h.masks[2] == 0x000000FF;
  bool plain = h.compression == kCompressionNone ||
               (h.bitCount == 32 && h.compression == kCompressionBitFields && standardMasks);
  if ((h.bitCount == 1 || h.bitCount == 24 || h.bitCount == 32) && !plain) return -2;

  // Sizes the data model can hold; run-length files are always bottom-up.
  bool topDown = h.height < 0;
  int64_t height = topDown ? -h.height : h.height;
  if (h.width < 1 || height < 1 || height > 65535 || (topDown && compressed)) return -2;
  if (BitmapAccessor::RowBytes(h.width, h.bitCount) > kMaxRowBytes ||
      BitmapAccessor::RowBytes(h.width, format == BM_24BIT ? 24 : (h.bitCount == 4 ? 4 : 8)) >
          kMaxRowBytes) {
    return -2;
  }
  int width = static_cast<int>(h.width);

  int64_t colorCount = h.colorsUsed;
  if (colorCount == 0) colorCount = h.bitCount <= 8 ? (1 << h.bitCount) : h.colorsImportant;
  if (h.bitCount <= 8 && colorCount > (1 << h.bitCount)) return -2;
  int entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
  int64_t tableStart = kFileHeaderSize + h.headerSize + h.masksAfterHeader;
  int64_t tableEnd = tableStart + entrySize * colorCount;
  int64_t fileSize = vuFileSize(stream);
  // The pixels start at the offset the file gives; a missing or impossible offset means right
  // behind the colour table. A true-colour file only reads past its table, and many say they
  // have one (colours important) without storing it: their offset alone tells.
  int64_t lowestOffset = h.bitCount > 8 ? tableStart : tableEnd;
  if (h.bitCount > 8) colorCount = 0;
  int64_t dataOffset =
      h.dataOffset >= lowestOffset && h.dataOffset < fileSize ? h.dataOffset : tableEnd;
  int fileStride = ((BitmapAccessor::RowBytes(width, h.bitCount) + 3) / 4) * 4;
  if (dataOffset > fileSize) return -2;
  // A file that ends early is read as far as it goes, but a few bytes claiming a huge picture
  // are refused before anything is allocated.
  int64_t dataBytes = fileSize - dataOffset;
  if (!compressed && int64_t(fileStride) * height > 1024 * (dataBytes + 1024)) return -2;

  if (!image->AllocateBitmap(width, static_cast<int>(height), static_cast<int>(colorCount),
                             format)) {
    return -3;
  }
  for (int64_t i = 0; i < colorCount; ++i) {
    vuRGBA& entry = image->palette[i];
    entry.blue = static_cast<uint8_t>(ReadByte(stream));
    entry.green = static_cast<uint8_t>(ReadByte(stream));
    entry.red = static_cast<uint8_t>(ReadByte(stream));
    entry.reserved = 0;
    if (entrySize == 4) ReadByte(stream);
  }
  if (std::fseek(stream, dataOffset, SEEK_SET) != 0) return -2;

  int64_t consumed = 0;
  if (compressed) {
    consumed = ReadRunLength(stream, h.compression == kCompressionRle8 ? 8 : 4);
    if (!damage.empty()) return -2;
  } else {
    std::vector<uint8_t> raw(fileStride);
    for (int64_t i = 0; i < height; ++i) {
      int y = static_cast<int>(topDown ? height - 1 - i : i);
      if (std::fread(raw.data(), 1, raw.size(), stream) != raw.size()) {
        // The rows that came stay; the rest is cleared.
        damage = vuDataEndsInRow(i + 1, height);
        return -2;
      }
      consumed += fileStride;
      uint8_t* row = image->Row(y);
      switch (h.bitCount) {
      case 1:
        for (int x = 0; x < width; ++x)
          row[x] = (raw[x / 8] >> (7 - x % 8)) & 1;
        break;
      case 4: {
        // Two pixels a byte, high nibble first, as in memory; a spare low nibble stays 0.
        const int bytes = (width + 1) / 2;
        std::copy(raw.begin(), raw.begin() + bytes, row);
        if (width % 2) row[bytes - 1] &= 0xF0;
        break;
      }
      case 32:
        for (int x = 0; x < width; ++x) {
          for (int k = 0; k < 3; ++k)
            row[3 * x + k] = raw[4 * x + k];
        }
        break;
      default: // 8 and 24 bits: rows lie in the file as they lie in memory
        std::copy(raw.begin(), raw.begin() + image->Stride(), row);
        break;
      }
    }
  }
  *count = static_cast<int>(std::min<int64_t>(54 + 4 * colorCount + consumed, INT32_MAX));
  return 0;
}

int64_t BmpRW::ReadRunLength(FILE* stream, int bitsPerPixel) {
  int width = image->Width(), height = image->Height();
  bool nibbles = bitsPerPixel == 4;
  int64_t x = 0, y = 0, consumed = 0;
  // Pixels past the row or the image are dropped: a stream never writes outside the bitmap.
  auto put = [&](int value) {
    if (x < width && y < height) {
      uint16_t pixel[4] = {static_cast<uint16_t>(nibbles ? value & 15 : value & 255), 0, 0, 0};
      image->accessor->SetRaw(static_cast<int>(x), static_cast<int>(y), pixel);
    }
    ++x;
  };
  // The data may end without an end-of-bitmap mark once the last row is complete; anywhere else
  // rows are missing.
  auto ended = [&]() {
    if (y >= height || (y == height - 1 && x >= width)) return consumed;
    damage = vuDataEndsInRow(y + 1, height);
    return consumed;
  };
  while (y < height) {
    int n = ReadByte(stream);
    if (n == EOF) return ended();
    int v = ReadByte(stream);
    if (v == EOF) return ended();
    consumed += 2;
    if (n > 0) {
      // An encoded run; 4-bit runs alternate the high and the low nibble.
      for (int k = 0; k < n; ++k)
        put(nibbles && k % 2 == 0 ? v >> 4 : v);
    } else if (v == 0) {
      ++y;
      x = 0;
    } else if (v == 1) {
      break;
    } else if (v == 2) {
      int dx = ReadByte(stream), dy = ReadByte(stream);
      if (dx == EOF || dy == EOF) return ended();
      consumed += 2;
      x += dx;
      y += dy;
    } else {
      // An absolute run of v pixels, padded to a whole number of 16-bit words.
      int bytes = nibbles ? (v + 1) / 2 : v;
      for (int k = 0; k < bytes; ++k) {
        int b = ReadByte(stream);
        if (b == EOF) return ended();
        ++consumed;
        if (!nibbles) {
          put(b);
          continue;
        }
        put(b >> 4);
        if (2 * k + 1 < v) put(b);
      }
      if (bytes % 2) ReadByte(stream);
    }
  }
  return consumed;
}

int BmpRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header) return -1;
  int bitCount = image->Depth();
  // Rows go out exactly as they lie in memory, which is the file's own layout for these depths.
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    char text[64];
    std::snprintf(text, sizeof text, "Unexpected biBitCoun %d \n", bitCount);
    vuPlatform().MessageBox(text, "Info", VU_MB_OK, VU_ICON_NONE);
    return -1;
  }
  if (image->header->compression != 0) return -1;
  vuOutputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  FILE* stream = file.get();
  int colors = image->Colors();
  int tableEntries = bitCount > 8 ? 0 : colors; // 32-bit images count colours but keep no table
  int64_t rowsSize = int64_t(image->Stride()) * image->Height();
  int64_t offset = 54 + 4 * int64_t(tableEntries);
  WriteByte(stream, 'B');
  WriteByte(stream, 'M');
  WriteLong(stream, static_cast<int32_t>(offset + rowsSize));
  WriteShort(stream, 0);
  WriteShort(stream, 0);
  WriteLong(stream, static_cast<int32_t>(offset));
  WriteLong(stream, 40);
  WriteLong(stream, image->Width());
  WriteLong(stream, image->Height());
  WriteShort(stream, 1);
  WriteShort(stream, bitCount);
  WriteLong(stream, 0);
  WriteLong(stream, 0);
  WriteLong(stream, 1);
  WriteLong(stream, 1);
  WriteLong(stream, tableEntries);
  WriteLong(stream, tableEntries);
  for (int i = 0; i < tableEntries; ++i) {
    WriteByte(stream, image->palette[i].blue);
    WriteByte(stream, image->palette[i].green);
    WriteByte(stream, image->palette[i].red);
    WriteByte(stream, 0);
  }
  std::fwrite(image->bits, 1, static_cast<size_t>(rowsSize), stream);
  return file.Commit() ? 0 : -1;
}

int BmpRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  BmpHeader h;
  if (ReadHeaders(*this, file.get(), &h) < 0) return -2;
  info->width = static_cast<uint16_t>(h.width);
  info->height = static_cast<uint16_t>(h.height < 0 ? -h.height : h.height);
  info->bitsPerPixel = static_cast<uint8_t>(h.bitCount);
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
