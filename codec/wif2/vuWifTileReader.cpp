#include "codec/wif2/vuWifTileReader.h"

#include <algorithm>

#include "codec/wif2/dsp/vuWifDsp.h"
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
      // The bytes into plain arrays, then the colour transform (which vectorises).
      const uint8_t* p = row + static_cast<int64_t>(x0) * 3;
      constexpr int kBlock = 256;
      int32_t b0[kBlock], b1[kBlock], b2[kBlock];
      for (int start = 0; start < n; start += kBlock) {
        const int count = std::min(kBlock, n - start);
        for (int x = 0; x < count; ++x, p += 3) {
          b0[x] = p[0];
          b1[x] = p[1];
          b2[x] = p[2];
        }
        for (int x = 0; x < count; ++x)
          vuWifForwardColour(b0[x], b1[x], b2[x], &y[start + x], &c1[start + x], &c2[start + x]);
      }
    }
  }
}

void vuWifTileReader::ReadRow(int t, int plane, int r, int32_t* out) const {
  const int tw = tiling_.tileWidth;
  const int x0 = tiling_.X0(t);
  const int y0 = tiling_.Y0(t);
  const int n = y0 + r < params_.height ? std::min(params_.width - x0, tw) : 0;
  const bool wide = params_.sampleBytes == 2;
  if (n <= 0) {
    std::fill(out, out + tw, 0);
    return;
  }
  const uint8_t* row = pixels_ + static_cast<int64_t>(y0 + r) * rowBytes_;
  if (!params_.colour) {
    if (wide) {
      const uint8_t* p = row + static_cast<int64_t>(x0) * 2;
      for (int x = 0; x < n; ++x)
        out[x] = p[2 * x] | (p[2 * x + 1] << 8);
    } else {
      const uint8_t* p = row + x0;
      for (int x = 0; x < n; ++x)
        out[x] = p[x];
    }
  } else if (!wide) {
    vuWifDspBest().forwardColour(row + static_cast<int64_t>(x0) * 3, n, plane, out);
  } else {
    const int bytes = 6;
    const uint8_t* p = row + static_cast<int64_t>(x0) * bytes;
    for (int x = 0; x < n; ++x, p += bytes) {
      int32_t s0, s1, s2;
      if (wide) {
        s0 = p[0] | (p[1] << 8);
        s1 = p[2] | (p[3] << 8);
        s2 = p[4] | (p[5] << 8);
      } else {
        s0 = p[0];
        s1 = p[1];
        s2 = p[2];
      }
      const int32_t y = s0 + 2 * s1 + s2;
      out[x] = plane == 0 ? y : plane == 1 ? (y >> 2) - s0 : (y >> 2) - s2;
    }
  }
  std::fill(out + n, out + tw, 0);
}
