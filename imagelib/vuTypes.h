// Basic types of the image model: colours, pixel formats and the in-memory bitmap header.
#pragma once

#include <cstdint>

// One colour of a colour table: blue, green, red, reserved (the Windows RGBQUAD layout).
struct vuRGBA {
  uint8_t blue;
  uint8_t green;
  uint8_t red;
  uint8_t reserved;
};
static_assert(sizeof(vuRGBA) == 4);

// Pixel formats. The numbers are stored and exchanged, so they never change.
enum vuBMFormat : int32_t {
  BM_1BIT = 0,
  BM_24BIT = 1,
  BM_8BIT_COLOR = 3,
  BM_4BIT = 4,
  BM_32BIT = 5,
  BM_8BIT_GRAY = 10,
  BM_48BIT = 12,
  BM_16BIT_GRAY = 13,
  BM_16BIT_COLOR = 14,
};

// How the quantizer reduces a full-colour picture to a palette. The numbers are stored and
// exchanged, so they never change.
enum vuColorReduction : int32_t {
  CR_MEDIAN_CUT = 0,   // median cut on a 5-bit histogram with error diffusion
  CR_QUICK_DITHER = 1, // no reduction: the drawing layer dithers instead
  CR_BEST_QUANT = 2,   // median cut over the exact colours, no diffusion
  CR_FAST_QUANT = 3,   // fixed 3-3-2 table with error diffusion
};

// The 40-byte bitmap information header at the start of every bitmap block (little-endian fields).
#pragma pack(push, 1)
struct vuBitmapInfoHeader {
  uint32_t size; // always 40
  int32_t width;
  int32_t height;  // always positive: rows are stored bottom-up
  uint16_t planes; // always 1
  uint16_t bitCount;
  uint32_t compression; // 0, or 3 (bit fields) for BM_16BIT_COLOR
  uint32_t imageSize;   // always 0
  int32_t xResolution;  // always 1
  int32_t yResolution;  // always 1
  uint32_t colorsUsed;
  uint32_t colorsImportant;
};
#pragma pack(pop)
static_assert(sizeof(vuBitmapInfoHeader) == 40);

// Width and height of an image.
struct CSize {
  int cx;
  int cy;
};

// Limits of the data model: a row holds at most 32,767 bytes; we also refuse blocks past 1 GiB so
// that a hostile file can never make us allocate an absurd amount.
constexpr int kMaxRowBytes = 32767;
constexpr int64_t kMaxBitmapBlockBytes = int64_t(1) << 30;
