// The decoding of one tile: the coded arrays of each plane are decoded, scaled and put back
// through the inverse transforms into tile planes (Y, C1, C2 or grey).
#pragma once

#include <cstdint>
#include <memory>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuWifParams.h"

class vuWifTileDecoder {
public:
  virtual ~vuWifTileDecoder() = default;
  // Decodes one tile from the source into `planes` (tile width x tile height values per plane,
  // Y, C1, C2 for colour), leaving the source after the tile's last array.
  virtual void DecodeTile(vuWifByteSource* source, int32_t* planes) = 0;

  static std::unique_ptr<vuWifTileDecoder> Create(const vuWifParams& params);
};

// Bytes of work space a decoder for these parameters needs (to refuse absurd headers).
int64_t vuWifDecoderWorkBytes(const vuWifParams& params);
