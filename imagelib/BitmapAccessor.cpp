#include "imagelib/BitmapAccessor.h"

#include <cstdlib>
#include <cstring>

#include "imagelib/vuImage.h"
#include "imagelib/vuMemory.h"

int64_t BitmapAccessor::RowBytes(int64_t width, int bitCount) {
  return (width * bitCount + 7) / 8;
}

bool BitmapAccessor::FitsModel(int64_t width, int64_t height, int bitCount) {
  if (width < 1 || height < 1 || RowBytes(width, bitCount) > kMaxRowBytes) return false;
  int64_t stride = Stride(static_cast<int>(width), bitCount);
  return 40 + 4 * 256 + stride * (height + 1) <= kMaxBitmapBlockBytes;
}

int BitmapAccessor::Stride(int width, int bitCount) {
  // The row byte count is kept as a signed 16-bit value; AllocateBitmap refuses rows that do not
  // fit, so this never wraps for an allocated image.
  int16_t rowBytes = static_cast<int16_t>(RowBytes(width, bitCount));
  return ((rowBytes + 3) / 4) * 4;
}

uint8_t* BitmapAccessor::Row(int y) const {
  return owner->Row(y);
}
int BitmapAccessor::Width() const {
  return owner->header->width;
}

void BitmapAccessor::InvertPixel(int x, int y) {
  uint8_t* p = Row(y) + static_cast<int64_t>(x) * samples;
  for (int k = 0; k < samples; ++k)
    p[k] = static_cast<uint8_t>(~p[k]);
}

void BitmapAccessor::GetGray(int x, int y, uint16_t* out) {
  out[0] = Row(y)[x];
}

int BitmapAccessor::AllocateBlock(int width, int height, int colorsUsed, int tableEntries,
                                  vuBMFormat format, uint32_t compression) {
  owner->header = nullptr;
  owner->palette = nullptr;
  owner->bits = nullptr;
  int bitCount = samples * bitsPerSample;
  if (width < 1 || height < 1 || colorsUsed < 0 || tableEntries < 0 || tableEntries > 256) return 0;
  if (RowBytes(width, bitCount) > kMaxRowBytes) return 0;
  int64_t stride = Stride(width, bitCount);
  int64_t size = 40 + 4 * int64_t(tableEntries) + stride * (int64_t(height) + 1);
  if (size > kMaxBitmapBlockBytes) return 0;
  // Cleared so that nothing stale ever reaches a file or the screen.
  auto* block = static_cast<uint8_t*>(vuAllocateBlock(static_cast<size_t>(size), true));
  if (!block) return 0;
  auto* header = reinterpret_cast<vuBitmapInfoHeader*>(block);
  header->size = 40;
  header->width = width;
  header->height = height;
  header->planes = 1;
  header->bitCount = static_cast<uint16_t>(bitCount);
  header->compression = compression;
  header->imageSize = 0;
  header->xResolution = 1;
  header->yResolution = 1;
  header->colorsUsed = static_cast<uint32_t>(colorsUsed);
  header->colorsImportant = static_cast<uint32_t>(colorsUsed);
  owner->header = header;
  owner->palette = reinterpret_cast<vuRGBA*>(block + 40);
  owner->bits = block + 40 + 4 * int64_t(tableEntries);
  owner->format = format;
  return 1;
}

