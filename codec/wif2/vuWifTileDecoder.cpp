#include "codec/wif2/vuWifTileDecoder.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "codec/wif2/vuRiceCoder.h"
#include "codec/wif2/vuWifQuantize.h"
#include "codec/wif2/vuWifTransform.h"

namespace {

// Chroma planes: 16 bits for 8-bit pictures, whose chroma stays far inside that range.
template <typename T>
using ChromaOf = std::conditional_t<std::is_same_v<T, int32_t>, int16_t, int32_t>;

template <typename T> class TileDecoder final : public vuWifTileDecoder, private vuWifRowSink {
public:
  explicit TileDecoder(const vuWifParams& p)
      : vuWifTileDecoder(p.tileWidth, p.tileHeight), params_(p),
        shift_(p.sampleBytes == 2 ? p.significantBits - 8 : 0) {
    width_ = p.tileWidth;
    height_ = p.tileHeight;
    levels_ = p.levels;
    const int w2 = vuWifPaddedSize(width_, levels_) / 2;
    const int h2 = vuWifPaddedSize(height_, levels_) / 2;
    bands_.Resize(w2, h2);
    if (p.colour) {
      chroma_.resize(2 * static_cast<size_t>(width_) * height_);
      c1Row_.resize(static_cast<size_t>(width_));
      c2Row_.resize(static_cast<size_t>(width_));
    }
  }

  using vuWifTileDecoder::DecodeTile;
  void DecodeTile(vuWifByteSource* source, vuWifTileRowSink& rows) override {
    vuBitReader reader(source);
    const size_t planeSize = static_cast<size_t>(width_) * height_;
    rows_ = &rows;
    if (!params_.colour) {
      DecodeBands(reader, 8);
      InverseLuma(shift_);
      return;
    }
    // Chroma details come back at the scale the encoder divided them by (2^shift more).
    for (int c = 1; c <= 2; ++c) {
      DecodeBands(reader, 8 + 2 * shift_);
      vuWifInverseFurtherLevels<T>(bands_, levels_, scratch_);
      vuWifInverseChroma<T>(bands_, width_, height_, static_cast<T>(params_.quality + 2),
                            10 + shift_, chroma_.data() + (c - 1) * planeSize);
    }
    DecodeBands(reader, 8);
    InverseLuma(shift_);
  }

private:
  void InverseLuma(int shift) {
    const bool fast = params_.fastFilter != 0;
    vuWifInverseFurtherLevels<T>(bands_, levels_, scratch_);
    vuWifInverseFirstLevel<T>(bands_, width_, height_, fast,
                              vuWifOutputDivisor(params_.quality, fast, shift), *this, scratch_);
  }

  // A luma row from the inverse first level: joined with its chroma rows for the caller.
  void Row(int y, const int32_t* luma) override {
    if (!params_.colour) {
      rows_->Row(y, luma, nullptr, nullptr);
      return;
    }
    const size_t planeSize = static_cast<size_t>(width_) * height_;
    const ChromaOf<T>* c1 = chroma_.data() + static_cast<size_t>(y) * width_;
    const ChromaOf<T>* c2 = c1 + planeSize;
    for (int x = 0; x < width_; ++x) {
      c1Row_[static_cast<size_t>(x)] = c1[x];
      c2Row_[static_cast<size_t>(x)] = c2[x];
    }
    rows_->Row(y, luma, c1Row_.data(), c2Row_.data());
  }

  void DecodeBands(vuBitReader& reader, int detailShift) {
    const int w2 = bands_.w2;
    const int h2 = bands_.h2;
    const size_t n = static_cast<size_t>(w2) * h2;
    // The HH band is decoded last, so its space holds the arrays that need reordering first.
    T* buffer = bands_.hh.data();
    vuRiceDecodeArray<T>(reader, buffer, n, 0);
    vuWifUnpredictLowBand<T>(buffer, w2 >> (levels_ - 1), h2 >> (levels_ - 1));
    vuWifFromCodingOrder<T>(buffer, w2, h2, levels_, T(256), bands_.ll.data());
    if (params_.fastFilter) {
      vuRiceDecodeArray<T>(reader, bands_.hl.data(), n, detailShift);
    } else {
      vuRiceDecodeArray<T>(reader, buffer, n, detailShift);
      vuWifTranspose<T, T>(buffer, w2, h2, bands_.hl.data());
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
  vuWifBuffer<ChromaOf<T>> chroma_; // C1 then C2 of a colour tile
  vuWifBuffer<int32_t> c1Row_, c2Row_;
  vuWifTileRowSink* rows_ = nullptr;
};

class PlaneRows final : public vuWifTileRowSink {
public:
  PlaneRows(int32_t* planes, int w, int h) : planes_(planes), w_(w), h_(h) {}
  void Row(int y, const int32_t* luma, const int32_t* c1, const int32_t* c2) override {
    const size_t planeSize = static_cast<size_t>(w_) * h_;
    int32_t* out = planes_ + static_cast<size_t>(y) * w_;
    std::copy(luma, luma + w_, out);
    if (c1) std::copy(c1, c1 + w_, out + planeSize);
    if (c2) std::copy(c2, c2 + w_, out + 2 * planeSize);
  }

private:
  int32_t* planes_;
  int w_;
  int h_;
};

} // namespace

void vuWifTileDecoder::DecodeTile(vuWifByteSource* source, int32_t* planes) {
  PlaneRows rows(planes, tileWidth_, tileHeight_);
  DecodeTile(source, rows);
}

std::unique_ptr<vuWifTileDecoder> vuWifTileDecoder::Create(const vuWifParams& params) {
  if (params.sampleBytes == 2) return std::make_unique<TileDecoder<int64_t>>(params);
  return std::make_unique<TileDecoder<int32_t>>(params);
}

int64_t vuWifDecoderWorkBytes(const vuWifParams& params) {
  const int64_t w = vuWifPaddedSize(params.tileWidth, params.levels);
  const int64_t h = vuWifPaddedSize(params.tileHeight, params.levels);
  const int64_t value = params.sampleBytes == 2 ? 8 : 4;
  const int64_t planes = params.colour ? 3 : 1;
  // Four bands of W/2 x H/2 values, the further-level scratch, the chroma planes.
  const int64_t chroma = params.sampleBytes == 2 ? 4 : 2;
  return w * h / 4 * 5 * value +
         (planes - 1) * int64_t(params.tileWidth) * params.tileHeight * chroma;
}
