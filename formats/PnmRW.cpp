#include "formats/PnmRW.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "formats/vuFileStreams.h"
#include "formats/vuRowCopy.h"

namespace {

constexpr int kLargestNumber = 100000000; // larger numbers saturate (nothing valid is that big)

int BitLength(int value) {
  int n = 0;
  while (value > 0) {
    ++n;
    value >>= 1;
  }
  return n;
}

// Maps file samples (0..maxval) onto the stored range: 0..255 for 8-bit images, 0..2^bits-1 for
// 16-bit ones. Values past maxval in a damaged file are taken as maxval.
class SampleScale {
public:
  explicit SampleScale(int maxval) : maxval_(maxval) {
    top_ = maxval > 255 ? (1 << BitLength(maxval)) - 1 : 255;
  }
  // True when every sample keeps its value.
  bool Identity() const { return maxval_ == top_; }
  uint16_t operator()(unsigned v) const {
    if (v > unsigned(maxval_)) v = unsigned(maxval_);
    if (maxval_ == top_) return static_cast<uint16_t>(v);
    if (top_ % maxval_ == 0) return static_cast<uint16_t>(v * unsigned(top_ / maxval_));
    return static_cast<uint16_t>((uint64_t(v) * unsigned(top_) + unsigned(maxval_) / 2) /
                                 unsigned(maxval_));
  }

private:
  int maxval_;
  int top_;
};

// The header, checked: the magic, sizes the data model can hold, a maximum value of 1..65535,
// and exactly one white-space character (or CR LF) before the raster.
struct PnmHeader {
  int width = 0, height = 0, maxval = 0;
  int bytesPerSample = 1;
};

int ReadCheckedHeader(FILE* stream, char expectedMagic, int samples, PnmHeader* header) {
  char magic[2];
  if (ReadPNMHeader(stream, magic, &header->width, &header->height, &header->maxval) < 0) return -2;
  if (magic[0] != 'P' || magic[1] != expectedMagic) return -2;
  if (header->width < 1 || header->height < 1 || header->maxval < 1 || header->maxval > 65535) {
    return -2;
  }
  header->bytesPerSample = header->maxval > 255 ? 2 : 1;
  int bitsPerPixel = 8 * header->bytesPerSample * samples;
  if (BitmapAccessor::RowBytes(header->width, bitsPerPixel) > kMaxRowBytes) return -2;
  int c = std::fgetc(stream);
  if (c == '\r') {
    int next = std::fgetc(stream);
    if (next != '\n' && next != EOF) std::ungetc(next, stream);
  } else if (c == EOF || !std::isspace(c)) {
    return -2;
  }
  // A raster that ends early is read as far as it goes, but a few bytes claiming a huge picture
  // are refused before anything is allocated.
  long start = std::ftell(stream);
  int64_t size = vuFileSize(stream);
  int64_t needed = int64_t(header->width) * header->height * samples * header->bytesPerSample;
  if (start < 0 || size < 0 || needed > 1024 * (size - start + 1024)) return -2;
  return 0;
}

// The raster ended while row y was due (rows go from the top, height - 1, down): the rows that
// came stay, the rest is cleared.
int MissingRows(std::string* damage, const PnmHeader& header, int y) {
  *damage = vuDataEndsInRow(header.height - y, header.height);
  return -2;
}

// Reads the raster into the image: the file's first line is the image's top row. Samples go
// straight into the rows, whole rows at a time; only a maximum value that needs rescaling takes
// them one by one. Returns -1, or the row the data ended in (that row is cleared).
int ReadRaster(FILE* stream, const PnmHeader& header, int samples, vuImage* image) {
  const SampleScale scale(header.maxval);
  const int bytes = header.bytesPerSample;
  const size_t count = size_t(header.width) * samples;
  const size_t rowBytes = count * bytes;
  // File order red, green, blue and big-endian samples; rows blue, green, red, little-endian.
  const int group = samples * bytes;
  std::vector<uint8_t> raw(scale.Identity() ? 0 : rowBytes);
  for (int y = header.height - 1; y >= 0; --y) {
    uint8_t* row = image->Row(y);
    if (scale.Identity()) {
      if (std::fread(row, 1, rowBytes, stream) != rowBytes) {
        std::memset(row, 0, rowBytes);
        return y;
      }
      if (group > 1) vuReverseByteGroups(row, row, size_t(header.width), group);
      // A damaged file may hold samples past its maximum value: they are taken as the maximum.
      if (bytes == 2 && header.maxval < 65535)
        vuClampSamples16(row, count, uint16_t(header.maxval));
      continue;
    }
    if (std::fread(raw.data(), 1, rowBytes, stream) != rowBytes) return y;
    for (size_t i = 0; i < count; ++i) {
      const size_t x = i / samples, k = i % samples;
      const size_t to = x * samples + (samples - 1 - k);
      if (bytes == 1) {
        row[to] = static_cast<uint8_t>(scale(raw[i]));
      } else {
        const uint16_t v = scale((raw[2 * i] << 8) | raw[2 * i + 1]);
        row[2 * to] = static_cast<uint8_t>(v);
        row[2 * to + 1] = static_cast<uint8_t>(v >> 8);
      }
    }
  }
  return -1;
}

// Writes one row of samples (file order): single bytes, or big-endian pairs.
void WriteSamples(FILE* stream, const std::vector<uint16_t>& row, int bytesPerSample) {
  std::vector<uint8_t> raw(row.size() * bytesPerSample);
  for (size_t i = 0; i < row.size(); ++i) {
    if (bytesPerSample == 1) {
      raw[i] = static_cast<uint8_t>(row[i]);
    } else {
      raw[2 * i] = static_cast<uint8_t>(row[i] >> 8);
      raw[2 * i + 1] = static_cast<uint8_t>(row[i]);
    }
  }
  std::fwrite(raw.data(), 1, raw.size(), stream);
}

// Writes the rows of an 8-bit grey or palette, 24-bit or 48-bit or 16-bit grey image from the top
// line down, whole rows at a time: the row's bytes reordered into file order, 16-bit samples
// clamped to `maxval`.
void WriteRows(FILE* stream, const vuImage& image, int samples, int bytes, int maxval) {
  const int width = image.Width();
  const size_t rowBytes = size_t(width) * samples * bytes;
  std::vector<uint8_t> line(rowBytes);
  for (int y = image.Height() - 1; y >= 0; --y) {
    const uint8_t* row = image.Row(y);
    if (bytes == 2) {
      std::copy(row, row + rowBytes, line.begin());
      if (maxval < 65535) vuClampSamples16(line.data(), size_t(width) * samples, uint16_t(maxval));
      vuReverseByteGroups(line.data(), line.data(), size_t(width), samples * bytes);
    } else if (samples == 3) {
      vuReverseByteGroups(row, line.data(), size_t(width), 3);
    } else {
      std::copy(row, row + rowBytes, line.begin());
    }
    std::fwrite(line.data(), 1, rowBytes, stream);
  }
}

// The largest sample value of a 16-bit image: 2^sampleBits - 1 (all 16 bits when unset).
int SixteenBitMaxval(const vuImage& image) {
  int bits = image.sampleBits >= 1 && image.sampleBits <= 16 ? image.sampleBits : 16;
  return (1 << bits) - 1;
}

// The forms besides binary P5 and P6: plain (text) bitmaps, grey and colour maps (P1, P2, P3)
// and binary bitmaps (P4). Returns the magic's digit when the stream starts with one of `digits`,
// else 0 with the stream back at its start.
char OtherForm(FILE* stream, const char* digits) {
  int c0 = std::fgetc(stream), c1 = std::fgetc(stream);
  if (c0 == 'P' && c1 != EOF && c1 != 0 && std::strchr(digits, c1)) return static_cast<char>(c1);
  std::rewind(stream);
  return 0;
}

// Reads a P1, P2, P3 or P4 file (the stream stands after its magic): bitmaps become 1-bit images
// (index 0 white, 1 black, as the file's 0 and 1), grey and colour maps 8- or 16-bit images as
// their binary forms do.
int ReadOtherForm(vuRWImage& rw, FILE* stream, char kind, int* count) {
  const bool bitmap = kind == '1' || kind == '4';
  const bool text = kind != '4';
  const int samples = kind == '3' ? 3 : 1;
  PnmHeader header;
  header.width = ReadPNMInt(stream);
  header.height = ReadPNMInt(stream);
  header.maxval = bitmap ? 1 : ReadPNMInt(stream);
  if (header.width < 1 || header.height < 1 || header.maxval < 1 || header.maxval > 65535)
    return -2;
  const bool sixteen = header.maxval > 255;
  const int bitsPerPixel = bitmap ? 1 : samples * (sixteen ? 16 : 8);
  if (BitmapAccessor::RowBytes(header.width, bitsPerPixel) > kMaxRowBytes) return -2;
  // Exactly one white-space character ends the header of the binary bitmap.
  if (!text && !std::isspace(std::fgetc(stream))) return -2;
  // Text takes at least one character a sample, a binary bitmap one bit a pixel: a few bytes
  // claiming a huge picture are refused before anything is allocated.
  long start = std::ftell(stream);
  int64_t size = vuFileSize(stream);
  int64_t needed = text ? int64_t(header.width) * header.height * samples
                        : (int64_t(header.width) + 7) / 8 * header.height;
  if (start < 0 || size < 0 || needed > 1024 * (size - start + 1024)) return -2;

  vuImage* image = rw.image;
  vuBMFormat format = bitmap         ? BM_1BIT
                      : samples == 3 ? (sixteen ? BM_48BIT : BM_24BIT)
                                     : (sixteen ? BM_16BIT_GRAY : BM_8BIT_GRAY);
  const int colors = bitmap ? 2 : (samples == 1 && !sixteen ? 256 : 0);
  if (!image->AllocateBitmap(header.width, header.height, colors, format)) return -3;
  if (bitmap) {
    image->palette[0] = vuRGBA{255, 255, 255, 0};
    image->palette[1] = vuRGBA{0, 0, 0, 0};
  }
  image->sampleBits = sixteen ? BitLength(header.maxval) : 0;
  SampleScale scale(header.maxval);
  std::vector<uint16_t> row(size_t(header.width) * samples);
  std::vector<uint8_t> packed(bitmap && !text ? (size_t(header.width) + 7) / 8 : 0);
  for (int y = header.height - 1; y >= 0; --y) {
    if (!text) {
      if (std::fread(packed.data(), 1, packed.size(), stream) != packed.size())
        return MissingRows(&rw.damage, header, y);
      for (int x = 0; x < header.width; ++x)
        row[size_t(x)] = (packed[size_t(x) / 8] >> (7 - x % 8)) & 1;
    } else {
      for (size_t i = 0; i < row.size(); ++i) {
        int value;
        if (bitmap) {
          // Plain bitmaps need no space between their digits.
          int c;
          do {
            c = std::fgetc(stream);
            if (c == '#')
              while (c != '\n' && c != EOF)
                c = std::fgetc(stream);
          } while (c != EOF && c != '0' && c != '1');
          value = c == EOF ? -1 : c - '0';
        } else {
          value = ReadPNMInt(stream);
        }
        if (value < 0) return MissingRows(&rw.damage, header, y);
        row[i] = bitmap ? static_cast<uint16_t>(value) : scale(static_cast<unsigned>(value));
      }
      // The file holds red, green, blue; rows hold blue, green, red.
      for (size_t i = 0; samples == 3 && i < row.size(); i += 3)
        std::swap(row[i], row[i + 2]);
    }
    image->accessor->PutRow(y, row.data());
  }
  if (count) *count = static_cast<int>(std::min<int64_t>(size, INT32_MAX));
  return 0;
}

} // namespace

