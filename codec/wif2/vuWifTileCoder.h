// The coding of one tile: its planes go through the transforms, the quantiser and the
// coefficient coder, in the file order C1, C2, Y (or the one grey plane).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/wif2/vuWifParams.h"
#include "codec/wif2/vuWifTransform.h"

// The planes of one tile, row by row: plane 0 is Y (or grey), 1 and 2 are C1 and C2.
class vuWifTileRows {
public:
  virtual ~vuWifTileRows() = default;
  // Row r of the plane, tile width values.
  virtual void Row(int plane, int r, int32_t* out) const = 0;
};

class vuWifTileCoder {
public:
  virtual ~vuWifTileCoder() = default;
  // Codes one tile whose planes the source gives row by row; the coded arrays are appended to
  // `out`.
  virtual void CodeTile(const vuWifTileRows& source, std::vector<uint8_t>* out) = 0;
  // The same from planes in memory: tile width x tile height values per plane, in the order Y,
  // C1, C2 for colour.
  void CodeTile(const int32_t* planes, std::vector<uint8_t>* out);

  // A coder for the parameters (levels already chosen, 1..7), with its work space.
  static std::unique_ptr<vuWifTileCoder> Create(const vuWifParams& params);

protected:
  vuWifTileCoder(int tileWidth, int tileHeight) : tileWidth_(tileWidth), tileHeight_(tileHeight) {}
  int tileWidth_;
  int tileHeight_;
};
