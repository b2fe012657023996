#include "WifTestSupport.h"

#include <gtest/gtest.h>

namespace wiftest {

namespace {

int SignificantBits(const Picture& picture) {
  int bits = 0;
  while ((1 << bits) - 1 < picture.maxValue)
    ++bits;
  return bits;
}

int SampleBytes(const Picture& picture) {
  return picture.Wide() ? 2 : 1;
}

// Where sample c of pixel x lies in a codec row: colour pixels are blue, green, red.
size_t RowIndex(const Picture& picture, int x, int c) {
  return size_t(x) * picture.channels + (picture.channels == 3 ? 2 - c : c);
}

} // namespace

int64_t CodecRowBytes(const Picture& picture) {
  return int64_t(picture.width) * picture.channels * SampleBytes(picture);
}

std::vector<uint8_t> CodecRows(const Picture& picture) {
  const int bytes = SampleBytes(picture);
  const int64_t rowBytes = CodecRowBytes(picture);
  std::vector<uint8_t> rows(size_t(rowBytes) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = rows.data() + size_t(picture.height - 1 - y) * rowBytes;
    for (int x = 0; x < picture.width; ++x) {
      for (int c = 0; c < picture.channels; ++c) {
        const uint16_t v = picture.At(x, y, c);
        uint8_t* p = row + RowIndex(picture, x, c) * bytes;
        p[0] = uint8_t(v & 0xFF);
        if (bytes == 2) p[1] = uint8_t(v >> 8);
      }
    }
  }
  return rows;
}

Picture FromCodecRows(const std::vector<uint8_t>& rows, const Picture& shape) {
  Picture picture = shape;
  const int bytes = SampleBytes(picture);
  const int64_t rowBytes = CodecRowBytes(picture);
  picture.samples.assign(size_t(picture.width) * picture.height * picture.channels, 0);
  if (rows.size() < size_t(rowBytes) * picture.height) return Picture{};
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* row = rows.data() + size_t(picture.height - 1 - y) * rowBytes;
    for (int x = 0; x < picture.width; ++x) {
      for (int c = 0; c < picture.channels; ++c) {
        const uint8_t* p = row + RowIndex(picture, x, c) * bytes;
        picture.At(x, y, c) = bytes == 2 ? uint16_t(p[0] | (p[1] << 8)) : p[0];
      }
    }
  }
  return picture;
}

Picture LoadSample(const std::string& name) {
  vutest::ScopedImage image;
  if (image.LoadImage(vutest::Sample(name).c_str()) != 0) {
    ADD_FAILURE() << "cannot load " << name;
    return Picture{};
  }
  return vutest::SamplesOf(image);
}

Picture Widen(const Picture& picture, int bits) {
  Picture wide = picture;
  wide.maxValue = (1 << bits) - 1;
  const int lowMask = (1 << (bits - 8)) - 1;
  for (int y = 0; y < picture.height; ++y) {
    // The pattern below the 8-bit value follows the codec buffer's order.
    const int row = picture.height - 1 - y;
    for (int x = 0; x < picture.width; ++x) {
      for (int c = 0; c < picture.channels; ++c) {
        const int i = int(RowIndex(picture, x, c));
        const int low = (i * 7 + row * 3) & lowMask;
        wide.At(x, y, c) = uint16_t((picture.At(x, y, c) << (bits - 8)) | low);
      }
    }
  }
  return wide;
}

Picture Crop(const Picture& picture, int width, int height) {
  return vutest::Crop(picture, 0, picture.height - height, width, height);
}

vuWifParams ParamsFor(const Picture& picture, int quality, bool fast, bool tiled, int levels) {
  vuWifParams p;
  p.width = picture.width;
  p.height = picture.height;
  p.quality = quality;
  p.levels = levels;
  p.colour = picture.channels == 3 ? 1 : 0;
  p.fastFilter = fast;
  p.sampleBytes = SampleBytes(picture);
  p.significantBits = SignificantBits(picture);
  p.tiled = tiled;
  p.tileWidth = tiled ? 256 : picture.width;
  p.tileHeight = tiled ? 256 : picture.height;
  return p;
}

std::vector<uint8_t> Encode(const Picture& picture, const vuWifParams& params) {
  const std::vector<uint8_t> rows = CodecRows(picture);
  std::vector<uint8_t> out;
  vuWifEncoder encoder(rows.data(), CodecRowBytes(picture), &out, params);
  EXPECT_EQ(encoder.EncodeAll(), 0);
  return out;
}

std::vector<uint8_t> DecodeRows(const std::vector<uint8_t>& file, vuWifParams* params) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  if (decoder.Create(&source) != 0) return {};
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  std::vector<uint8_t> out(size_t(row) * p.height, 0);
  decoder.BindWithStride(out.data(), row);
  decoder.DecodeAll();
  if (params) *params = p;
  return out;
}

Picture Decode(const std::vector<uint8_t>& file) {
  vuWifParams p;
  const std::vector<uint8_t> rows = DecodeRows(file, &p);
  if (rows.empty()) return Picture{};
  Picture shape;
  shape.width = p.width;
  shape.height = p.height;
  shape.channels = p.colour ? 3 : 1;
  shape.maxValue = p.sampleBytes == 2 ? (1 << p.significantBits) - 1 : 255;
  return FromCodecRows(rows, shape);
}

std::vector<uint8_t> DecodeTilesUnsmoothed(const std::vector<uint8_t>& file,
                                           std::vector<int64_t>* lengths) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  EXPECT_EQ(decoder.Create(&source), 0);
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  std::vector<uint8_t> out(size_t(row) * p.height, 0);
  decoder.BindWithStride(out.data(), row);
  std::vector<int64_t> answers;
  answers.push_back(decoder.FirstChunkLength());
  for (int k = 0; k <= decoder.TileCount(); ++k)
    answers.push_back(decoder.DecodeTile(k));
  if (lengths) *lengths = answers;
  return out;
}

std::vector<size_t> ChunkOffsets(const std::vector<uint8_t>& file) {
  std::vector<size_t> offsets;
  for (size_t offset = 54; offset + 4 <= file.size(); offset += vuWifChunkLength(&file[offset])) {
    offsets.push_back(offset);
    if (vuWifChunkLength(&file[offset]) == 0) break;
  }
  return offsets;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

} // namespace wiftest
