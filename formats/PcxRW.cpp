#include "formats/PcxRW.h"

#include <algorithm>

#include "formats/vuFileStreams.h"

namespace {

constexpr int kHeaderSize = 128;
constexpr int kPaletteMarker = 12;
constexpr int kPaletteTrailerSize = 769; // the marker and 256 red, green, blue triples

} // namespace

bool PcxRW::ReadHeader(FILE* stream, PcxHeader* h) const {
  uint8_t b[kHeaderSize];
  if (std::fread(b, 1, sizeof b, stream) != sizeof b) return false;
  auto word = [&](int offset) { return b[offset] | (b[offset + 1] << 8); };
  h->manufacturer = b[0];
  h->version = b[1];
  h->encoding = b[2];
  h->bitsPerPixel = b[3] ? b[3] : 1;
  h->xMin = word(4);
  h->yMin = word(6);
  h->xMax = word(8);
  h->yMax = word(10);
  std::copy(b + 16, b + 64, h->colorMap);
  h->planes = b[65] ? b[65] : 1;
  h->bytesPerLine = word(66);
  return true;
}

int PcxRW::NextByte(FILE* stream) {
  while (!ended_) {
    if (runCount_ > 0) {
      --runCount_;
      return runValue_;
    }
    int b = std::fgetc(stream);
    if (b == EOF) break;
    if (!encoded_ || (b & 0xC0) != 0xC0) return b;
    int value = std::fgetc(stream);
    if (value == EOF) break;
    runCount_ = b & 0x3F; // an empty run gives nothing
    runValue_ = value;
  }
  ended_ = true;
  return -1;
}

int PcxRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  FILE* stream = file.get();
  int64_t fileSize = vuFileSize(stream);
  if (count) *count = static_cast<int>(std::min<int64_t>(fileSize, INT32_MAX));
  PcxHeader h;
  if (!ReadHeader(stream, &h) || h.manufacturer != 10) return -2;
  int bits = h.bitsPerPixel, planes = h.planes;
  bool trueColor = bits * planes == 24;
  // Everything else must fit one byte a pixel: 1, 2 and 4 bits with up to four planes, 8 bits
  // with one.
  if (trueColor ? bits != 8
                : !((bits == 1 || bits == 2 || bits == 4 || bits == 8) && planes <= 4 &&
                    bits * planes <= 8)) {
    return -2;
  }
  if (h.xMax < h.xMin || h.yMax < h.yMin || h.bytesPerLine < 1) return -2;
  int width = h.xMax - h.xMin + 1, height = h.yMax - h.yMin + 1;
  if (BitmapAccessor::RowBytes(width, trueColor ? 24 : 8) > kMaxRowBytes) return -2;
  // A short file reads as far as its data goes, but a file of a few bytes claiming a huge
  // picture is refused before anything is allocated.
  int64_t dataBytes = std::max<int64_t>(0, fileSize - kHeaderSize);
  int64_t encodedBytes = int64_t(height) * planes * h.bytesPerLine;
  if (encodedBytes > 1024 * (dataBytes + 1024)) return -2;

  if (!image->AllocateBitmap(width, height, trueColor ? 0 : 256,
                             trueColor ? BM_24BIT : BM_8BIT_COLOR)) {
    return -3;
  }
  if (!trueColor) {
    bool trailer = false;
    // Only files of 256 colours carry the palette behind the pixels; in others a byte 12 at
    // that place is picture data.
    if (bits * planes == 8 && fileSize >= kHeaderSize + kPaletteTrailerSize &&
        std::fseek(stream, -kPaletteTrailerSize, SEEK_END) == 0 &&
        std::fgetc(stream) == kPaletteMarker) {
      uint8_t rgb[768];
      if (std::fread(rgb, 1, sizeof rgb, stream) == sizeof rgb) {
        trailer = true;
        for (int i = 0; i < 256; ++i)
          image->palette[i] = vuRGBA{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
      }
    }
    if (!trailer) {
      // Monochrome files often leave the map empty (or give two equal entries) and mean black
      // and white.
      bool useless = std::equal(h.colorMap, h.colorMap + 3, h.colorMap + 3);
      for (int i = 0; i < 16; ++i) {
        const uint8_t* e = h.colorMap + 3 * i;
        image->palette[i] = vuRGBA{e[2], e[1], e[0], 0};
      }
      if (bits == 1 && planes == 1 && useless) {
        image->palette[0] = vuRGBA{0, 0, 0, 0};
        image->palette[1] = vuRGBA{255, 255, 255, 0};
      }
    }
  }

  if (std::fseek(stream, kHeaderSize, SEEK_SET) != 0) return 0;
  encoded_ = h.encoding != 0;
  runCount_ = 0;
  ended_ = false;
  // One byte a pixel (three for colour), rows keep their cleared contents where the data ends.
  int bufferWidth = trueColor ? width * 3 : width;
  std::vector<uint8_t> scan(static_cast<size_t>(bufferWidth));
  int mask = (1 << bits) - 1;
  int pixelsPerByte = 8 / bits;
  int row = 0;
  for (; row < height && !ended_; ++row) {
    std::fill(scan.begin(), scan.end(), 0);
    for (int p = 0; p < planes && !ended_; ++p) {
      int pixel = 0;
      for (int i = 0; i < h.bytesPerLine; ++i) {
        int b = NextByte(stream);
        if (b < 0) break;
        if (bits == 8) {
          if (i < width) scan[size_t(i) * planes + p] = static_cast<uint8_t>(b);
          continue;
        }
        for (int k = 0; k < pixelsPerByte; ++k, ++pixel) {
          if (pixel >= width) break;
          int value = (b >> (8 - bits * (k + 1))) & mask;
          scan[size_t(pixel)] |= static_cast<uint8_t>(value << (p * bits));
        }
      }
    }
    uint8_t* target = image->Row(height - 1 - row);
    if (trueColor) {
      for (int x = 0; x < width; ++x) {
        target[3 * x] = scan[3 * size_t(x) + 2];
        target[3 * x + 1] = scan[3 * size_t(x) + 1];
        target[3 * x + 2] = scan[3 * size_t(x)];
      }
    } else {
      std::copy(scan.begin(), scan.end(), target);
    }
  }
  if (ended_) {
    // The row the data ended in is kept as far as it came.
    damage = vuDataEndsInRow(row, height);
    return -2;
  }
  return 0;
}

