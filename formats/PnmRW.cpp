#include "formats/PnmRW.h"

#include <cctype>
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
  // The raster must be there: this also keeps absurd sizes from reaching the allocator.
  long start = std::ftell(stream);
  int64_t size = vuFileSize(stream);
  int64_t needed = int64_t(header->width) * header->height * samples * header->bytesPerSample;
  if (start < 0 || size < 0 || size - start < needed) return -2;
  return 0;
}

// Reads the raster into the image: the file's first line is the image's top row. Samples go
// straight into the rows, whole rows at a time; only a maximum value that needs rescaling takes
// them one by one.
bool ReadRaster(FILE* stream, const PnmHeader& header, int samples, vuImage* image) {
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
      if (std::fread(row, 1, rowBytes, stream) != rowBytes) return false;
      if (group > 1) vuReverseByteGroups(row, row, size_t(header.width), group);
      // A damaged file may hold samples past its maximum value: they are taken as the maximum.
      if (bytes == 2 && header.maxval < 65535)
        vuClampSamples16(row, count, uint16_t(header.maxval));
      continue;
    }
    if (std::fread(raw.data(), 1, rowBytes, stream) != rowBytes) return false;
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
  return true;
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
  PnmHeader header;
  if (ReadCheckedHeader(file.get(), '5', 1, &header) < 0) return -2;
  bool sixteen = header.bytesPerSample == 2;
  // 8-bit images keep a full grey ramp, so scaled samples always have their table entry.
  if (!image->AllocateBitmap(header.width, header.height, sixteen ? 0 : 256,
                             sixteen ? BM_16BIT_GRAY : BM_8BIT_GRAY)) {
    return -3;
  }
  image->sampleBits = sixteen ? BitLength(header.maxval) : 0;
  if (!ReadRaster(file.get(), header, 1, image)) return -2;
  *count = header.width * header.height * header.bytesPerSample;
  return 0;
}

int PpmRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  PnmHeader header;
  if (ReadCheckedHeader(file.get(), '6', 3, &header) < 0) return -2;
  bool sixteen = header.bytesPerSample == 2;
  if (!image->AllocateBitmap(header.width, header.height, 0, sixteen ? BM_48BIT : BM_24BIT)) {
    return -3;
  }
  image->sampleBits = sixteen ? BitLength(header.maxval) : 0;
  if (!ReadRaster(file.get(), header, 3, image)) return -2;
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
  int width, height, maxval;
  if (ReadPNMHeader(file.get(), magic, &width, &height, &maxval) < 0) return -2;
  if (magic[0] != 'P' || (magic[1] != '5' && magic[1] != '6') || maxval < 1 || maxval > 65535) {
    return -2;
  }
  int samples = magic[1] == '6' ? 3 : 1;
  info->width = static_cast<uint16_t>(width);
  info->height = static_cast<uint16_t>(height);
  info->bitsPerPixel = static_cast<uint8_t>(samples * (maxval > 255 ? 16 : 8));
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
