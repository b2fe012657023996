// The decoding of one tile: the coded arrays of each plane are decoded, scaled and put back
// through the inverse transforms into tile planes (Y, C1, C2 or grey).
#pragma once

#include <cstdint>
#include <memory>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuWifParams.h"
#include "codec/wif2/vuWifTransform.h"

class vuWifTileDecoder {
public:
  virtual ~vuWifTileDecoder() = default;
  // Decodes one tile from the source, leaving it after the tile's last array: a colour tile's
  // chroma into `chroma` (C1 then C2, tile width x tile height values each), then the luma (or
  // grey) rows into `luma` as they come out of the inverse transform.
  virtual void DecodeTile(vuWifByteSource* source, int32_t* chroma, vuWifRowSink& luma) = 0;
  // The same into whole planes: Y (or grey), then C1 and C2 for colour.
  void DecodeTile(vuWifByteSource* source, int32_t* planes);

  static std::unique_ptr<vuWifTileDecoder> Create(const vuWifParams& params);

protected:
  vuWifTileDecoder(int tileWidth, int tileHeight)
      : tileWidth_(tileWidth), tileHeight_(tileHeight) {}
  int tileWidth_;
  int tileHeight_;
};

// Bytes of work space a decoder for these parameters needs (to refuse absurd headers).
int64_t vuWifDecoderWorkBytes(const vuWifParams& params);
