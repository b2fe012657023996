#include "codec/wif2/vuWifTileCoder.h"

#include "codec/wif2/vuRiceCoder.h"
#include "codec/wif2/vuWifQuantize.h"
#include "codec/wif2/vuWifTransform.h"

namespace {

template <typename T> class TileCoder final : public vuWifTileCoder {
public:
  explicit TileCoder(const vuWifParams& p)
      : params_(p), writer_(nullptr), shift_(p.sampleBytes == 2 ? p.significantBits - 8 : 0) {
    width_ = p.tileWidth;
    height_ = p.tileHeight;
    levels_ = p.levels;
    const int w2 = vuWifPaddedSize(width_, levels_) / 2;
    const int h2 = vuWifPaddedSize(height_, levels_) / 2;
    bands_.Resize(w2, h2);
    coded_.resize(static_cast<size_t>(w2) * h2);
  }

  void CodeTile(const int32_t* planes, std::vector<uint8_t>* out) override {
    writer_ = vuBitWriter(out);
    const size_t planeSize = static_cast<size_t>(width_) * height_;
    if (!params_.colour) {
      CodeLuma(planes, shift_);
      return;
    }
    CodeChroma(planes + planeSize);
    CodeChroma(planes + 2 * planeSize);
    CodeLuma(planes, shift_ + 2);
  }

private:
  void CodeLuma(const int32_t* plane, int extraBits) {
    const bool fast = params_.fastFilter != 0;
    const vuWifSteps steps = vuWifLumaSteps(params_.quality, fast, extraBits);
    vuWifForwardFirstLevel<T>(plane, width_, height_, fast, static_cast<T>(steps.firstLevel),
                              bands_, scratch_);
    CodeBands(static_cast<T>(steps.lowBand));
  }

  void CodeChroma(const int32_t* plane) {
    const vuWifSteps steps = vuWifChromaSteps(params_.quality, shift_);
    vuWifForwardChroma<T>(plane, width_, height_, shift_, static_cast<T>(steps.firstLevel), bands_);
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
      Narrow(bands_.hl);
    } else {
      for (int x = 0; x < w2; ++x)
        for (int y = 0; y < h2; ++y)
          coded_[static_cast<size_t>(x) * h2 + y] =
              static_cast<int32_t>(bands_.hl[static_cast<size_t>(y) * w2 + x]);
    }
    vuRiceEncodeArray(writer_, coded_.data(), n, &symbols_);
    Narrow(bands_.lh);
    vuRiceEncodeArray(writer_, coded_.data(), n, &symbols_);
    Narrow(bands_.hh);
    vuRiceEncodeArray(writer_, coded_.data(), n, &symbols_);
  }

  void Narrow(const std::vector<T>& band) {
    for (size_t i = 0; i < band.size(); ++i)
      coded_[i] = static_cast<int32_t>(band[i]);
  }

  vuWifParams params_;
  vuBitWriter writer_;
  int shift_;
  int width_ = 0;
  int height_ = 0;
  int levels_ = 0;
  vuWifBands<T> bands_;
  vuWifTransformScratch<T> scratch_;
  std::vector<int32_t> coded_;
  std::vector<uint32_t> symbols_;
};

} // namespace

std::unique_ptr<vuWifTileCoder> vuWifTileCoder::Create(const vuWifParams& params) {
  if (params.sampleBytes == 2) return std::make_unique<TileCoder<int64_t>>(params);
  return std::make_unique<TileCoder<int32_t>>(params);
}