namespace {

inline uint16_t Load16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void FillGreyRamp(vuRGBA* table, int count) {
  for (int i = 0; i < count; ++i) {
    uint8_t v = static_cast<uint8_t>(i);
    table[i] = vuRGBA{v, v, v, 0};
  }
}

class Accessor1Bit : public BitmapAccessor {
public:
  explicit Accessor1Bit(vuImage* owner) : BitmapAccessor(owner, 1, 1) {}
  void InvertPixel(int x, int y) override { Row(y)[x / 8] ^= Mask(x); }
  void GetGray(int x, int y, uint16_t* out) override { out[0] = Bit(x, y) ? 0 : 255; }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width(); ++x) {
      if (row[x])
        p[x / 8] |= Mask(x);
      else
        p[x / 8] &= static_cast<uint8_t>(~Mask(x));
    }
  }
  void GetRaw(int x, int y, uint16_t* out) override { out[0] = Bit(x, y) ? 1 : 0; }
  void GetRGB(int x, int y, uint16_t* out) override {
    uint16_t v = Bit(x, y) ? 0 : 255;
    out[0] = out[1] = out[2] = v;
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    if (in[0])
      Row(y)[x / 8] |= Mask(x);
    else
      Row(y)[x / 8] &= static_cast<uint8_t>(~Mask(x));
  }
  int Allocate(int width, int height, int colors) override {
    (void)colors;
    if (!AllocateBlock(width, height, 2, 2, BM_1BIT, 0)) return 0;
    owner->palette[0] = vuRGBA{255, 255, 255, 0};
    owner->palette[1] = vuRGBA{0, 0, 0, 0};
    return 1;
  }

private:
  static uint8_t Mask(int x) { return static_cast<uint8_t>(0x80 >> (x % 8)); }
  bool Bit(int x, int y) const { return (Row(y)[x / 8] & Mask(x)) != 0; }
};

// 24- and 32-bit colour: bytes blue, green, red[, fourth].
class AccessorColor8 : public BitmapAccessor {
public:
  AccessorColor8(vuImage* owner, int samples, vuBMFormat format)
      : BitmapAccessor(owner, samples, 8), format_(format) {}
  void GetGray(int x, int y, uint16_t* out) override { out[0] = Pixel(x, y)[1]; }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    int64_t n = int64_t(Width()) * samples;
    for (int64_t i = 0; i < n; ++i)
      p[i] = static_cast<uint8_t>(row[i]);
  }
  void GetRaw(int x, int y, uint16_t* out) override {
    const uint8_t* p = Pixel(x, y);
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
    if (samples == 4) out[3] = p[3];
  }
  void GetRGB(int x, int y, uint16_t* out) override {
    const uint8_t* p = Pixel(x, y);
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    uint8_t* p = Pixel(x, y);
    p[2] = static_cast<uint8_t>(in[0]);
    p[1] = static_cast<uint8_t>(in[1]);
    p[0] = static_cast<uint8_t>(in[2]);
    if (samples == 4) p[3] = static_cast<uint8_t>(in[3]);
  }
  int Allocate(int width, int height, int colors) override {
    // 24-bit images store no colour count; 32-bit ones store it but get no table.
    return AllocateBlock(width, height, samples == 3 ? 0 : colors, 0, format_, 0);
  }

private:
  uint8_t* Pixel(int x, int y) const { return Row(y) + int64_t(x) * samples; }
  vuBMFormat format_;
};

// 8-bit colour-table formats: palette colour and grey.
class Accessor8Bit : public BitmapAccessor {
public:
  Accessor8Bit(vuImage* owner, vuBMFormat format) : BitmapAccessor(owner, 1, 8), format_(format) {}
  void InvertPixel(int x, int y) override {
    if (format_ == BM_8BIT_GRAY) {
      BitmapAccessor::InvertPixel(x, y);
      return;
    }
    vuRGBA* table = owner->palette;
    for (uint32_t i = 0; i < owner->header->colorsUsed; ++i) {
      table[i].blue = static_cast<uint8_t>(~table[i].blue);
      table[i].green = static_cast<uint8_t>(~table[i].green);
      table[i].red = static_cast<uint8_t>(~table[i].red);
    }
  }
  void GetGray(int x, int y, uint16_t* out) override {
    uint8_t v = Row(y)[x];
    out[0] = format_ == BM_8BIT_GRAY ? v : Entry(v).green;
  }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width(); ++x)
      p[x] = static_cast<uint8_t>(row[x]);
  }
  void GetRaw(int x, int y, uint16_t* out) override { out[0] = Row(y)[x]; }
  void GetRGB(int x, int y, uint16_t* out) override {
    vuRGBA c = Entry(Row(y)[x]);
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    Row(y)[x] = static_cast<uint8_t>(in[0]);
  }
  int Allocate(int width, int height, int colors) override {
    if (!AllocateBlock(width, height, colors, colors, format_, 0)) return 0;
    FillGreyRamp(owner->palette, colors);
    return 1;
  }

