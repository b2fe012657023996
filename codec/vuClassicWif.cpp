#include "codec/vuClassicWif.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "codec/classic/ClassicWifDecoder.h"
#include "formats/vuFileInfo.h"
#include "imagelib/vuImage.h"

namespace {

struct FileCloser {
  void operator()(FILE* stream) const { fclose(stream); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The image format a header calls for.
vuBMFormat FormatOf(const ClassicHeader& header) {
  bool wide = header.EffectiveSampleBytes() == 2;
  if (header.color) return wide ? BM_48BIT : BM_24BIT;
  return wide ? BM_16BIT_GRAY : BM_8BIT_GRAY;
}

int BitsPerPixel(const ClassicHeader& header) {
  return (header.color ? 24 : 8) * header.EffectiveSampleBytes();
}

// The header can be decoded, into an image the data model can hold.
bool Decodable(const ClassicHeader& header) {
  return CheckClassicHeader(header) == 0 &&
         BitmapAccessor::FitsModel(header.width, header.height, BitsPerPixel(header));
}

} // namespace

int vuClassicWifHeader(const char* fileName, ClassicHeader* header) {
  File stream(fopen(fileName, "rb"));
  if (!stream) return -1;
  if (ReadClassicHeader(stream.get(), header) != 1) return -2;
  return Decodable(*header) ? 0 : -2;
}

int vuClassicWifInfo(FILE* stream, vuFileInfo* info) {
  ClassicHeader header;
  if (ReadClassicHeader(stream, &header) != 1 || !Decodable(header)) return -2;
  info->width = static_cast<uint16_t>(header.width);
  info->height = static_cast<uint16_t>(header.height);
  info->bitsPerPixel = static_cast<uint8_t>(BitsPerPixel(header));
  int64_t size = vuFileSize(stream);
  info->fileSize = size < 0 ? 0 : static_cast<uint32_t>(size);
  return 0;
}

int vuClassicWifInfo(const char* fileName, vuFileInfo* info) {
  File stream(fopen(fileName, "rb"));
  if (!stream) return -1;
  return vuClassicWifInfo(stream.get(), info);
}

int vuReadClassicWif(FILE* stream, vuImage* image, int* count) {
  ClassicHeader header;
  if (ReadClassicHeader(stream, &header) != 1 || !Decodable(header)) return -2;

  vu::classic::ClassicWifDecoder decoder;
  int result = decoder.Open(header);
  if (result != 0) return result;

  vuBMFormat format = FormatOf(header);
  int colors = format == BM_8BIT_GRAY ? 256 : 0;
  if (!image->AllocateBitmap(header.width, header.height, colors, format) || !image->header)
    return -3;
  if (decoder.SampleBytes() == 2) image->sampleBits = decoder.SampleBits();
  decoder.Bind(image->bits, image->Stride());

  vu::classic::ClassicFileSource source(stream);
  result = decoder.Decode(source);
  if (result != 0) {
    image->Delete();
    // The decoder may answer with a damaged chunk length word (any negative number); a reader
    // answers only with its own codes.
    return result == -3 ? -3 : -2;
  }
  if (count) *count = static_cast<int>(std::min<int64_t>(source.Position(), INT32_MAX));
  return 0;
}

int vuReadClassicWif(const char* fileName, vuImage* image, int* count) {
  File stream(fopen(fileName, "rb"));
  if (!stream) return -1;
  return vuReadClassicWif(stream.get(), image, count);
}