int ReadPNMInt(FILE* stream) {
  int c;
  for (;;) {
    c = std::fgetc(stream);
    if (c == EOF) return -1;
    if (c == '#') {
      c = std::fgetc(stream);
      while (c != '\n' && c != EOF)
        c = std::fgetc(stream);
      if (c == EOF) return -1;
      continue;
    }
    if (std::isdigit(c)) break;
  }
  int value = 0;
  while (c != EOF && std::isdigit(c)) {
    if (value < kLargestNumber) value = value * 10 + (c - '0');
    c = std::fgetc(stream);
  }
  if (c != EOF) std::ungetc(c, stream);
  return value;
}

int ReadPNMHeader(FILE* stream, char* magic, int* width, int* height, int* maxval) {
  int c0 = std::fgetc(stream);
  int c1 = std::fgetc(stream);
  magic[0] = static_cast<char>(c0);
  magic[1] = static_cast<char>(c1);
  if (c0 == EOF || c1 == EOF) return -1;
  *width = ReadPNMInt(stream);
  if (*width < 0) return -1;
  *height = ReadPNMInt(stream);
  if (*height < 0) return -1;
  *maxval = ReadPNMInt(stream);
  if (*maxval < 0) return -1;
  return 0;
}

int PgmRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  if (char kind = OtherForm(file.get(), "124"))
    return ReadOtherForm(*this, file.get(), kind, count);
  PnmHeader header;
  if (ReadCheckedHeader(file.get(), '5', 1, &header) < 0) return -2;
  bool sixteen = header.bytesPerSample == 2;
  // 8-bit images keep a full grey ramp, so scaled samples always have their table entry.
  if (!image->AllocateBitmap(header.width, header.height, sixteen ? 0 : 256,
                             sixteen ? BM_16BIT_GRAY : BM_8BIT_GRAY)) {
    return -3;
  }
  image->sampleBits = sixteen ? BitLength(header.maxval) : 0;
  if (int y = ReadRaster(file.get(), header, 1, image); y >= 0)
    return MissingRows(&damage, header, y);
  *count = header.width * header.height * header.bytesPerSample;
  return 0;
}

int PpmRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  if (char kind = OtherForm(file.get(), "3")) return ReadOtherForm(*this, file.get(), kind, count);
  PnmHeader header;
  if (ReadCheckedHeader(file.get(), '6', 3, &header) < 0) return -2;
  bool sixteen = header.bytesPerSample == 2;
  if (!image->AllocateBitmap(header.width, header.height, 0, sixteen ? BM_48BIT : BM_24BIT)) {
    return -3;
  }
  image->sampleBits = sixteen ? BitLength(header.maxval) : 0;
  if (int y = ReadRaster(file.get(), header, 3, image); y >= 0)
    return MissingRows(&damage, header, y);
  *count = 14 + 3 * header.width * header.height * header.bytesPerSample;
  return 0;
}

int PgmRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header) return -1;
  vuOutputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  bool sixteen = image->format == BM_16BIT_GRAY;
  int width = image->Width(), height = image->Height();
  int maxval = sixteen ? SixteenBitMaxval(*image) : 255;
  std::fprintf(file.get(), "P5 %d %d %d\n", width, height, maxval);
  if (sixteen || image->format == BM_8BIT_GRAY || image->format == BM_8BIT_COLOR) {
    WriteRows(file.get(), *image, 1, sixteen ? 2 : 1, maxval);
    return file.Commit() ? 0 : -1;
  }
  // Other formats: the accessor's stored sample (an index, a grey level or the red channel).
  std::vector<uint16_t> row(width);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      image->accessor->GetRaw(x, y, pixel);
      row[x] = sixteen ? std::min<uint16_t>(pixel[0], uint16_t(maxval)) : pixel[0] & 0xFF;
    }
    WriteSamples(file.get(), row, sixteen ? 2 : 1);
  }
  return file.Commit() ? 0 : -1;
}

int PpmRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header) return -1;
  vuOutputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  bool sixteen = image->format == BM_48BIT;
  int width = image->Width(), height = image->Height();
  int maxval = sixteen ? SixteenBitMaxval(*image) : 255;
  std::fprintf(file.get(), "P6 %d %d %d\n", width, height, maxval);
  if (sixteen || image->format == BM_24BIT) {
    WriteRows(file.get(), *image, 3, sixteen ? 2 : 1, maxval);
    return file.Commit() ? 0 : -1;
  }
  // Other formats: the accessor's stored samples.
  std::vector<uint16_t> row(size_t(width) * 3);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      image->accessor->GetRaw(x, y, pixel);
      for (int k = 0; k < 3; ++k) {
        row[3 * x + k] = sixteen ? std::min<uint16_t>(pixel[k], uint16_t(maxval)) : pixel[k] & 0xFF;
      }
    }
    WriteSamples(file.get(), row, sixteen ? 2 : 1);
  }
  return file.Commit() ? 0 : -1;
}

int PgmRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  char magic[2];
  int width, height, maxval = 1;
  magic[0] = static_cast<char>(std::fgetc(file.get()));
  magic[1] = static_cast<char>(std::fgetc(file.get()));
  bool bitmap = magic[1] == '1' || magic[1] == '4';
  if (magic[0] != 'P' || !std::strchr("123456", magic[1]) || magic[1] == 0) return -2;
  width = ReadPNMInt(file.get());
  height = ReadPNMInt(file.get());
  if (!bitmap) maxval = ReadPNMInt(file.get());
  if (width < 0 || height < 0 || maxval < 1 || maxval > 65535) return -2;
  int samples = magic[1] == '6' || magic[1] == '3' ? 3 : 1;
  info->width = static_cast<uint16_t>(width);
  info->height = static_cast<uint16_t>(height);
  info->bitsPerPixel = static_cast<uint8_t>(bitmap ? 1 : samples * (maxval > 255 ? 16 : 8));
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
