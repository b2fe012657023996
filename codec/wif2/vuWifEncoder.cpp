#include "codec/wif2/vuWifEncoder.h"

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifTransform.h"

vuWifEncoder::vuWifEncoder(const uint8_t* pixels, std::vector<uint8_t>* sink,
                           const vuWifParams& params, int aligned)
    : params_(params), sink_(sink) {
  Start(pixels, vuWifRowBytes(params, aligned != 0));
}

vuWifEncoder::vuWifEncoder(const uint8_t* pixels, int64_t rowBytes, std::vector<uint8_t>* sink,
                           const vuWifParams& params)
    : params_(params), sink_(sink) {
  Start(pixels, rowBytes);
}

void vuWifEncoder::Start(const uint8_t* pixels, int64_t rowBytes) {
  if (!params_.tiled) {
    params_.tileWidth = params_.width;
    params_.tileHeight = params_.height;
  }
  if (params_.sampleBytes != 2) params_.significantBits = 8;
  if (params_.levels == 0) {
    // Tiles under 16 pixels would get no level at all; one level keeps the bands defined.
    params_.levels = vuWifChooseLevels(params_.tileWidth, params_.tileHeight);
    if (params_.levels < 1) params_.levels = 1;
  }
  coder_ = vuWifTileCoder::Create(params_);
  reader_ = std::make_unique<vuWifTileReader>(pixels, rowBytes, params_);
  tile_.resize(static_cast<size_t>(params_.tileWidth) * params_.tileHeight *
               (params_.colour ? 3 : 1));
  const std::vector<uint8_t> header = vuWifWriteHeader(params_, kWifComment);
  sink_->insert(sink_->end(), header.begin(), header.end());
}

int vuWifEncoder::EncodeAll() {
  const int tiles = reader_->Tiling().count;
  for (int t = 0; t < tiles; ++t) {
    reader_->ReadTile(t, tile_.data());
    const size_t marker = sink_->size();
    sink_->resize(marker + kWifChunkMarkerBytes);
    coder_->CodeTile(tile_.data(), sink_);
    const int64_t length = static_cast<int64_t>(sink_->size() - marker);
    if (length > longestChunk_) longestChunk_ = length;
    if (length > kWifMaxChunkLength) return -1;
    vuWifWriteChunkMarker(sink_->data() + marker, static_cast<uint32_t>(length));
  }
  return 0;
}
