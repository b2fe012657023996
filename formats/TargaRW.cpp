#include "formats/TargaRW.h"

#include <algorithm>

#include "formats/vuFileStreams.h"

namespace {

constexpr int kHeaderSize = 18;
constexpr int kDescriptorRightToLeft = 0x10;
constexpr int kDescriptorTopToBottom = 0x20;

// Image types without the run-length flag: 1 colour-mapped, 2 true colour, 3 grey.
int BaseType(int imageType) {
  return imageType & 7;
}
bool IsSupportedType(int imageType) {
  return (imageType >= 1 && imageType <= 3) || (imageType >= 9 && imageType <= 11);
}

int BytesForBits(int bits) {
  return (bits + 7) / 8;
}

// A 16-bit pixel or map entry, 5 bits a channel (the top bit is an attribute), to blue, green,
// red.
void Unpack555(int lo, int hi, uint16_t* bgr) {
  bgr[0] = static_cast<uint16_t>((lo & 0x1F) << 3);
  bgr[1] = static_cast<uint16_t>((((lo >> 5) + (hi & 3) * 8) << 3) & 0xFF);
  bgr[2] = static_cast<uint16_t>(((hi >> 2) & 0x1F) << 3);
}

// The rows in file order, as distances from the first row: plain, two-way or four-way interleave
// (every row exactly once).
std::vector<int> RowOrder(int height, int interleave) {
  int step = interleave == 1 ? 2 : (interleave == 2 ? 4 : 1);
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  for (int start = 0; start < step; ++start) {
    for (int r = start; r < height; r += step)
      order.push_back(r);
  }
  return order;
}

} // namespace

bool TargaRW::ReadHeader(FILE* stream, TargaHeader* h) const {
  h->idLength = ReadByte(stream);
  h->colorMapType = ReadByte(stream);
  h->imageType = ReadByte(stream);
  h->colorMapOrigin = ReadShort(stream);
  h->colorMapLength = ReadShort(stream);
  h->colorMapEntrySize = ReadByte(stream);
  h->xOrigin = ReadShort(stream);
  h->yOrigin = ReadShort(stream);
  h->width = ReadShort(stream);
  h->height = ReadShort(stream);
  h->pixelDepth = ReadByte(stream);
  h->descriptor = ReadByte(stream);
  return h->descriptor != EOF && !std::feof(stream);
}

int TargaRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                  void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  FILE* stream = file.get();
  int64_t fileSize = vuFileSize(stream);
  if (count) *count = static_cast<int>(std::min<int64_t>(fileSize, INT32_MAX));
  TargaHeader h;
  if (!ReadHeader(stream, &h)) return -2;
  if (!IsSupportedType(h.imageType)) return -2;
  int base = BaseType(h.imageType);
  runLength_ = h.imageType >= 9;
  colorMapped_ = h.colorMapType != 0 && base == 1;

  // Grey files with an alpha byte (16 bits a pixel, type 3) keep the grey byte.
  bool greyWithAlpha = base == 3 && h.pixelDepth == 16;
  vuBMFormat format;
  int samples;
  switch (h.pixelDepth) {
  case 8:
    format = colorMapped_ ? BM_8BIT_COLOR : BM_8BIT_GRAY;
    samples = 1;
    break;
  case 15:
  case 16:
    format = greyWithAlpha ? BM_8BIT_GRAY : BM_24BIT;
    samples = greyWithAlpha ? 1 : 3;
    break;
  case 24:
    format = BM_24BIT;
    samples = 3;
    break;
  case 32:
    format = BM_32BIT;
    samples = 4;
    break;
  default:
    format = BM_24BIT;
    samples = 0;
    break;
  }
  // Map indexes are one byte; wider indexes are not something this reader can hold.
  if (samples == 0 || (colorMapped_ && h.pixelDepth != 8)) {
    vuPlatform().MessageBox("Pixel Size Not Supported", "Info", VU_MB_OK, VU_ICON_NONE);
    return -2;
  }
  if (base == 1 && !colorMapped_ && h.pixelDepth != 8) return -2;
  bytesPerPixel_ = BytesForBits(h.pixelDepth);

  int entryBytes = 0;
  if (h.colorMapType != 0) {
    int size = h.colorMapEntrySize;
    if (size != 8 && size != 15 && size != 16 && size != 24 && size != 32) return -2;
    entryBytes = BytesForBits(size);
  }
  int64_t mapBytes = int64_t(entryBytes) * h.colorMapLength;
  int64_t dataStart = kHeaderSize + h.idLength + mapBytes;
  int64_t dataBytes = fileSize - dataStart;
  if (h.width < 1 || h.height < 1 || dataBytes < 0) return -2;
  int targetBits = samples * 8;
  if (BitmapAccessor::RowBytes(h.width, targetBits) > kMaxRowBytes) return -2;
  // The file must be able to hold the picture: every run-length packet of at most 1 + 4 bytes
  // gives at most 128 pixels. An uncompressed file that ends early is read as far as it goes, but
  // a few bytes claiming a huge picture are refused before anything is allocated.
  int64_t pixels = int64_t(h.width) * h.height;
  if (runLength_ ? pixels > dataBytes * 128 : pixels * bytesPerPixel_ > 1024 * (dataBytes + 1024))
    return -2;

  if (std::fseek(stream, kHeaderSize + h.idLength, SEEK_SET) != 0) return -2;
  std::vector<uint8_t> map(static_cast<size_t>(mapBytes));
  if (!map.empty() && std::fread(map.data(), 1, map.size(), stream) != map.size()) return -2;

  if (!image->AllocateBitmap(h.width, h.height, samples == 1 ? 256 : 0, format)) return -3;
  if (colorMapped_) {
    // Entries go to the slots of their own index; slots past 255 do not exist.
    for (int i = 0; i < h.colorMapLength; ++i) {
      int slot = h.colorMapOrigin + i;
      if (slot > 255) break;
      const uint8_t* e = map.data() + int64_t(i) * entryBytes;
      vuRGBA& entry = image->palette[slot];
      uint16_t bgr[3];
      switch (h.colorMapEntrySize) {
      case 8:
        bgr[0] = bgr[1] = bgr[2] = e[0];
        break;
      case 15:
      case 16:
        Unpack555(e[0], e[1], bgr);
        break;
      default: // 24 and 32: blue, green, red (and alpha, not kept)
        bgr[0] = e[0];
        bgr[1] = e[1];
        bgr[2] = e[2];
        break;
      }
      entry = vuRGBA{static_cast<uint8_t>(bgr[0]), static_cast<uint8_t>(bgr[1]),
                     static_cast<uint8_t>(bgr[2]), 0};
    }
  }

  int result = ReadPixels(stream, h);
  // A file whose data ends early keeps the rows that came.
  if (result < 0 && damage.empty()) image->Delete();
  return result < 0 ? result : 0;
}

bool TargaRW::NextPixel(FILE* stream, uint8_t* pixel) {
  if (!runLength_) return std::fread(pixel, 1, bytesPerPixel_, stream) == size_t(bytesPerPixel_);
  if (packetLeft_ == 0) {
    int packet = std::fgetc(stream);
    if (packet == EOF) return false;
    packetIsRun_ = (packet & 0x80) != 0;
    packetLeft_ = (packet & 0x7F) + 1;
    if (packetIsRun_ &&
        std::fread(runPixel_, 1, bytesPerPixel_, stream) != size_t(bytesPerPixel_)) {
      return false;
    }
  }
  --packetLeft_;
  if (packetIsRun_) {
    std::copy(runPixel_, runPixel_ + bytesPerPixel_, pixel);
    return true;
  }
  return std::fread(pixel, 1, bytesPerPixel_, stream) == size_t(bytesPerPixel_);
}

