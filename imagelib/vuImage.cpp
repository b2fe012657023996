#include "imagelib/vuImage.h"

#include <cstdlib>
#include <new>
#include <vector>

void vuFreeBitmapBlock(void* block) {
  std::free(block);
}

vuImage::vuImage(const char* fileName) {
  LoadImage(fileName);
}

int vuImage::AllocateBitmap(int width, int height, int colors, vuBMFormat newFormat) {
  Delete();
  accessor = CreateBitmapAccessor(newFormat, this);
  if (!accessor) return 0;
  if (!accessor->Allocate(width, height, colors)) {
    header = nullptr;
    return 0;
  }
  return 1;
}

int vuImage::Create(int width, int height, int bitCount, int colors) {
  if (bitCount == 24)
    AllocateBitmap(width, height, 0, BM_24BIT);
  else if (bitCount == 8)
    AllocateBitmap(width, height, colors, BM_8BIT_GRAY);
  return 1;
}

void vuImage::Delete() {
  FreeBitmap();
  if (hPalette) vuPlatform().DeletePalette(hPalette);
  hPalette = nullptr;
  delete accessor;
  accessor = nullptr;
}

void vuImage::FreeBitmap() {
  vuFreeBitmapBlock(header);
  vuFreeBitmapBlock(altHeader);
  header = nullptr;
  palette = nullptr;
  bits = nullptr;
  altHeader = nullptr;
  altPalette = nullptr;
  altBits = nullptr;
}

int vuImage::IsGrayScale() const {
  switch (format) {
  case BM_8BIT_GRAY:
  case BM_16BIT_GRAY:
    return 1;
  case BM_8BIT_COLOR:
    for (uint32_t i = 0; i < header->colorsUsed; ++i) {
      if (palette[i].red != palette[i].green || palette[i].green != palette[i].blue) return 0;
    }
    return 1;
  default:
    return 0;
  }
}

int vuImage::TableEntries() const {
  return static_cast<int>((bits - reinterpret_cast<uint8_t*>(header) - 40) / 4);
}

int vuImage::IsColorMapSorted() const {
  return Depth() == 24 ? 0 : 1;
}

namespace {
int Clamp(int v, int low, int high) {
  return v < low ? low : (v > high ? high : v);
}
} // namespace

int vuImage::GetColor(int x, int y, uint8_t* gray) const {
  if (Depth() != 8) return -2;
  x = Clamp(x, 0, Width() - 1);
  y = Clamp(y, 0, Height() - 1);
  *gray = Row(y)[x];
  return 0;
}

int vuImage::GetColor(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const {
  if (Depth() != 24) return -2;
  x = Clamp(x, 0, Width() - 1);
  y = Clamp(y, 0, Height() - 1);
  const uint8_t* p = Row(y) + 3 * int64_t(x);
  *blue = p[0];
  *green = p[1];
  *red = p[2];
  return 0;
}

int vuImage::SetColor(int x, int y, uint8_t gray) {
  if (Depth() != 8) return -2;
  Row(y)[x] = gray;
  return 0;
}

int vuImage::SetColor(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
  if (Depth() != 24) return -2;
  uint8_t* p = Row(y) + 3 * int64_t(x);
  p[0] = blue;
  p[1] = green;
  p[2] = red;
  return 0;
}

void vuImage::InitializePos() {
  streamX = 0;
  streamY = Height() - 1;
}

void vuImage::AdvanceStream() {
  if (++streamX >= Width()) {
    streamX = 0;
    if (--streamY < 0) streamY = Height() - 1;
  }
}

int vuImage::StreamColor(uint8_t red, uint8_t green, uint8_t blue) {
  if (Depth() != 24) return -2;
  SetColor(streamX, streamY, red, green, blue);
  AdvanceStream();
  return 0;
}

int vuImage::StreamColor(uint8_t gray) {
  if (Depth() != 8) return -2;
  SetColor(streamX, streamY, gray);
  AdvanceStream();
  return 0;
}

int vuImage::CreateRGBPalette(int count, const vuRGBA* colors) {
  if (hPalette) vuPlatform().DeletePalette(hPalette);
  hPalette = nullptr;
  if (count < 0) return 0;
  std::vector<vuPaletteEntry> entries;
  try {
    entries.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    entries[i] = vuPaletteEntry{colors[i].red, colors[i].green, colors[i].blue, 0};
  }
  hPalette = vuPlatform().CreatePalette(0x300, count, entries.data());
  return hPalette ? 1 : 0;
}

void vuImage::TakeBlock(vuImage& temporary) {
  header = temporary.header;
  palette = temporary.palette;
  bits = temporary.bits;
  temporary.header = nullptr;
  temporary.palette = nullptr;
  temporary.bits = nullptr;
}

void vuImage::TakeOver(vuImage& temporary, vuBMFormat newFormat) {
  Delete();
  TakeBlock(temporary);
  format = newFormat;
  accessor = CreateBitmapAccessor(newFormat, this);
  temporary.Delete();
}

void vuImage::Adopt(vuImage& from) {
  if (&from != this) TakeOver(from, from.format);
}

void vuImage::TakeOverAlternate(vuImage& temporary) {
  vuFreeBitmapBlock(altHeader);
  altHeader = temporary.header;
  altPalette = temporary.palette;
  altBits = temporary.bits;
  temporary.header = nullptr;
  temporary.palette = nullptr;
  temporary.bits = nullptr;
}
