#include "codec/wif2/vuWifTileReader.h"

#include <algorithm>

#include "codec/wif2/vuWifQuantize.h"

int64_t vuWifRowBytes(const vuWifParams& params, bool aligned) {
  const int64_t samples = static_cast<int64_t>(params.width) * (params.colour ? 3 : 1);
  if (params.sampleBytes == 2) return samples * 2;
  return aligned ? (samples + 3) / 4 * 4 : samples;
}

vuWifTileReader::vuWifTileReader(const uint8_t* pixels, int64_t rowBytes, const vuWifParams& params)
    : pixels_(pixels), rowBytes_(rowBytes), params_(params), tiling_(vuWifMakeTiling(params)) {}

void vuWifTileReader::ReadTile(int t, int32_t* planes) const {
  const int tw = tiling_.tileWidth;
  const int th = tiling_.tileHeight;
  const size_t planeSize = static_cast<size_t>(tw) * th;
  const int x0 = tiling_.X0(t);
  const int y0 = tiling_.Y0(t);
  const int n = std::min(params_.width - x0, tw);
  const int rows = std::min(params_.height - y0, th);
  const bool wide = params_.sampleBytes == 2;
  if (n < tw || rows < th) std::fill(planes, planes + planeSize * (params_.colour ? 3 : 1), 0);
  for (int r = 0; r < rows; ++r) {
    const uint8_t* row = pixels_ + static_cast<int64_t>(y0 + r) * rowBytes_;
    int32_t* y = planes + static_cast<size_t>(r) * tw;
    if (!params_.colour) {
      if (wide) {
        const uint8_t* p = row + static_cast<int64_t>(x0) * 2;
        for (int x = 0; x < n; ++x)
          y[x] = p[2 * x] | (p[2 * x + 1] << 8);
      } else {
        const uint8_t* p = row + x0;
        for (int x = 0; x < n; ++x)
          y[x] = p[x];
      }
      continue;
    }
    int32_t* c1 = y + planeSize;
    int32_t* c2 = c1 + planeSize;
    if (wide) {
      const uint8_t* p = row + static_cast<int64_t>(x0) * 6;
      for (int x = 0; x < n; ++x, p += 6)
        vuWifForwardColour(p[0] | (p[1] << 8), p[2] | (p[3] << 8), p[4] | (p[5] << 8), &y[x],
                           &c1[x], &c2[x]);
    } else {
      const uint8_t* p = row + static_cast<int64_t>(x0) * 3;
      for (int x = 0; x < n; ++x, p += 3)
        vuWifForwardColour(p[0], p[1], p[2], &y[x], &c1[x], &c2[x]);
    }
  }
}