int TargaRW::ReadPixels(FILE* stream, const TargaHeader& h) {
  int width = h.width, height = h.height;
  int samples = image->accessor->samples;
  bool rightToLeft = (h.descriptor & kDescriptorRightToLeft) != 0;
  bool topToBottom = (h.descriptor & kDescriptorTopToBottom) != 0;
  packetLeft_ = 0;
  packetIsRun_ = false;
  // One row of file pixels at a time: a single read for uncompressed files.
  const size_t fileRowBytes = size_t(width) * bytesPerPixel_;
  std::vector<uint8_t> pixels(fileRowBytes);
  std::vector<uint8_t> row(size_t(width) * samples);
  int rowsRead = 0;
  for (int r : RowOrder(height, (h.descriptor >> 6) & 3)) {
    // The pixels of the row the data holds; the rest of the row the data ended in is cleared.
    int got = width;
    if (!runLength_) {
      got = static_cast<int>(std::fread(pixels.data(), 1, fileRowBytes, stream) / bytesPerPixel_);
    } else {
      for (int i = 0; i < width && got == width; ++i)
        if (!NextPixel(stream, pixels.data() + size_t(i) * bytesPerPixel_)) got = i;
    }
    for (int i = 0; i < width; ++i) {
      const uint8_t* pixel = pixels.data() + size_t(i) * bytesPerPixel_;
      int x = rightToLeft ? width - 1 - i : i;
      uint8_t* out = row.data() + size_t(x) * samples;
      if (i >= got) {
        std::fill(out, out + samples, 0);
      } else if (samples == 1) {
        out[0] = pixel[0]; // index or grey level (a grey-and-alpha pixel keeps its grey byte)
      } else if (h.pixelDepth == 16 || h.pixelDepth == 15) {
        uint16_t bgr[3];
        Unpack555(pixel[0], pixel[1], bgr);
        for (int k = 0; k < 3; ++k)
          out[k] = static_cast<uint8_t>(bgr[k]);
      } else {
        for (int k = 0; k < samples; ++k)
          out[k] = pixel[k];
      }
    }
    // The row's bytes are the image's own layout (blue, green, red[, fourth] or one byte).
    std::copy(row.begin(), row.end(), image->Row(topToBottom ? height - 1 - r : r));
    ++rowsRead;
    if (got < width) {
      damage = vuDataEndsInRow(rowsRead, height);
      return -2;
    }
  }
  return 0;
}

int TargaRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header || !image->accessor || image->format == BM_16BIT_COLOR) return -1;
  int width = image->Width(), height = image->Height();
  if (width > 0xFFFF || height > 0xFFFF) return -1;
  vuOutputFile file(fileName);
  if (!file) return -1;
  file.UseLargeBuffer();
  FILE* stream = file.get();
  WriteByte(stream, 0); // no identification field
  WriteByte(stream, 0); // no colour map
  WriteByte(stream, 2); // uncompressed true colour
  WriteShort(stream, 0);
  WriteShort(stream, 0);
  WriteByte(stream, 0);
  WriteShort(stream, 0);
  WriteShort(stream, 0);
  WriteShort(stream, width);
  WriteShort(stream, height);
  WriteByte(stream, 24);
  WriteByte(stream, 0); // bottom-left origin, no interleave

  std::vector<uint8_t> line(size_t(width) * 3);
  BitmapAccessor* access = image->accessor;
  for (int y = 0; y < height; ++y) {
    if (image->format == BM_24BIT) {
      std::copy(image->Row(y), image->Row(y) + line.size(), line.begin());
    } else {
      for (int x = 0; x < width; ++x) {
        uint16_t rgb[4] = {0, 0, 0, 0};
        if (image->format == BM_16BIT_GRAY) {
          access->GetGray(x, y, rgb);
          rgb[1] = rgb[2] = rgb[0];
        } else {
          access->GetRGB(x, y, rgb);
        }
        line[3 * size_t(x)] = static_cast<uint8_t>(rgb[2]);
        line[3 * size_t(x) + 1] = static_cast<uint8_t>(rgb[1]);
        line[3 * size_t(x) + 2] = static_cast<uint8_t>(rgb[0]);
      }
    }
    std::fwrite(line.data(), 1, line.size(), stream);
  }
  return file.Commit() ? 0 : -1;
}

int TargaRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  TargaHeader h;
  if (!ReadHeader(file.get(), &h)) return -2;
  info->width = static_cast<uint16_t>(h.width);
  info->height = static_cast<uint16_t>(h.height);
  bool mapped = h.colorMapType != 0 && BaseType(h.imageType) == 1;
  info->bitsPerPixel = static_cast<uint8_t>(mapped ? 8 : h.pixelDepth);
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
