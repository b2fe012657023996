#include "codec/wif2/vuWifEncoder.h"

#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifThreads.h"
#include "codec/wif2/vuWifTransform.h"

vuWifEncoder::vuWifEncoder(const uint8_t* pixels, std::vector<uint8_t>* sink,
                           const vuWifParams& params, int aligned)
    : params_(params), sink_(sink), threads_(vuWifDefaultThreads()) {
  Start(pixels, vuWifRowBytes(params, aligned != 0));
}

vuWifEncoder::vuWifEncoder(const uint8_t* pixels, int64_t rowBytes, std::vector<uint8_t>* sink,
                           const vuWifParams& params)
    : params_(params), sink_(sink), threads_(vuWifDefaultThreads()) {
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
  const std::vector<uint8_t> header = vuWifWriteHeader(params_, kWifComment);
  sink_->insert(sink_->end(), header.begin(), header.end());
}

namespace {
// The planes of one tile straight from the pixels, a row at a time: no whole-tile copy.
class TileFromPixels final : public vuWifTileRows {
public:
  TileFromPixels(const vuWifTileReader& reader, int tile) : reader_(reader), tile_(tile) {}
  void Row(int plane, int r, int32_t* out) const override { reader_.ReadRow(tile_, plane, r, out); }

private:
  const vuWifTileReader& reader_;
  int tile_;
};
} // namespace

int vuWifEncoder::EncodeAll() {
  const int tiles = reader_->Tiling().count;
  const int threads = vuWifThreadsFor(tiles, threads_);
  if (threads <= 1) {
    for (int t = 0; t < tiles; ++t) {
      const size_t marker = sink_->size();
      sink_->resize(marker + kWifChunkMarkerBytes);
      coder_->CodeTile(TileFromPixels(*reader_, t), sink_);
      if (!FinishChunk(marker)) return -1;
    }
    return 0;
  }
  // Tiles are independent: each thread codes whole tiles into chunks of their own with a coder of
  // its own, and the chunks are joined in file order.
  std::vector<std::unique_ptr<vuWifTileCoder>> extra;
  std::vector<vuWifTileCoder*> coders = {coder_.get()};
  for (int w = 1; w < threads; ++w) {
    extra.push_back(vuWifTileCoder::Create(params_));
    coders.push_back(extra.back().get());
  }
  std::vector<std::vector<uint8_t>> chunks(static_cast<size_t>(tiles));
  vuWifRunParallel(tiles, threads, [&](int t, int worker) {
    std::vector<uint8_t>& chunk = chunks[static_cast<size_t>(t)];
    chunk.resize(kWifChunkMarkerBytes);
    coders[static_cast<size_t>(worker)]->CodeTile(TileFromPixels(*reader_, t), &chunk);
  });
  for (std::vector<uint8_t>& chunk : chunks) {
    const size_t marker = sink_->size();
    sink_->insert(sink_->end(), chunk.begin(), chunk.end());
    std::vector<uint8_t>().swap(chunk);
    if (!FinishChunk(marker)) return -1;
  }
  return 0;
}

bool vuWifEncoder::FinishChunk(size_t marker) {
  const int64_t length = static_cast<int64_t>(sink_->size() - marker);
  if (length > longestChunk_) longestChunk_ = length;
  if (length > kWifMaxChunkLength) return false;
  vuWifWriteChunkMarker(sink_->data() + marker, static_cast<uint32_t>(length));
  return true;
}