private:
  // An index past the table would read outside it: grey images show the index as its grey
  // level, palette images show black.
  vuRGBA Entry(uint8_t index) const {
    if (index < owner->header->colorsUsed) return owner->palette[index];
    uint8_t v = format_ == BM_8BIT_GRAY ? index : 0;
    return vuRGBA{v, v, v, 0};
  }
  vuBMFormat format_;
};

class Accessor4Bit : public BitmapAccessor {
public:
  explicit Accessor4Bit(vuImage* owner) : BitmapAccessor(owner, 1, 4) {}
  void InvertPixel(int x, int y) override {
    (void)x;
    (void)y;
    auto* table = reinterpret_cast<uint8_t*>(owner->palette);
    for (uint32_t i = 0; i < 4 * owner->header->colorsUsed; ++i) {
      table[i] = static_cast<uint8_t>(~table[i]);
    }
  }
  void GetGray(int x, int y, uint16_t* out) override { out[0] = Entry(Nibble(x, y)).green; }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    int width = Width();
    for (int i = 0; 2 * i < width; ++i) {
      uint8_t high = static_cast<uint8_t>(row[2 * i] << 4);
      uint8_t low = 2 * i + 1 < width ? static_cast<uint8_t>(row[2 * i + 1] & 15) : 0;
      p[i] = static_cast<uint8_t>(high | low);
    }
  }
  void GetRaw(int x, int y, uint16_t* out) override { out[0] = Nibble(x, y); }
  void GetRGB(int x, int y, uint16_t* out) override {
    vuRGBA c = Entry(Nibble(x, y));
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    uint8_t& b = Row(y)[x / 2];
    uint8_t v = static_cast<uint8_t>(in[0] & 15);
    if (x % 2 == 0)
      b = static_cast<uint8_t>((b & 0x0F) | (v << 4));
    else
      b = static_cast<uint8_t>((b & 0xF0) | v);
  }
  int Allocate(int width, int height, int colors) override {
    if (!AllocateBlock(width, height, colors, colors, BM_4BIT, 0)) return 0;
    FillGreyRamp(owner->palette, colors);
    return 1;
  }

private:
  vuRGBA Entry(uint8_t index) const {
    return index < owner->header->colorsUsed ? owner->palette[index] : vuRGBA{0, 0, 0, 0};
  }
  uint8_t Nibble(int x, int y) const {
    uint8_t b = Row(y)[x / 2];
    return x % 2 == 0 ? static_cast<uint8_t>(b >> 4) : static_cast<uint8_t>(b & 15);
  }
};

class Accessor48Bit : public BitmapAccessor {
public:
  explicit Accessor48Bit(vuImage* owner) : BitmapAccessor(owner, 3, 16) {}
  void InvertPixel(int x, int y) override {
    uint8_t* p = Pixel(x, y);
    for (int k = 0; k < 6; ++k)
      p[k] = static_cast<uint8_t>(~p[k]);
  }
  void GetGray(int x, int y, uint16_t* out) override { out[0] = Load16(Pixel(x, y) + 2) >> 8; }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    int64_t n = int64_t(Width()) * 3;
    for (int64_t i = 0; i < n; ++i)
      Store16(p + 2 * i, row[i]);
  }
  void GetRaw(int x, int y, uint16_t* out) override {
    const uint8_t* p = Pixel(x, y);
    out[0] = Load16(p + 4);
    out[1] = Load16(p + 2);
    out[2] = Load16(p);
  }
  void GetRGB(int x, int y, uint16_t* out) override {
    GetRaw(x, y, out);
    for (int k = 0; k < 3; ++k)
      out[k] = static_cast<uint16_t>(out[k] >> 8);
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    uint8_t* p = Pixel(x, y);
    Store16(p + 4, in[0]);
    Store16(p + 2, in[1]);
    Store16(p, in[2]);
  }
  int Allocate(int width, int height, int colors) override {
    return AllocateBlock(width, height, colors, 0, BM_48BIT, 0);
  }

