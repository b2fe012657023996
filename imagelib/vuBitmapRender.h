// Rendering a bitmap into a 32-bit pixel buffer the way a device shows it: the one place that
// reads device-independent bitmaps for the display, shared by every drawing target (the software
// target, and the programs' own targets, which render and then blit).
//
// Contract: the bitmap, the rectangles and the palette screen follow vuDrawing.h. Pixels are
// written as 0xFFRRGGBB; only buffer pixels inside the destination rectangle whose source pixel
// lies inside the bitmap are written. Returns false, writing nothing, when the bitmap cannot be
// drawn (bit count, compression or size it cannot take), a rectangle is empty, or a rectangle is
// absurdly large (a side over 2^28).
#pragma once

#include <cstdint>

#include "imagelib/vuDrawing.h"

// A caller's pixel buffer: `stride` pixels from one row to the next, top row first.
struct vuPixelBuffer {
  uint32_t* pixels;
  int width;
  int height;
  int stride;
};

// Draws the source rectangle stretched into the destination rectangle of the buffer. A palette
// screen passes its system palette; null shows every colour as it is.
bool vuRenderBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors, const uint8_t* rows,
                    const vuDrawRect& source, const vuDrawRect& destination,
                    const vuSystemPalette* screenPalette, const vuPixelBuffer& target);

// 0xFFRRGGBB of a colour.
inline uint32_t vuPackPixel(uint8_t red, uint8_t green, uint8_t blue) {
  return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
}
