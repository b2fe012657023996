// The readers through LoadImage, and the type detection and header information of any file.
#include <cstring>
#include <memory>

#include "codec/wif2/vuWifFormat.h"
#include "formats/vuRWImage.h"
#include "formats/vuRegistry.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "imagelib/vuImageOwner.h"

namespace vu::fuzz {

namespace {

// Whether a file of this type declares more than the targets decode; false when its header
// cannot be read (the reader then has its own say).
bool TooLargeToDecode(vuImage& image, int type, const char* path, const uint8_t* data,
                      size_t size) {
  if (type == VU_TYPE_WIF && size >= kWifHeaderBytes && std::memcmp(data, "WIF2", 4) == 0 &&
      Wif2TooLargeToDecode(data))
    return true;
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  vuFileInfo info;
  if (!reader || reader->GetInfo(path, &info) != 0) return false;
  const int bits = info.bitsPerPixel < 8 ? 8 : info.bitsPerPixel;
  return DecodedBytes(info.width, info.height, bits) > kMaxDecodedBytes;
}

// Loads the bytes as a file of `type`: through LoadImage when the signature names that type,
// otherwise straight through the type's reader (as the converter does for files that no
// signature matches but whose extension names a type).
int LoadAs(int type, const uint8_t* data, size_t size) {
  QuietScope quiet;
  MemoryFile file(data, size);
  vuImageOwner image;
  if (TooLargeToDecode(image, type, file.Path(), data, size)) return kSkipped;
  int result;
  if (image.GetFileType(file.Path()) == type) {
    result = image.LoadImage(file.Path());
  } else {
    std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
    VU_FUZZ_CHECK(reader != nullptr);
    int count = -1;
    result = reader->Read(file.Path(), &count, &image.header, &image.palette, &image.bits,
                          reader->GetInOptions());
  }
  CheckLoadResult(image, result);
  return result;
}

} // namespace

int LoadBmp(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_BMP, data, size);
}
int LoadPnm(const uint8_t* data, size_t size) {
  // One target for both portable maps: the first byte picks the reader.
  if (size == 0) return LoadAs(VU_TYPE_PGM, data, size);
  return LoadAs(data[0] & 1 ? VU_TYPE_PPM : VU_TYPE_PGM, data + 1, size - 1);
}
int LoadTiff(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_TIFF, data, size);
}
int LoadJpeg(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_JPEG, data, size);
}
int LoadPng(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_PNG, data, size);
}
int LoadTarga(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_TARGA, data, size);
}
int LoadPcx(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_PCX, data, size);
}
int LoadGif(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_GIF, data, size);
}
int LoadWif(const uint8_t* data, size_t size) {
  return LoadAs(VU_TYPE_WIF, data, size);
}

// GetFileType over the stream and over the name, then GetInfo: the type is a registered one or
// -1, reading the signature leaves the stream where it was, and the information of a readable
// header gives the file's true size.
int FileInfo(const uint8_t* data, size_t size) {
  QuietScope quiet;
  MemoryFile file(data, size);
  vuImageOwner image;
  const int byName = image.GetFileType(file.Path());
  VU_FUZZ_CHECK(byName == -1 || vuFormatRegistry::Instance().Has(byName));
  FILE* stream = std::fopen(file.Path(), "rb");
  VU_FUZZ_CHECK(stream != nullptr);
  if (!stream) return -1;
  const int byStream = image.GetFileType(stream);
  VU_FUZZ_CHECK(byStream == byName);
  VU_FUZZ_CHECK(std::ftell(stream) == 0);
  std::fclose(stream);

  vuFileInfo info;
  const int result = image.GetInfo(file.Path(), &info);
  VU_FUZZ_CHECK(result == 0 || result == -1);
  if (byName < 0) VU_FUZZ_CHECK(result == -1);
  if (result == 0) VU_FUZZ_CHECK(info.fileSize == size);
  return result;
}

} // namespace vu::fuzz
