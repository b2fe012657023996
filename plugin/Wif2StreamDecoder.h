// Drives the WIF2 decoder over a stream, one tile per chunk.
//
// The stream is: the 40-byte header, the comment (D bytes), then for every tile a 4-byte chunk
// marker ('T' and a 24-bit length counting the marker) and the tile's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifParams.h"

class Wif2StreamDecoder {
public:
  // From the 40 header bytes: the coding parameters, checked as a file reader checks them.
  // 0, or -2 for a header that cannot be decoded.
  int Start(const uint8_t* header);
  const vuWifParams& Params() const { return params_; }
  // Bytes to wait for after the 40: the comment and the first chunk's marker.
  int Wanted() const { return commentLength_ + 4; }
  int TileCount() const;

  // Builds the decoder from the header, the comment and the first marker (40 + D + 4 bytes) and
  // binds it to rows `stride` bytes apart. Returns the bytes to wait for before tile 0 (the
  // marker's length, minus 4 when the file has one tile), or -2 / -3 when the decoder cannot be
  // built.
  int64_t CompleteHeader(const uint8_t* bytes, size_t length, uint8_t* bits, int64_t stride);
  // Decodes tile k from the bytes of its chunk (its data and the next tile's marker). Returns the
  // bytes to wait for before tile k + 1, or -1 after the last tile.
  int64_t DecodeTile(int k, const uint8_t* data, size_t length);

private:
  vuWifParams params_;
  int commentLength_ = 0;
  vuWifByteSource source_;
  std::unique_ptr<vuWifDecoder> decoder_;
};
