#include "codec/wif2/vuWifDecoder.h"

#include <new>

#include "codec/wif2/vuWifTileReader.h"

int vuWifDecoder::Create(vuWifByteSource* source) {
  source_ = source;
  uint8_t header[kWifHeaderBytes];
  source->Read(header, kWifHeaderBytes);
  const int commentLength = vuWifParseHeader(header, &params_);
  comment_.clear();
  for (int i = 0; i < commentLength; ++i)
    comment_.push_back(static_cast<char>(source->GetByte()));
  if (!vuWifHeaderIsValid(header)) return -2;
  if (vuWifDecoderWorkBytes(params_) > memoryLimit_) return -2;
  tiling_ = vuWifMakeTiling(params_);
  if (tiling_.count < 1) return -2;
  try {
    tileDecoder_ = vuWifTileDecoder::Create(params_);
  } catch (const std::bad_alloc&) {
    return -3;
  }
  return 0;
}

void vuWifDecoder::GetHeaderInfo(vuWifHeaderInfo* info) const {
  info->version = params_.version;
  info->minorVersion = params_.minorVersion;
  info->width = params_.width;
  info->height = params_.height;
  info->colour = params_.colour;
  info->sampleBytes = params_.sampleBytes;
  info->significantBits = params_.significantBits;
  info->tiled = params_.tiled;
  info->tileWidth = params_.tileWidth;
  info->tileHeight = params_.tileHeight;
  const int64_t rowBytes = buffer_ ? rowBytes_ : vuWifRowBytes(params_, false);
  info->imageBytes = rowBytes * params_.height;
}

void vuWifDecoder::Bind(uint8_t* buffer, bool aligned) {
  BindWithStride(buffer, vuWifRowBytes(params_, aligned));
}

void vuWifDecoder::BindWithStride(uint8_t* buffer, int64_t rowBytes) {
  buffer_ = buffer;
  rowBytes_ = rowBytes;
  callerBuffer_ = true;
  tileWriter_ = std::make_unique<vuWifTileWriter>(buffer_, rowBytes_, params_);
}

