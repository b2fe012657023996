// Moves the decoded planes of one tile into a pixel buffer (decoder side), clamping the samples.
#pragma once

#include <cstdint>

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifParams.h"

class vuWifTileWriter {
public:
  vuWifTileWriter(uint8_t* pixels, int64_t rowBytes, const vuWifParams& params);
  void WriteTile(int t, const int32_t* planes) const;

private:
  uint8_t* pixels_;
  int64_t rowBytes_;
  vuWifParams params_;
  vuWifTiling tiling_;
};
