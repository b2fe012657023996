#include "codec/wif2/vuWifTileWriter.h"

#include <algorithm>

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
  const int tw = tiling_.tileWidth;
  const int th = tiling_.tileHeight;
  const size_t planeSize = static_cast<size_t>(tw) * th;
  const int x0 = tiling_.X0(t);
  const int y0 = tiling_.Y0(t);
  const int n = std::min(params_.width - x0, tw);
  const int rows = std::min(params_.height - y0, th);
  const bool wide = params_.sampleBytes == 2;
  for (int r = 0; r < rows; ++r) {
    uint8_t* row = pixels_ + static_cast<int64_t>(y0 + r) * rowBytes_;
    const int32_t* y = planes + static_cast<size_t>(r) * tw;
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
      continue;
    }
    const int32_t* c1 = y + planeSize;
    const int32_t* c2 = c1 + planeSize;
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
      uint8_t* p = row + static_cast<int64_t>(x0) * 3;
      for (int x = 0; x < n; ++x, p += 3) {
        int32_t p0, p1, p2;
        vuWifInverseColour(y[x], c1[x], c2[x], &p0, &p1, &p2);
        p[0] = Clamp8(p0);
        p[1] = Clamp8(p1);
        p[2] = Clamp8(p2);
      }
    }
  }
}