uint8_t* vuWifDecoder::AllocateBuffer() {
  const int64_t rowBytes = vuWifRowBytes(params_, false);
  const int64_t size = rowBytes * params_.height;
  if (size <= 0 || size > memoryLimit_) return nullptr;
  try {
    ownBuffer_.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  buffer_ = ownBuffer_.data();
  rowBytes_ = rowBytes;
  callerBuffer_ = false;
  tileWriter_ = std::make_unique<vuWifTileWriter>(buffer_, rowBytes_, params_);
  return buffer_;
}

namespace {
// Puts the decoded rows of one tile into the pixels.
class TileRows final : public vuWifTileRowSink {
public:
  TileRows(const vuWifTileWriter& writer, int tile) : writer_(writer), tile_(tile) {}
  void Row(int y, const int32_t* luma, const int32_t* c1, const int32_t* c2) override {
    writer_.WriteRow(tile_, y, luma, c1, c2);
  }

private:
  const vuWifTileWriter& writer_;
  int tile_;
};
} // namespace

void vuWifDecoder::DecodeInto(int t) {
  TileRows rows(*tileWriter_, t);
  tileDecoder_->DecodeTile(source_, rows);
}

uint8_t* vuWifDecoder::DecodeAll() {
  if (!buffer_ || !tileDecoder_) return buffer_;
  const size_t first = source_->position;
  const int threads = vuWifThreadsFor(tiling_.count, threads_);
  if (threads > 1 && DecodeTilesInParallel(threads)) {
    if (callerBuffer_ && params_.tiled) SmoothSeams();
    return buffer_;
  }
  // Sequentially: every tile in turn, noting the first damage found.
  source_->position = first;
  damage_.clear();
  const size_t size = source_->size;
  auto note = [this](const std::string& what) {
    if (damage_.empty()) damage_ = what;
  };
  for (int t = 0; t < tiling_.count; ++t) {
    // Each chunk starts where the previous tile's data ended; its length counts the marker.
    const size_t chunkStart = source_->position;
    const std::string tile =
        "tile " + std::to_string(t + 1) + " of " + std::to_string(tiling_.count);
    if (chunkStart + kWifChunkMarkerBytes > size) {
      note("the data ends before " + tile);
      break;
    }
    uint8_t marker[kWifChunkMarkerBytes];
    source_->Read(marker, kWifChunkMarkerBytes);
    const size_t chunkEnd = chunkStart + vuWifChunkLength(marker);
    const bool markerFound = marker[0] == kWifChunkMarker;
    if (!markerFound) note("the chunk marker of " + tile + " is missing");
    DecodeInto(t);
    // A whole tile's data ends exactly where its chunk does.
    if (source_->position == chunkEnd) continue;
    if (source_->position > size)
      note("the data ends inside " + tile);
    else if (source_->position > chunkEnd)
      note("the data of " + tile + " runs past its chunk");
    else
      note("the data of " + tile + " ends before its chunk");
    // The next tile starts where this tile's data ended when a marker stands there (only the
    // length was damaged); else where the chunk says, when a marker stands there (the tile's
    // data was damaged); else the decoder goes on where it is.
    auto markerAt = [&](size_t at) {
      return at < size && source_->data[at] == kWifChunkMarker;
    };
    if (t + 1 < tiling_.count && !markerAt(source_->position) && markerFound && markerAt(chunkEnd))
      source_->position = chunkEnd;
  }
  if (callerBuffer_ && params_.tiled) SmoothSeams();
  return buffer_;
}

bool vuWifDecoder::DecodeTilesInParallel(int threads) {
  // Where each tile's marker should be, from the chunk lengths. The decoder proper never trusts
  // them: when a tile's data does not end where the next tile's chunk starts, the whole file is
  // decoded again in sequence, so the pixels are exactly those of the sequential path.
  const int count = tiling_.count;
  std::vector<size_t> marker(static_cast<size_t>(count));
  std::vector<size_t> end(static_cast<size_t>(count));
  marker[0] = source_->position;
  int known = 1;
  while (known < count) {
    const size_t at = marker[static_cast<size_t>(known - 1)];
    if (at + kWifChunkMarkerBytes > source_->size) break;
    const int64_t length = vuWifChunkLength(source_->data + at);
    if (length <= kWifChunkMarkerBytes || at + static_cast<size_t>(length) >= source_->size) break;
    marker[static_cast<size_t>(known++)] = at + static_cast<size_t>(length);
  }
  if (known < count || marker[static_cast<size_t>(count - 1)] + kWifChunkMarkerBytes > source_->size)
    return false;
  std::vector<std::unique_ptr<vuWifTileDecoder>> extra;
  std::vector<vuWifTileDecoder*> decoders = {tileDecoder_.get()};
  try {
    for (int w = 1; w < vuWifThreadsFor(count, threads); ++w) {
      extra.push_back(vuWifTileDecoder::Create(params_));
      decoders.push_back(extra.back().get());
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  vuWifRunParallel(count, threads, [&](int t, int worker) {
    vuWifByteSource source = *source_;
    source.position = marker[static_cast<size_t>(t)] + kWifChunkMarkerBytes;
    TileRows rows(*tileWriter_, t);
    decoders[static_cast<size_t>(worker)]->DecodeTile(&source, rows);
    end[static_cast<size_t>(t)] = source.position;
  });
  // Only an intact file is done here: every tile's data must end exactly where its chunk does
  // and every chunk must carry its marker. Anything else is decoded again in sequence, which
  // reports the damage and gives exactly the sequential pixels.
  for (int t = 0; t < count; ++t) {
    const size_t at = marker[static_cast<size_t>(t)];
    const size_t chunkEnd = at + static_cast<size_t>(vuWifChunkLength(source_->data + at));
    if (source_->data[at] != kWifChunkMarker || end[static_cast<size_t>(t)] != chunkEnd ||
        chunkEnd > source_->size)
      return false;
  }
  damage_.clear();
  source_->position = end[static_cast<size_t>(count - 1)];
  return true;
}

int64_t vuWifDecoder::DecodeTile(int k) {
  if (!buffer_ || !tileDecoder_ || k < 0 || k >= tiling_.count) return -1;
  DecodeInto(k);
  if (k + 1 >= tiling_.count) return -1;
  uint8_t marker[kWifChunkMarkerBytes];
  source_->Read(marker, kWifChunkMarkerBytes);
  const int64_t length = vuWifChunkLength(marker);
  return k + 1 == tiling_.count - 1 ? length - kWifChunkMarkerBytes : length;
}

int64_t vuWifDecoder::FirstChunkLength() {
  uint8_t marker[kWifChunkMarkerBytes];
  source_->Read(marker, kWifChunkMarkerBytes);
  const int64_t length = vuWifChunkLength(marker);
  return tiling_.count == 1 ? length - kWifChunkMarkerBytes : length;
}

void vuWifDecoder::SmoothSeams() {
  vuWifSmoothSeams(buffer_, rowBytes_, params_);
}

namespace {
// One column of a seam: rows r-2 .. r+1, all from the unchanged values, clamped to 0..top.
inline void SmoothColumn(int32_t& s0, int32_t& s1, int32_t& s2, int32_t& s3, int32_t top) {
  const int32_t d = s2 - s1;
  auto clamp = [top](int32_t v) { return v < 0 ? 0 : v > top ? top : v; };
  const int32_t n0 = clamp(s0 + d / 8), n1 = clamp(s1 + d / 4), n2 = clamp(s2 - d / 4),
                n3 = clamp(s3 - d / 8);
  s0 = n0;
  s1 = n1;
  s2 = n2;
  s3 = n3;
}
} // namespace

void vuWifSmoothSeams(uint8_t* buffer, int64_t rowBytes, const vuWifParams& params) {
  const int th = params.tileHeight;
  if (th < 1 || params.height < 4) return;
  const int64_t samples = static_cast<int64_t>(params.width) * (params.colour ? 3 : 1);
  const bool wide = params.sampleBytes == 2;
  const int32_t top = wide ? (1 << params.significantBits) - 1 : 255;
  // Seams one after another, each reading the rows the previous one left; a seam needs two rows
  // above it.
  for (int k = 1; k <= (params.height - 2) / th; ++k) {
    const int r = k * th;
    if (r < 2) continue;
    uint8_t* row[4];
    for (int m = 0; m < 4; ++m)
      row[m] = buffer + static_cast<int64_t>(r - 2 + m) * rowBytes;
    for (int64_t x = 0; x < samples; ++x) {
      int32_t s[4];
      if (wide) {
        for (int m = 0; m < 4; ++m)
          s[m] = row[m][2 * x] | (row[m][2 * x + 1] << 8);
      } else {
        for (int m = 0; m < 4; ++m)
          s[m] = row[m][x];
      }
      SmoothColumn(s[0], s[1], s[2], s[3], top);
      for (int m = 0; m < 4; ++m) {
        if (wide) {
          row[m][2 * x] = static_cast<uint8_t>(s[m] & 0xFF);
          row[m][2 * x + 1] = static_cast<uint8_t>(s[m] >> 8);
        } else {
          row[m][x] = static_cast<uint8_t>(s[m]);
        }
      }
    }
  }
}
