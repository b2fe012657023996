#include "plugin/Wif2StreamDecoder.h"

#include <new>

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifTileDecoder.h"
#include "imagelib/vuTypes.h"

int Wif2StreamDecoder::Start(const uint8_t* header) {
  commentLength_ = vuWifParseHeader(header, &params_);
  if (!vuWifHeaderIsValid(header)) return -2;
  if (params_.sampleBytes == 2 && (params_.significantBits < 8 || params_.significantBits > 16))
    return -2;
  if (vuWifDecoderWorkBytes(params_) > kMaxBitmapBlockBytes) return -2;
  return 0;
}

int Wif2StreamDecoder::TileCount() const {
  return vuWifMakeTiling(params_).count;
}

int64_t Wif2StreamDecoder::CompleteHeader(const uint8_t* bytes, size_t length, uint8_t* bits,
                                          int64_t stride) {
  const size_t expected = static_cast<size_t>(kWifHeaderBytes + Wanted());
  if (length < expected) return -2;
  source_ = vuWifByteSource{bytes, expected, 0};
  decoder_.reset(new (std::nothrow) vuWifDecoder);
  if (!decoder_) return -3;
  decoder_->SetMemoryLimit(kMaxBitmapBlockBytes);
  const int created = decoder_->Create(&source_);
  if (created != 0) {
    decoder_.reset();
    return created;
  }
  decoder_->BindWithStride(bits, stride);
  return decoder_->FirstChunkLength();
}

int64_t Wif2StreamDecoder::DecodeTile(int k, const uint8_t* data, size_t length) {
  if (!decoder_) return -1;
  source_ = vuWifByteSource{data, length, 0};
  return decoder_->DecodeTile(k);
}
