#include "codec/vuWifRW.h"

#include <cstring>
#include <new>
#include <vector>

#include "codec/vuClassicWif.h"
#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifEncoder.h"
#include "formats/vuFileStreams.h"

namespace {

constexpr char kNoteText[] = "VU  1998";

bool ReadWholeFile(FILE* stream, std::vector<uint8_t>* bytes) {
  const int64_t size = vuFileSize(stream);
  if (size < 0) return false;
  try {
    bytes->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::rewind(stream);
  return std::fread(bytes->data(), 1, bytes->size(), stream) == bytes->size();
}

vuBMFormat FormatFor(const vuWifParams& p) {
  if (p.colour) return p.sampleBytes == 2 ? BM_48BIT : BM_24BIT;
  return p.sampleBytes == 2 ? BM_16BIT_GRAY : BM_8BIT_GRAY;
}

} // namespace

int vuWifRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                  void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  uint8_t magic[4] = {};
  const size_t gotMagic = std::fread(magic, 1, 4, file.get());
  if (!vuWifIsWif2(magic, gotMagic)) {
    std::rewind(file.get());
    return ReadClassic(file.get(), count);
  }
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(file.get(), &bytes)) return -2;
  if (bytes.size() < kWifHeaderBytes) return -2;
  vuWifByteSource source{bytes.data(), bytes.size(), 0};
  vuWifDecoder decoder;
  decoder.SetMemoryLimit(kMaxBitmapBlockBytes);
  const int created = decoder.Create(&source);
  if (created != 0) return created;
  const vuWifParams& p = decoder.Params();
  const vuBMFormat format = FormatFor(p);
  const int bitCount = (p.colour ? 24 : 8) * p.sampleBytes;
  if (!BitmapAccessor::FitsModel(p.width, p.height, bitCount)) return -2;
  image->AllocateBitmap(p.width, p.height, p.colour ? 0 : 256, format);
  if (!image->header) return -3;
  if (p.sampleBytes == 2) image->sampleBits = p.significantBits;
  // The image's own row length: the same as the codec's aligned rows for 8-bit samples, and for
  // 16-bit samples the true picture whatever the width.
  decoder.BindWithStride(image->bits, image->Stride());
  decoder.DecodeAll();
  if (count) *count = static_cast<int>(std::min(source.position, source.size));
  damage = decoder.Damage();
  return damage.empty() ? 0 : -2;
}

