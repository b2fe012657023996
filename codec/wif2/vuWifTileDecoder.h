// The decoding of one tile: the coded arrays of each plane are decoded, scaled and put back
// through the inverse transforms into tile planes (Y, C1, C2 or grey).
#pragma once

#include <cstdint>
#include <memory>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuWifParams.h"
#include "codec/wif2/vuWifTransform.h"

// Receives the decoded rows of a tile: luma (or grey) and, for colour, the two chroma rows.
class vuWifTileRowSink {
public:
  virtual ~vuWifTileRowSink() = default;
  virtual void Row(int y, const int32_t* luma, const int32_t* c1, const int32_t* c2) = 0;
};

class vuWifTileDecoder {
public:
  virtual ~vuWifTileDecoder() = default;
  // Decodes one tile from the source, leaving it after the tile's last array. The rows go to
  // `rows` from row 0 up as the inverse transform produces them (the chroma of a colour tile is
  // kept whole inside the decoder, since it comes first in the file).
  virtual void DecodeTile(vuWifByteSource* source, vuWifTileRowSink& rows) = 0;
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
