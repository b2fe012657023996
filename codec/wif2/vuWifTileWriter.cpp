#include "codec/wif2/vuWifTileWriter.h"

#include <algorithm>

#include "codec/wif2/dsp/vuWifDsp.h"
#include "codec/wif2/vuWifQuantize.h"

namespace {
inline uint8_t Clamp8(int32_t v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}
inline void Put16(uint8_t* p, int32_t v) {
  const int32_t c = v < 0 ? 0 : v > 65535 ? 65535 : v;
  p[0] = static_cast<uint8_t>(c & 0xFF);
  p[1] = static_cast<uint8_t>(c >> 8);
}
} // namespace

vuWifTileWriter::vuWifTileWriter(uint8_t* pixels, int64_t rowBytes, const vuWifParams& params)
    : pixels_(pixels), rowBytes_(rowBytes), params_(params), tiling_(vuWifMakeTiling(params)) {}

void vuWifTileWriter::WriteTile(int t, const int32_t* planes) const {
  const size_t planeSize = static_cast<size_t>(tiling_.tileWidth) * tiling_.tileHeight;
  for (int r = 0; r < tiling_.tileHeight; ++r) {
    const size_t offset = static_cast<size_t>(r) * tiling_.tileWidth;
    WriteRow(t, r, planes + offset, planes + planeSize + offset, planes + 2 * planeSize + offset);
  }
}

void vuWifTileWriter::WriteRow(int t, int r, const int32_t* y, const int32_t* c1,
                               const int32_t* c2) const {
  const int x0 = tiling_.X0(t);
  const int y0 = tiling_.Y0(t);
  if (y0 + r >= params_.height) return;
  const int n = std::min(params_.width - x0, tiling_.tileWidth);
  const bool wide = params_.sampleBytes == 2;
  uint8_t* row = pixels_ + static_cast<int64_t>(y0 + r) * rowBytes_;
  if (!params_.colour) {
    if (wide) {
      uint8_t* p = row + static_cast<int64_t>(x0) * 2;
      for (int x = 0; x < n; ++x)
        Put16(p + 2 * x, y[x]);
    } else {
      uint8_t* p = row + x0;
      for (int x = 0; x < n; ++x)
        p[x] = Clamp8(y[x]);
    }
    return;
  }
  if (wide) {
    uint8_t* p = row + static_cast<int64_t>(x0) * 6;
    for (int x = 0; x < n; ++x, p += 6) {
      int32_t p0, p1, p2;
      vuWifInverseColour(y[x], c1[x], c2[x], &p0, &p1, &p2);
      Put16(p, p0);
      Put16(p + 2, p1);
      Put16(p + 4, p2);
    }
  } else {
    vuWifDspBest().inverseColour(y, c1, c2, n, row + static_cast<int64_t>(x0) * 3);
  }
}