int vuWifEncodeImage(const vuImage& image, const vuWifSaveOptions& options,
                     std::vector<uint8_t>* out) {
  const vuBitmapInfoHeader* header = image.header;
  vuWifParams p;
  switch (image.format) {
  case BM_24BIT:
  case BM_32BIT:
    p.colour = 1;
    p.sampleBytes = 1;
    break;
  case BM_8BIT_GRAY:
    p.sampleBytes = 1;
    break;
  case BM_48BIT:
    p.colour = 1;
    p.sampleBytes = 2;
    break;
  case BM_16BIT_GRAY:
    p.sampleBytes = 2;
    break;
  default:
    return -1;
  }
  if (header->width < 1 || header->height < 1 || header->width > 65535 || header->height > 65535) {
    vuPlatform().MessageBox("The image is too large for a WIF file (at most 65535 pixels a side).",
                            "Info", VU_MB_OK, VU_ICON_NONE);
    return -1;
  }
  p.width = header->width;
  p.height = header->height;
  p.quality = options.quality < 1 ? 1 : options.quality > 255 ? 255 : options.quality;
  p.levels = 5;
  p.fastFilter = options.fastMode ? 1 : 0;
  p.significantBits = 8;
  if (p.sampleBytes == 2) {
    // The options say how many bits are significant; without a valid answer, the image does.
    if (options.significantBits >= 8 && options.significantBits <= 16)
      p.significantBits = options.significantBits;
    else if (image.sampleBits >= 8 && image.sampleBits <= 16)
      p.significantBits = image.sampleBits;
    else
      p.significantBits = 16;
  }
  p.tiled = options.largeImage ? 1 : 0;
  p.tileWidth = p.tiled ? kWifLargeImageTile : p.width;
  p.tileHeight = p.tiled ? kWifLargeImageTile : p.height;
  p.noteText = kNoteText;
  p.noteLength = 4;

  // 32-bit pixels reach the coder as packed 24-bit rows (their fourth byte is not a sample).
  const uint8_t* pixels = image.bits;
  int64_t rowBytes = image.Stride();
  std::vector<uint8_t> packed;
  try {
    if (image.format == BM_32BIT) {
      packed.resize(static_cast<size_t>(p.width) * 3 * p.height);
      for (int y = 0; y < p.height; ++y) {
        const uint8_t* src = image.bits + static_cast<int64_t>(y) * rowBytes;
        uint8_t* dst = packed.data() + static_cast<size_t>(y) * p.width * 3;
        for (int x = 0; x < p.width; ++x)
          std::memcpy(dst + 3 * x, src + 4 * x, 3);
      }
      pixels = packed.data();
      rowBytes = int64_t(p.width) * 3;
    }
    out->clear();
    vuWifEncoder encoder(pixels, rowBytes, out, p);
    if (encoder.EncodeAll() == 0) return 0;
    if (!p.tiled) {
      vuPlatform().MessageBox(
          "The compressed image is too large for one piece; it is written in 256 x 256 tiles.",
          "Info", VU_MB_OK, VU_ICON_NONE);
      p.tiled = 1;
      p.tileWidth = p.tileHeight = kWifLargeImageTile;
      out->clear();
      vuWifEncoder tiledEncoder(pixels, rowBytes, out, p);
      if (tiledEncoder.EncodeAll() == 0) return 0;
    }
  } catch (const std::bad_alloc&) {
    vuPlatform().MessageBox("Not enough memory to compress the image.", "Info", VU_MB_OK,
                            VU_ICON_NONE);
    out->clear();
    return -1;
  }
  out->clear();
  vuPlatform().MessageBox("The image cannot be compressed at this quality: a tile of it does not "
                          "fit the file format. Choose a coarser quality.",
                          "Info", VU_MB_OK, VU_ICON_NONE);
  return -1;
}

int vuWifRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void* options) {
  if (!image || !image->header) return -1;
  const vuWifSaveOptions defaults;
  const vuWifSaveOptions& chosen =
      options ? *static_cast<const vuWifSaveOptions*>(options) : defaults;
  std::vector<uint8_t> bytes;
  if (vuWifEncodeImage(*image, chosen, &bytes) != 0) return -1;
  vuOutputFile file(fileName);
  if (!file) return -1;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return -1;
  return file.Commit() ? 0 : -1;
}

int vuWifRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  uint8_t header[kWifHeaderBytes];
  const size_t got = std::fread(header, 1, kWifHeaderBytes, file.get());
  if (!vuWifIsWif2(header, got)) {
    std::rewind(file.get());
    return GetInfoClassic(file.get(), info);
  }
  if (got < kWifHeaderBytes || !vuWifHeaderIsValid(header)) return -2;
  vuWifParams p;
  vuWifParseHeader(header, &p);
  info->width = static_cast<uint16_t>(p.width);
  info->height = static_cast<uint16_t>(p.height);
  info->bitsPerPixel = static_cast<uint8_t>((p.colour ? 24 : 8) * p.sampleBytes);
  const int64_t size = vuFileSize(file.get());
  info->fileSize = size < 0 ? 0 : static_cast<uint32_t>(size);
  return 0;
}

void* vuWifRW::GetOutOptions(int type) {
  return vuPlatform().AskWifSaveOptions(*image, type);
}

void vuWifRW::FreeOutOptions(void* options) {
  delete static_cast<vuWifSaveOptions*>(options);
}

// The older generation of WIF files ("W5".."W8", "WIF5".."WIF8") has its own decoder.
int vuWifRW::ReadClassic(FILE* stream, int* count) {
  return vuReadClassicWif(stream, image, count);
}

int vuWifRW::GetInfoClassic(FILE* stream, vuFileInfo* info) {
  return vuClassicWifInfo(stream, info);
}
