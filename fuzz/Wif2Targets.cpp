// The WIF2 decoder whole and tile by tile, and round trips through the encoder.
#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/vuWifRW.h"
#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifEncoder.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "imagelib/vuImageOwner.h"

namespace vu::fuzz {

namespace {

// The promises of a created decoder: the header passed the checks the reader relies on.
void CheckCreated(const vuWifDecoder& decoder) {
  const vuWifParams& p = decoder.Params();
  VU_FUZZ_CHECK(p.levels >= 1 && p.levels <= 7);
  VU_FUZZ_CHECK(p.width >= 1 && p.height >= 1 && p.tileWidth >= 1 && p.tileHeight >= 1);
  VU_FUZZ_CHECK(p.sampleBytes == 1 || p.sampleBytes == 2);
  VU_FUZZ_CHECK(p.sampleBytes == 1 || (p.significantBits >= 8 && p.significantBits <= 16));
  VU_FUZZ_CHECK(decoder.TileCount() >= 1);
}

// Decodes a stream the way a streaming client does: it waits for the header and comment and the
// first chunk marker, then for as many bytes as each tile's call asks for; when the data ends
// first, the stream has ended. Returns 0 after the last tile, -2 for a stream that ended early,
// the Create result for a bad header, kSkipped for a picture too large. `pixels` gets the
// decoder's buffer; `withinReceived` says whether every tile read only bytes that had arrived.
int DecodeStreaming(const uint8_t* data, size_t size, vuWifDecoder& decoder,
                    vuWifByteSource& source, uint8_t** pixels, bool* withinReceived) {
  *pixels = nullptr;
  *withinReceived = true;
  if (size < kWifHeaderBytes) return -2;
  vuWifParams header;
  const size_t comment = static_cast<size_t>(vuWifParseHeader(data, &header));
  size_t received = kWifHeaderBytes + comment + kWifChunkMarkerBytes;
  if (received > size) return -2;
  if (Wif2TooLargeToDecode(data)) return kSkipped;
  source = vuWifByteSource{data, received, 0};
  const int created = decoder.Create(&source);
  VU_FUZZ_CHECK(created == 0 || created == -2 || created == -3);
  if (created != 0) return created;
  CheckCreated(decoder);
  *pixels = decoder.AllocateBuffer();
  VU_FUZZ_CHECK(*pixels != nullptr);
  if (!*pixels) return -3;
  int64_t wanted = decoder.FirstChunkLength();
  for (int k = 0;; ++k) {
    // After the last tile the decoder wants nothing more; before it, only a damaged chunk
    // marker (a length below its own four bytes) ends the stream.
    if (wanted < 0) return k == decoder.TileCount() ? 0 : -2;
    VU_FUZZ_CHECK(k < decoder.TileCount());
    if (static_cast<uint64_t>(wanted) > size - received) return -2;
    received += static_cast<size_t>(wanted);
    source.size = received;
    wanted = decoder.DecodeTile(k);
    if (source.position > received) *withinReceived = false;
  }
}

// DecodeAll of the whole bytes into a buffer of the decoder's own; null when the header is
// refused.
uint8_t* DecodeWhole(const uint8_t* data, size_t size, vuWifDecoder& decoder,
                     vuWifByteSource& source) {
  source = vuWifByteSource{data, size, 0};
  if (decoder.Create(&source) != 0) return nullptr;
  uint8_t* buffer = decoder.AllocateBuffer();
  if (buffer) decoder.DecodeAll();
  return buffer;
}

int64_t ImageBytes(const vuWifDecoder& decoder) {
  vuWifHeaderInfo info;
  decoder.GetHeaderInfo(&info);
  return info.imageBytes;
}

} // namespace

// Create, then DecodeAll into a buffer of the decoder's own (packed rows, as a streaming client
// binds it).
int Wif2Decode(const uint8_t* data, size_t size) {
  if (size >= kWifHeaderBytes && Wif2TooLargeToDecode(data)) return kSkipped;
  vuWifByteSource source{data, size, 0};
  vuWifDecoder decoder;
  const int created = decoder.Create(&source);
  VU_FUZZ_CHECK(created == 0 || created == -2 || created == -3);
  if (created != 0) return created;
  CheckCreated(decoder);
  uint8_t* buffer = decoder.AllocateBuffer();
  VU_FUZZ_CHECK(buffer != nullptr);
  VU_FUZZ_CHECK(decoder.DecodeAll() == buffer);
  return 0;
}

// Tile by tile over the bytes as they arrive. When every tile read only bytes that had arrived,
// the picture must be the one DecodeAll makes of the same bytes.
int Wif2Tiles(const uint8_t* data, size_t size) {
  vuWifDecoder decoder;
  vuWifByteSource source;
  uint8_t* pixels = nullptr;
  bool withinReceived = true;
  const int result = DecodeStreaming(data, size, decoder, source, &pixels, &withinReceived);
  if (result != 0 || !withinReceived) return result;
  vuWifDecoder reference;
  vuWifByteSource whole;
  const uint8_t* expected = DecodeWhole(data, size, reference, whole);
  VU_FUZZ_CHECK(expected != nullptr);
  VU_FUZZ_CHECK(ImageBytes(reference) == ImageBytes(decoder));
  if (expected)
    VU_FUZZ_CHECK(std::memcmp(expected, pixels, static_cast<size_t>(ImageBytes(decoder))) == 0);
  return 0;
}

namespace {

// A picture made from the bytes: the first ones choose its format, size, quality, significant
// bits and a tiling of small tiles; the rest fill its rows (repeated as often as needed).
struct RoundTripPicture {
  vuBMFormat format = BM_8BIT_GRAY;
  bool large = false;
  int width = 1;
  int height = 1;
  int quality = 1;
  int significantBits = 16;
  int tileWidth = 1;
  int tileHeight = 1;
  int levels = 1;
};

constexpr size_t kPictureBytes = 10;

RoundTripPicture DescribePicture(const uint8_t* data) {
  static const vuBMFormat formats[] = {BM_8BIT_GRAY, BM_24BIT, BM_16BIT_GRAY, BM_48BIT, BM_32BIT};
  RoundTripPicture p;
  p.format = formats[(data[0] & 7) % 5];
  // Mostly small pictures (fast runs); now and then a strip across two 256 x 256 tiles, wide or
  // tall (tall ones have a seam to smooth).
  p.large = data[0] >= 0xF0;
  const bool tall = (data[0] & 8) != 0;
  p.width = 1 + (data[1] | (data[2] << 8)) % (p.large && !tall ? 300 : p.large ? 8 : 40);
  p.height = 1 + (data[3] | (data[4] << 8)) % (p.large && tall ? 300 : p.large ? 8 : 40);
  p.quality = data[5] == 0 ? 1 : data[5];
  p.significantBits = 8 + data[6] % 9;
  p.tileWidth = 4 + data[7] % 45;
  p.tileHeight = 4 + data[8] % 45;
  // Levels the tiles can hold (a tile is coded padded to a multiple of 2^levels).
  int most = 1;
  while (most < 7 && (1 << most) < std::max(p.tileWidth, p.tileHeight))
    ++most;
  p.levels = 1 + data[9] % most;
  return p;
}

bool IsWide(vuBMFormat format) {
  return format == BM_16BIT_GRAY || format == BM_48BIT;
}
bool IsColour(vuBMFormat format) {
  return format != BM_8BIT_GRAY && format != BM_16BIT_GRAY;
}

void FillPicture(vuImage& image, const RoundTripPicture& p, const uint8_t* pixels, size_t count) {
  const bool wide = IsWide(p.format);
  const int rowBytes = BitmapAccessor::RowBytes(p.width, image.Depth());
  const uint32_t top = (1u << p.significantBits) - 1;
  size_t next = 0;
  auto take = [&]() -> uint8_t { return count == 0 ? 0 : pixels[next++ % count]; };
  for (int y = 0; y < p.height; ++y) {
    uint8_t* row = image.Row(y);
    if (!wide) {
      for (int x = 0; x < rowBytes; ++x)
        row[x] = take();
      continue;
    }
    // 16-bit samples stay within the significant bits, as in any valid picture.
    for (int x = 0; x + 1 < rowBytes; x += 2) {
      uint32_t v = take();
      v = (v | (uint32_t(take()) << 8)) & top;
      row[x] = static_cast<uint8_t>(v & 0xFF);
      row[x + 1] = static_cast<uint8_t>(v >> 8);
    }
  }
  if (wide) image.sampleBits = p.significantBits;
}

// How one round trip codes the picture.
struct Mode {
  bool fast = false;
  bool smallTiles = false; // the picture's own small tiles, through the encoder itself
  bool largeTiles = false; // the writer's 256 x 256 tiles
};

// The file of one mode, encoded the way the WIF writer does or, for small tiles, by the encoder
// with the tiling the bytes chose.
std::vector<uint8_t> Encode(const vuImage& image, const RoundTripPicture& p, const Mode& mode) {
  std::vector<uint8_t> file;
  if (!mode.smallTiles) {
    vuWifSaveOptions options;
    options.quality = p.quality;
    options.fastMode = mode.fast ? 1 : 0;
    options.largeImage = mode.largeTiles ? 1 : 0;
    options.significantBits = IsWide(p.format) ? p.significantBits : 0;
    VU_FUZZ_CHECK(vuWifEncodeImage(image, options, &file) == 0);
    return file;
  }
  vuWifParams params;
  params.width = p.width;
  params.height = p.height;
  params.quality = p.quality;
  params.levels = p.levels;
  params.colour = IsColour(p.format) ? 1 : 0;
  params.fastFilter = mode.fast ? 1 : 0;
  params.sampleBytes = IsWide(p.format) ? 2 : 1;
  params.significantBits = IsWide(p.format) ? p.significantBits : 8;
  params.tiled = 1;
  params.tileWidth = p.tileWidth;
  params.tileHeight = p.tileHeight;
  vuWifEncoder encoder(image.bits, image.Stride(), &file, params);
  VU_FUZZ_CHECK(encoder.EncodeAll() == 0);
  return file;
}

// One mode: encode twice (the same bytes), then decode whole, tile by tile and through the
// reader (the same picture size and format, every byte of the file used). Large tiles cost too
// much for all that: they are encoded once and decoded whole and through the reader.
void RoundTripOneMode(const vuImage& image, const RoundTripPicture& p, const Mode& mode) {
  const std::vector<uint8_t> first = Encode(image, p, mode);
  if (!mode.largeTiles) VU_FUZZ_CHECK(Encode(image, p, mode) == first);

  vuWifDecoder whole;
  vuWifByteSource wholeSource;
  const uint8_t* expected = DecodeWhole(first.data(), first.size(), whole, wholeSource);
  VU_FUZZ_CHECK(expected != nullptr);
  VU_FUZZ_CHECK(wholeSource.position == first.size());
  const vuWifParams& params = whole.Params();
  VU_FUZZ_CHECK(params.width == p.width && params.height == p.height);
  VU_FUZZ_CHECK(params.colour == (IsColour(p.format) ? 1 : 0));
  VU_FUZZ_CHECK(params.sampleBytes == (IsWide(p.format) ? 2 : 1));
  VU_FUZZ_CHECK(params.fastFilter == (mode.fast ? 1 : 0));
  VU_FUZZ_CHECK(params.tiled == (mode.smallTiles || mode.largeTiles ? 1 : 0));
  if (mode.smallTiles)
    VU_FUZZ_CHECK(params.tileWidth == p.tileWidth && params.tileHeight == p.tileHeight);

  if (!mode.largeTiles) {
    vuWifDecoder streaming;
    vuWifByteSource streamingSource;
    uint8_t* pixels = nullptr;
    bool withinReceived = false;
    VU_FUZZ_CHECK(DecodeStreaming(first.data(), first.size(), streaming, streamingSource, &pixels,
                                  &withinReceived) == 0);
    VU_FUZZ_CHECK(withinReceived);
    VU_FUZZ_CHECK(streamingSource.position == first.size());
    if (expected && pixels)
      VU_FUZZ_CHECK(std::memcmp(expected, pixels, static_cast<size_t>(ImageBytes(whole))) == 0);
  }

  MemoryFile file(first.data(), first.size());
  vuImageOwner back;
  VU_FUZZ_CHECK(back.LoadImage(file.Path()) == 0);
  if (back.header) {
    VU_FUZZ_CHECK(back.format == (p.format == BM_32BIT ? BM_24BIT : p.format));
    VU_FUZZ_CHECK(back.Width() == p.width && back.Height() == p.height);
    if (IsWide(p.format)) VU_FUZZ_CHECK(back.sampleBits == p.significantBits);
    VU_FUZZ_CHECK(back.dataSize == static_cast<int32_t>(first.size()));
  }
}

} // namespace

int Wif2RoundTrip(const uint8_t* data, size_t size) {
  if (size < kPictureBytes) return -2;
  QuietScope quiet;
  const RoundTripPicture p = DescribePicture(data);
  vuImageOwner image;
  const int colours = p.format == BM_8BIT_GRAY ? 256 : 0;
  VU_FUZZ_CHECK(image.AllocateBitmap(p.width, p.height, colours, p.format) == 1);
  if (!image.header) return -3;
  FillPicture(image, p, data + kPictureBytes, size - kPictureBytes);
  if (p.large) {
    RoundTripOneMode(image, p, Mode{(data[9] & 1) != 0, false, true});
  } else {
    for (const bool fast : {false, true}) {
      RoundTripOneMode(image, p, Mode{fast, false, false});
      // 32-bit pixels reach the encoder only through the writer, which packs them.
      if (p.format != BM_32BIT) RoundTripOneMode(image, p, Mode{fast, true, false});
    }
  }
  return 0;
}

} // namespace vu::fuzz
