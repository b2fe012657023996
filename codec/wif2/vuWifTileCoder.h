// The coding of one tile: its planes go through the transforms, the quantiser and the
// coefficient coder, in the file order C1, C2, Y (or the one grey plane).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/wif2/vuWifParams.h"

class vuWifTileCoder {
public:
  virtual ~vuWifTileCoder() = default;
  // Codes one tile. `planes`: tile width x tile height values per plane, in the order Y, C1, C2
  // for colour. The coded arrays are appended to `out`.
  virtual void CodeTile(const int32_t* planes, std::vector<uint8_t>* out) = 0;

  // A coder for the parameters (levels already chosen, 1..7), with its work space.
  static std::unique_ptr<vuWifTileCoder> Create(const vuWifParams& params);
};
