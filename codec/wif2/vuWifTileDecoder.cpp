#include "codec/wif2/vuWifTileDecoder.h"

#include <vector>

#include "codec/wif2/vuRiceCoder.h"
#include "codec/wif2/vuWifQuantize.h"
#include "codec/wif2/vuWifTransform.h"

namespace {

template <typename T> class TileDecoder final : public vuWifTileDecoder {
public:
  explicit TileDecoder(const vuWifParams& p)
      : params_(p), shift_(p.sampleBytes == 2 ? p.significantBits - 8 : 0) {
    width_ = p.tileWidth;
    height_ = p.tileHeight;
    levels_ = p.levels;
    const int w2 = vuWifPaddedSize(width_, levels_) / 2;
    const int h2 = vuWifPaddedSize(height_, levels_) / 2;
    bands_.Resize(w2, h2);
    decoded_.resize(static_cast<size_t>(w2) * h2);
  }

  void DecodeTile(vuWifByteSource* source, int32_t* planes) override {
    vuBitReader reader(source);
    const size_t planeSize = static_cast<size_t>(width_) * height_;
    if (!params_.colour) {
      DecodeBands(reader, 8);
      InverseLuma(planes, shift_);
      return;
    }
    // Chroma details come back at the scale the encoder divided them by (2^shift more).
    for (int c = 1; c <= 2; ++c) {
      DecodeBands(reader, 8 + 2 * shift_);
      vuWifInverseFurtherLevels<T>(bands_, levels_, scratch_);
      vuWifInverseChroma<T>(bands_, width_, height_, static_cast<T>(params_.quality + 2),
                            10 + shift_, planes + c * planeSize);
    }
    DecodeBands(reader, 8);
    InverseLuma(planes, shift_);
  }

private:
  void InverseLuma(int32_t* plane, int shift) {
    const bool fast = params_.fastFilter != 0;
    vuWifInverseFurtherLevels<T>(bands_, levels_, scratch_);
    vuWifInverseFirstLevel<T>(bands_, width_, height_, fast,
                              vuWifOutputDivisor(params_.quality, fast, shift), plane, scratch_);
  }

  void DecodeBands(vuBitReader& reader, int detailShift) {
    const int w2 = bands_.w2;
    const int h2 = bands_.h2;
    const size_t n = static_cast<size_t>(w2) * h2;
    T* buffer = decoded_.data();
    vuRiceDecodeArray<T>(reader, buffer, n, 0);
    vuWifUnpredictLowBand<T>(buffer, w2 >> (levels_ - 1), h2 >> (levels_ - 1));
    vuWifFromCodingOrder<T>(buffer, w2, h2, levels_, T(256), bands_.ll.data());
    if (params_.fastFilter) {
      vuRiceDecodeArray<T>(reader, bands_.hl.data(), n, detailShift);
    } else {
      vuRiceDecodeArray<T>(reader, buffer, n, detailShift);
      for (int x = 0; x < w2; ++x)
        for (int y = 0; y < h2; ++y)
          bands_.hl[static_cast<size_t>(y) * w2 + x] = buffer[static_cast<size_t>(x) * h2 + y];
    }
    vuRiceDecodeArray<T>(reader, bands_.lh.data(), n, detailShift);
    vuRiceDecodeArray<T>(reader, bands_.hh.data(), n, detailShift);
  }

  vuWifParams params_;
  int shift_;
  int width_ = 0;
  int height_ = 0;
  int levels_ = 0;
  vuWifBands<T> bands_;
  vuWifTransformScratch<T> scratch_;
  std::vector<T> decoded_;
};

} // namespace

std::unique_ptr<vuWifTileDecoder> vuWifTileDecoder::Create(const vuWifParams& params) {
  if (params.sampleBytes == 2) return std::make_unique<TileDecoder<int64_t>>(params);
  return std::make_unique<TileDecoder<int32_t>>(params);
}

int64_t vuWifDecoderWorkBytes(const vuWifParams& params) {
  const int64_t w = vuWifPaddedSize(params.tileWidth, params.levels);
  const int64_t h = vuWifPaddedSize(params.tileHeight, params.levels);
  const int64_t value = params.sampleBytes == 2 ? 8 : 4;
  const int64_t planes = params.colour ? 3 : 1;
  // Four bands and the decode array of W/2 x H/2 values, the further-level scratch, the tile
  // planes.
  return w * h / 4 * 6 * value + planes * int64_t(params.tileWidth) * params.tileHeight * 4;
}