private:
  uint8_t* Pixel(int x, int y) const { return Row(y) + int64_t(x) * 6; }
};

class Accessor16BitGray : public BitmapAccessor {
public:
  explicit Accessor16BitGray(vuImage* owner) : BitmapAccessor(owner, 1, 16) {}
  void InvertPixel(int, int) override {}
  void GetGray(int x, int y, uint16_t* out) override { out[0] = Load16(Pixel(x, y)) >> 8; }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width(); ++x)
      Store16(p + 2 * x, row[x]);
  }
  void GetRaw(int x, int y, uint16_t* out) override { out[0] = Load16(Pixel(x, y)); }
  void GetRGB(int x, int y, uint16_t* out) override {
    out[0] = out[1] = out[2] = Load16(Pixel(x, y));
  }
  void SetRaw(int x, int y, const uint16_t* in) override { Store16(Pixel(x, y), in[0]); }
  int Allocate(int width, int height, int colors) override {
    (void)colors;
    return AllocateBlock(width, height, 0, 0, BM_16BIT_GRAY, 0);
  }

private:
  uint8_t* Pixel(int x, int y) const { return Row(y) + int64_t(x) * 2; }
};

// 16-bit 5-5-5 colour: red in bits 10..14, green in 5..9, blue in 0..4 (the layout the header's
// bit-field compression implies by default). The pixel record carries the three 5-bit channels;
// PutRow takes the packed 16-bit values as they lie in memory.
class Accessor16BitColor : public BitmapAccessor {
public:
  explicit Accessor16BitColor(vuImage* owner) : BitmapAccessor(owner, 1, 16) {}
  void InvertPixel(int, int) override {}
  void GetGray(int x, int y, uint16_t* out) override {
    out[0] = Expand((Load16(Pixel(x, y)) >> 5) & 31);
  }
  void PutRow(int y, const uint16_t* row) override {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width(); ++x)
      Store16(p + 2 * x, row[x] & 0x7FFF);
  }
  void GetRaw(int x, int y, uint16_t* out) override {
    uint16_t v = Load16(Pixel(x, y));
    out[0] = (v >> 10) & 31;
    out[1] = (v >> 5) & 31;
    out[2] = v & 31;
  }
  void GetRGB(int x, int y, uint16_t* out) override {
    GetRaw(x, y, out);
    for (int k = 0; k < 3; ++k)
      out[k] = Expand(out[k]);
  }
  void SetRaw(int x, int y, const uint16_t* in) override {
    Store16(Pixel(x, y),
            static_cast<uint16_t>(((in[0] & 31) << 10) | ((in[1] & 31) << 5) | (in[2] & 31)));
  }
  int Allocate(int width, int height, int colors) override {
    (void)colors;
    return AllocateBlock(width, height, 0, 0, BM_16BIT_COLOR, 3);
  }

private:
  static uint16_t Expand(unsigned v) { return static_cast<uint16_t>((v << 3) | (v >> 2)); }
  uint8_t* Pixel(int x, int y) const { return Row(y) + int64_t(x) * 2; }
};

} // namespace

BitmapAccessor* CreateBitmapAccessor(vuBMFormat format, vuImage* owner) {
  switch (format) {
  case BM_1BIT:
    return new Accessor1Bit(owner);
  case BM_24BIT:
    return new AccessorColor8(owner, 3, BM_24BIT);
  case BM_8BIT_COLOR:
    return new Accessor8Bit(owner, BM_8BIT_COLOR);
  case BM_4BIT:
    return new Accessor4Bit(owner);
  case BM_32BIT:
    return new AccessorColor8(owner, 4, BM_32BIT);
  case BM_8BIT_GRAY:
    return new Accessor8Bit(owner, BM_8BIT_GRAY);
  case BM_48BIT:
    return new Accessor48Bit(owner);
  case BM_16BIT_GRAY:
    return new Accessor16BitGray(owner);
  case BM_16BIT_COLOR:
    return new Accessor16BitColor(owner);
  }
  return nullptr;
}
