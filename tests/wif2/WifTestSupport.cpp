#include "WifTestSupport.h"

#include <gtest/gtest.h>

namespace wiftest {

Picture LoadSample(const std::string& name) {
  vutest::ScopedImage image;
  Picture p;
  if (image.LoadImage(vutest::Sample(name).c_str()) != 0) {
    ADD_FAILURE() << "cannot load " << name;
    return p;
  }
  p.width = image.Width();
  p.height = image.Height();
  p.colour = image.format == BM_24BIT ? 1 : 0;
  const int64_t row = p.RowBytes();
  p.pixels.resize(size_t(row) * p.height);
  for (int y = 0; y < p.height; ++y)
    std::copy(image.Row(y), image.Row(y) + row, p.pixels.begin() + size_t(y) * row);
  return p;
}

Picture Widen(const Picture& picture, int bits) {
  Picture w = picture;
  w.sampleBytes = 2;
  w.significantBits = bits;
  const int samples = picture.width * (picture.colour ? 3 : 1);
  w.pixels.assign(size_t(samples) * picture.height * 2, 0);
  for (int y = 0; y < picture.height; ++y)
    for (int i = 0; i < samples; ++i) {
      const int v8 = picture.pixels[size_t(y) * samples + i];
      const int low = (i * 7 + y * 3) & ((1 << (bits - 8)) - 1);
      const int v = (v8 << (bits - 8)) | low;
      const size_t o = (size_t(y) * samples + i) * 2;
      w.pixels[o] = uint8_t(v & 0xFF);
      w.pixels[o + 1] = uint8_t(v >> 8);
    }
  return w;
}

Picture Crop(const Picture& picture, int width, int height) {
  Picture c = picture;
  c.width = width;
  c.height = height;
  const int64_t row = c.RowBytes();
  c.pixels.assign(size_t(row) * height, 0);
  for (int y = 0; y < height; ++y)
    std::copy(picture.pixels.begin() + size_t(y) * picture.RowBytes(),
              picture.pixels.begin() + size_t(y) * picture.RowBytes() + row,
              c.pixels.begin() + size_t(y) * row);
  return c;
}

vuWifParams ParamsFor(const Picture& picture, int quality, bool fast, bool tiled, int levels) {
  vuWifParams p;
  p.width = picture.width;
  p.height = picture.height;
  p.quality = quality;
  p.levels = levels;
  p.colour = picture.colour;
  p.fastFilter = fast;
  p.sampleBytes = picture.sampleBytes;
  p.significantBits = picture.significantBits;
  p.tiled = tiled;
  p.tileWidth = tiled ? 256 : picture.width;
  p.tileHeight = tiled ? 256 : picture.height;
  return p;
}

std::vector<uint8_t> Encode(const Picture& picture, const vuWifParams& params) {
  std::vector<uint8_t> out;
  vuWifEncoder encoder(picture.pixels.data(), picture.RowBytes(), &out, params);
  EXPECT_EQ(encoder.EncodeAll(), 0);
  return out;
}

std::vector<uint8_t> Decode(const std::vector<uint8_t>& file, Picture* shape) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  if (decoder.Create(&source) != 0) return {};
  const vuWifParams& p = decoder.Params();
  const int64_t row = int64_t(p.width) * (p.colour ? 3 : 1) * p.sampleBytes;
  std::vector<uint8_t> out(size_t(row) * p.height, 0);
  decoder.BindWithStride(out.data(), row);
  decoder.DecodeAll();
  if (shape) {
    shape->width = p.width;
    shape->height = p.height;
    shape->colour = p.colour;
    shape->sampleBytes = p.sampleBytes;
    shape->significantBits = p.significantBits;
  }
  return out;
}

double PsnrOf(const Picture& a, const std::vector<uint8_t>& decoded) {
  Picture b = a;
  b.pixels = decoded;
  const int samples = a.colour ? 3 : 1;
  double se = 0;
  int64_t n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      for (int c = 0; c < samples; ++c, ++n) {
        const double d = a.Sample(x, y, c) - b.Sample(x, y, c);
        se += d * d;
      }
  if (se == 0) return INFINITY;
  const double peak = a.sampleBytes == 1 ? 255.0 : double((1 << a.significantBits) - 1);
  return 10 * std::log10(peak * peak / (se / double(n)));
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
