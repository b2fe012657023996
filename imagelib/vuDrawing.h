// Drawing bitmaps on a device: the device-context interface that every drawing target implements,
// the drawing handle (our DrawDib: open, draw, set palette, realise, close) and the simulated
// palette screen (a 256-entry system palette and the fixed colour cube that true-colour pictures
// are dithered to).
//
// Contracts:
// - A bitmap is handed over as the image model keeps it: the 40-byte header, the colour table and
//   the rows, bottom row first, each padded to a multiple of 4 bytes. Drawable bit counts are 1, 4
//   and 8 (through the colour table), 16 (5-5-5), 24 and 32 (blue, green, red[, unused]); other bit
//   counts draw nothing. A pixel whose index lies past the colour table's `colorsUsed` entries (or
//   past 2^bitCount) is drawn black.
// - Source rectangles are in pixels of the bitmap with y counted from the top line of the picture,
//   as the window shows it; destination rectangles are in device units. The source is stretched
//   into the destination (nearest pixel); parts of the source rectangle that lie outside the bitmap
//   leave the device untouched, so a view larger than its zoomed picture shows its background.
// - Screens of 8 bits per pixel or fewer are palette screens: every colour is shown as the nearest
//   entry of the system palette, and true-colour pixels (16, 24, 32 bits) are first dithered to the
//   colour cube. Deeper screens and printers show every colour as it is.
// - Realising a palette only matters on a palette screen: in the foreground its entries are loaded
//   into the system palette from entry 0 on and the number of entries that changed is returned; in
//   the background nothing changes and 0 is returned. On a deeper screen realising returns 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imagelib/vuTypes.h"

// One entry of a logical palette.
struct vuPaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
};

// A logical palette as the display realises it.
struct vuLogicalPalette {
  uint16_t version = 0x300;
  std::vector<vuPaletteEntry> entries;
};
using vuPaletteHandle = vuLogicalPalette*;

// Drawing flags. The programs pass the background-palette flag: draw with whatever the system
// palette holds, never realise a palette of one's own while drawing.
constexpr int VU_DDF_BACKGROUNDPAL = 512;

// A rectangle by its origin and size.
struct vuDrawRect {
  int x;
  int y;
  int width;
  int height;
};

// The fixed colour cube true-colour pictures are dithered to on a palette screen: 8 levels of red,
// 8 of green and 4 of blue, entry (r << 5) | (g << 2) | b. It fills the 256 entries exactly and is
// also what the system palette holds before any palette was realised.
constexpr int kColorCubeEntries = 256;
vuPaletteEntry vuColorCubeEntry(int index);
// The cube entry an ordered dither picks for a colour at a pixel position (any integers: the
// pattern repeats every 4 pixels).
int vuDitherToColorCube(uint8_t red, uint8_t green, uint8_t blue, int x, int y);
// The cube as a logical palette.
vuLogicalPalette vuColorCubePalette();

// The system palette of the simulated palette screen.
class vuSystemPalette {
public:
  static constexpr int kEntries = 256;
  vuSystemPalette() { Reset(); }
  // Back to the colour cube.
  void Reset();
  // Loads the palette's entries in the foreground (see above) and returns how many changed; the
  // background changes nothing and returns 0.
  int Realize(const vuLogicalPalette& palette, bool background);
  const vuPaletteEntry& Entry(int index) const { return entries_[index]; }
  // The entry closest to a colour (squared distance; the lowest index among equals).
  int Nearest(uint8_t red, uint8_t green, uint8_t blue) const;

private:
  std::array<vuPaletteEntry, kEntries> entries_;
};

// What a bitmap is drawn on: a window, a printer page or a software buffer. Width and height are
// the drawable area in device units; BitsPerPixel is the device's colour depth (a window has the
// screen's).
class vuDeviceContext {
public:
  virtual ~vuDeviceContext() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int BitsPerPixel() const = 0;

  // Draws the source rectangle of the bitmap stretched into the destination rectangle. `colors`
  // is the colour table (may be null when the bit count needs none), `rows` the bottom row.
  // Returns false, drawing nothing, when the bitmap cannot be drawn or a rectangle is empty.
  virtual bool DrawBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors,
                          const uint8_t* rows, const vuDrawRect& source,
                          const vuDrawRect& destination, int flags) = 0;

  // Printing. Windows refuse all of these (StartDoc answers <= 0); printers give a document of
  // pages: StartDoc returns a positive job number, the others a positive value on success.
  virtual int SetStretchBltMode(int mode) {
    (void)mode;
    return 0;
  }
  virtual int StartDoc(const char* documentName) {
    (void)documentName;
    return -1;
  }
  virtual int StartPage() { return -1; }
  virtual int EndPage() { return -1; }
  virtual int EndDoc() { return -1; }
};

// Stretch mode for printing: black-on-white (ANDs the pixels that a shrink drops).
constexpr int VU_STRETCH_BLACKONWHITE = 1;

// The drawing handle. The palette handed over with vuDrawDibSetPalette is copied, so the image may
// rebuild or drop its own palette handle at any time.
struct vuDrawDib {
  bool hasPalette = false;
  vuLogicalPalette palette;
};

// A new handle (null when memory runs out). vuDrawDibClose releases it (null is allowed).
vuDrawDib* vuDrawDibOpen();
bool vuDrawDibClose(vuDrawDib* handle);
// Draws with the bitmap's header, colour table and rows; false when nothing could be drawn.
bool vuDrawDibDraw(vuDrawDib* handle, vuDeviceContext* dc, const vuDrawRect& destination,
                   const vuBitmapInfoHeader* header, const vuRGBA* colors, const uint8_t* rows,
                   const vuDrawRect& source, int flags);
// The palette used for drawing palette pictures on a palette screen; null drops it.
bool vuDrawDibSetPalette(vuDrawDib* handle, vuPaletteHandle palette);
// Realises the handle's palette (the colour cube when none was set) on the device in the
// foreground or background; returns the number of system-palette entries that changed.
int vuDrawDibRealize(vuDrawDib* handle, vuDeviceContext* dc, bool background);
