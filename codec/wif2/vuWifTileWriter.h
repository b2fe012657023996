// Moves the decoded planes of one tile into a pixel buffer (decoder side), clamping the samples.
#pragma once

#include <cstdint>

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifParams.h"

class vuWifTileWriter {
public:
  vuWifTileWriter(uint8_t* pixels, int64_t rowBytes, const vuWifParams& params);
  // Writes tile t from its planes (Y or grey, then C1 and C2 for colour).
  void WriteTile(int t, const int32_t* planes) const;
  // Writes row r of tile t (nothing when it lies below the image): `y` holds the tile row's luma
  // or grey values, c1 and c2 its chroma (colour only).
  void WriteRow(int t, int r, const int32_t* y, const int32_t* c1, const int32_t* c2) const;

private:
  uint8_t* pixels_;
  int64_t rowBytes_;
  vuWifParams params_;
  vuWifTiling tiling_;
};
