#include "codec/wif2/vuWifTileCoder.h"

#include <type_traits>

#include "codec/wif2/vuRiceCoder.h"
#include "codec/wif2/vuWifQuantize.h"
#include "codec/wif2/vuWifTransform.h"

namespace {

// One plane of a tile source.
class PlaneOf final : public vuWifRowSource {
public:
  PlaneOf(const vuWifTileRows& source, int plane) : source_(source), plane_(plane) {}
  void Row(int r, int32_t* out) const override { source_.Row(plane_, r, out); }

private:
  const vuWifTileRows& source_;
  int plane_;
};

template <typename T> class TileCoder final : public vuWifTileCoder {
public:
  using vuWifTileCoder::CodeTile;
  explicit TileCoder(const vuWifParams& p)
      : vuWifTileCoder(p.tileWidth, p.tileHeight), params_(p), writer_(nullptr),
        shift_(p.sampleBytes == 2 ? p.significantBits - 8 : 0) {
    width_ = p.tileWidth;
    height_ = p.tileHeight;
    levels_ = p.levels;
    const int w2 = vuWifPaddedSize(width_, levels_) / 2;
    const int h2 = vuWifPaddedSize(height_, levels_) / 2;
    bands_.Resize(w2, h2);
    coded_.resize(static_cast<size_t>(w2) * h2);
  }

  void CodeTile(const vuWifTileRows& source, std::vector<uint8_t>* out) override {
    writer_ = vuBitWriter(out);
    if (!params_.colour) {
      CodeLuma(PlaneOf(source, 0), shift_);
      return;
    }
    CodeChroma(PlaneOf(source, 1));
    CodeChroma(PlaneOf(source, 2));
    CodeLuma(PlaneOf(source, 0), shift_ + 2);
  }

private:
  void CodeLuma(const vuWifRowSource& plane, int extraBits) {
    const bool fast = params_.fastFilter != 0;
    const vuWifSteps steps = vuWifLumaSteps(params_.quality, fast, extraBits);
    vuWifForwardFirstLevel<T>(plane, width_, height_, fast, static_cast<T>(steps.firstLevel),
                              bands_, scratch_);
    CodeBands(static_cast<T>(steps.lowBand));
  }

  void CodeChroma(const vuWifRowSource& plane) {
    const vuWifSteps steps = vuWifChromaSteps(params_.quality, shift_);
    vuWifForwardChroma<T>(plane, width_, height_, shift_, static_cast<T>(steps.firstLevel), bands_,
                          scratch_);
    CodeBands(static_cast<T>(steps.lowBand));
  }

  void CodeBands(T lowStep) {
    const int w2 = bands_.w2;
    const int h2 = bands_.h2;
    const size_t n = static_cast<size_t>(w2) * h2;
    vuWifForwardFurtherLevels<T>(bands_, levels_, scratch_);
    for (T& v : bands_.ll)
      v = vuWifQuantise<T>(v, lowStep);
    vuWifToCodingOrder<T, int32_t>(bands_.ll.data(), w2, h2, levels_, coded_.data());
    vuWifPredictLowBand<int32_t>(coded_.data(), w2 >> (levels_ - 1), h2 >> (levels_ - 1));
    vuRiceEncodeArray(writer_, coded_.data(), n, &symbols_);
    if (params_.fastFilter) {
      CodeBand(bands_.hl);
    } else {
      vuWifTranspose<T, int32_t>(bands_.hl.data(), h2, w2, coded_.data());
      vuRiceEncodeArray(writer_, coded_.data(), n, &symbols_);
    }
    CodeBand(bands_.lh);
    CodeBand(bands_.hh);
  }

  // A detail band, row by row (its values are already quantised).
  void CodeBand(const vuWifBuffer<T>& band) {
    if constexpr (std::is_same_v<T, int32_t>) {
      vuRiceEncodeArray(writer_, band.data(), band.size(), &symbols_);
    } else {
      for (size_t i = 0; i < band.size(); ++i)
        coded_[i] = static_cast<int32_t>(band[i]);
      vuRiceEncodeArray(writer_, coded_.data(), band.size(), &symbols_);
    }
  }

  vuWifParams params_;
  vuBitWriter writer_;
  int shift_;
  int width_ = 0;
  int height_ = 0;
  int levels_ = 0;
  vuWifBands<T> bands_;
  vuWifTransformScratch<T> scratch_;
  vuWifBuffer<int32_t> coded_;
  std::vector<uint32_t> symbols_;
};

} // namespace

namespace {
class MemoryPlanes final : public vuWifTileRows {
public:
  MemoryPlanes(const int32_t* planes, int w, int h) : planes_(planes), w_(w), h_(h) {}
  void Row(int plane, int r, int32_t* out) const override {
    const int32_t* row = planes_ + (static_cast<size_t>(plane) * h_ + r) * w_;
    for (int x = 0; x < w_; ++x)
      out[x] = row[x];
  }

private:
  const int32_t* planes_;
  int w_;
  int h_;
};
} // namespace

void vuWifTileCoder::CodeTile(const int32_t* planes, std::vector<uint8_t>* out) {
  CodeTile(MemoryPlanes(planes, tileWidth_, tileHeight_), out);
}

std::unique_ptr<vuWifTileCoder> vuWifTileCoder::Create(const vuWifParams& params) {
  if (params.sampleBytes == 2) return std::make_unique<TileCoder<int64_t>>(params);
  return std::make_unique<TileCoder<int32_t>>(params);
}
