// Per-format pixel accessors: the one place that knows how each pixel format lies in memory.
// Pixels are exchanged as a record of up to four unsigned 16-bit values (callers provide four);
// colour order in a record is red, green, blue (and a fourth value for 32-bit pixels), except for
// PutRow, whose row holds the samples in memory order (blue, green, red for the colour formats).
#pragma once

#include <cstdint>

#include "imagelib/vuTypes.h"

class vuImage;

class BitmapAccessor {
public:
  BitmapAccessor(vuImage* owner, int samples, int bitsPerSample)
      : owner(owner), samples(samples), bitsPerSample(bitsPerSample) {}

  // Complements the pixel (colour-table formats complement the table instead).
  virtual void InvertPixel(int x, int y);
  // The pixel's grey level, 0..255, in out[0].
  virtual void GetGray(int x, int y, uint16_t* out);
  // Writes row y from width x samples values.
  virtual void PutRow(int y, const uint16_t* row) = 0;
  // The stored samples: index, grey level or channels (red, green, blue[, fourth]).
  virtual void GetRaw(int x, int y, uint16_t* out) = 0;
  // Red, green, blue.
  virtual void GetRGB(int x, int y, uint16_t* out) = 0;
  // Stores the samples.
  virtual void SetRaw(int x, int y, const uint16_t* in) = 0;
  // Allocates the owner's bitmap block, fills header and colour table and sets the owner's
  // header, palette, bits and format. Returns 1, or 0 (owner's header null) when it cannot.
  virtual int Allocate(int width, int height, int colors) = 0;
  virtual ~BitmapAccessor() = default;

  // Bytes of one row as stored: the row's byte count, taken as a signed 16-bit value, rounded
  // up to a multiple of 4.
  static int Stride(int width, int bitCount);
  // The row's byte count before padding, in 64 bits (to check it against the data model).
  static int64_t RowBytes(int64_t width, int bitCount);
  // True when a picture of this size and depth fits the data model: its rows within the row
  // limit and its block, with a full 256-entry colour table, within the block limit. Readers ask
  // before they decode, so that a file past the limits is refused as bad data, not as no memory.
  static bool FitsModel(int64_t width, int64_t height, int bitCount);

  vuImage* owner;
  int samples;
  int bitsPerSample;

protected:
  uint8_t* Row(int y) const;
  int Width() const;
  // Shared allocation: the block with `tableEntries` colour-table slots, `colorsUsed` in the
  // header.
  int AllocateBlock(int width, int height, int colorsUsed, int tableEntries, vuBMFormat format,
                    uint32_t compression);
};

// The accessor for a format, or null for values that are no pixel format.
BitmapAccessor* CreateBitmapAccessor(vuBMFormat format, vuImage* owner);
