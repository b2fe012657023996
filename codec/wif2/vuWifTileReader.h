// Moves the pixels of one tile out of a pixel buffer into the coder's planes (encoder side).
#pragma once

#include <cstdint>

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifParams.h"

// Bytes of one buffer row for the parameters: DWORD-aligned 8-bit rows when `aligned`, packed
// rows otherwise; 16-bit rows are always packed.
int64_t vuWifRowBytes(const vuWifParams& params, bool aligned);

class vuWifTileReader {
public:
  vuWifTileReader(const uint8_t* pixels, int64_t rowBytes, const vuWifParams& params);
  // Fills the planes of tile t (grey, or Y, C1, C2), each tile width x tile height values; the
  // parts of a partial tile outside the image are 0.
  void ReadTile(int t, int32_t* planes) const;
  const vuWifTiling& Tiling() const { return tiling_; }

private:
  const uint8_t* pixels_;
  int64_t rowBytes_;
  vuWifParams params_;
  vuWifTiling tiling_;
};