void PcxRW::EncodeLine(const uint8_t* line, int length, std::vector<uint8_t>* out) {
  int i = 0;
  while (i < length) {
    uint8_t value = line[i];
    int run = 1;
    while (i + run < length && line[i + run] == value)
      ++run;
    i += run;
    while (run > 63) {
      out->push_back(0xFF);
      out->push_back(value);
      run -= 63;
    }
    if (run > 1 || (value & 0xC0) == 0xC0) out->push_back(static_cast<uint8_t>(0xC0 | run));
    out->push_back(value);
  }
}

int PcxRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header || !image->accessor) return -1;
  vuBMFormat format = image->format;
  bool trueColor = format == BM_24BIT;
  // Palette images of 16 colours are stored one byte a pixel like those of 256.
  if (!trueColor && format != BM_8BIT_COLOR && format != BM_8BIT_GRAY && format != BM_4BIT) {
    return -1;
  }
  int width = image->Width(), height = image->Height();
  if (width > 0x10000 || height > 0x10000) return -1;
  int planes = trueColor ? 3 : 1;
  int bytesPerLine = ((8 * width + 15) / 16) * 2;
  int colors = trueColor ? 0 : std::min(image->Colors(), 256);

  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + size_t(height) * planes * bytesPerLine + kPaletteTrailerSize);
  auto word = [&](int v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  };
  out.push_back(10); // manufacturer
  out.push_back(5);  // version
  out.push_back(1);  // run-length encoding
  out.push_back(8);  // bits a pixel in each plane
  word(0);
  word(0);
  word(width - 1);
  word(height - 1);
  word(100);
  word(100);
  for (int i = 0; i < 16; ++i) {
    bool used = colors <= 16 && i < colors;
    out.push_back(used ? image->palette[i].red : 0);
    out.push_back(used ? image->palette[i].green : 0);
    out.push_back(used ? image->palette[i].blue : 0);
  }
  out.push_back(0); // reserved
  out.push_back(static_cast<uint8_t>(planes));
  word(bytesPerLine);
  word(1); // palette information: colour
  word(0); // screen size: not used by readers
  word(0);
  out.resize(kHeaderSize, 0);

  std::vector<uint8_t> line(size_t(bytesPerLine) * planes, 0);
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = image->Row(y);
    if (trueColor) {
      for (int x = 0; x < width; ++x) {
        line[size_t(x)] = row[3 * x + 2];
        line[size_t(bytesPerLine) + x] = row[3 * x + 1];
        line[2 * size_t(bytesPerLine) + x] = row[3 * x];
      }
    } else if (format == BM_4BIT) {
      for (int x = 0; x < width; ++x) {
        uint16_t raw[4] = {0, 0, 0, 0};
        image->accessor->GetRaw(x, y, raw);
        line[size_t(x)] = static_cast<uint8_t>(raw[0]);
      }
    } else {
      std::copy(row, row + width, line.begin());
    }
    for (int p = 0; p < planes; ++p)
      EncodeLine(line.data() + size_t(p) * bytesPerLine, bytesPerLine, &out);
  }
  // Readers find the palette of one-byte-a-pixel files at the end of the file.
  if (!trueColor) {
    out.push_back(kPaletteMarker);
    for (int i = 0; i < 256; ++i) {
      bool used = i < colors;
      out.push_back(used ? image->palette[i].red : 0);
      out.push_back(used ? image->palette[i].green : 0);
      out.push_back(used ? image->palette[i].blue : 0);
    }
  }

  vuOutputFile file(fileName);
  if (!file) return -1;
  std::fwrite(out.data(), 1, out.size(), file.get());
  return file.Commit() ? 0 : -1;
}

int PcxRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  PcxHeader h;
  if (!ReadHeader(file.get(), &h)) return -2;
  info->width = static_cast<uint16_t>(h.xMax - h.xMin + 1);
  info->height = static_cast<uint16_t>(h.yMax - h.yMin + 1);
  info->bitsPerPixel = static_cast<uint8_t>(h.bitsPerPixel * h.planes);
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
