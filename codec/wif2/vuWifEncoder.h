// Drives the coder over a whole image: header and comment, then one length-prefixed chunk per
// tile, the tiles read from a pixel buffer in raster order of its rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/wif2/vuWifParams.h"
#include "codec/wif2/vuWifThreads.h"
#include "codec/wif2/vuWifTileCoder.h"
#include "codec/wif2/vuWifTileReader.h"
#include "codec/wif2/vuWifTransform.h"

class vuWifEncoder {
public:
  // Chooses the levels when params.levels is 0, builds the tile coder and reader, and writes the
  // header and comment to `sink`. `aligned`: 8-bit rows are DWORD-aligned (16-bit rows are always
  // packed).
  vuWifEncoder(const uint8_t* pixels, std::vector<uint8_t>* sink, const vuWifParams& params,
               int aligned);
  // The same with an explicit distance in bytes from one buffer row to the next.
  vuWifEncoder(const uint8_t* pixels, int64_t rowBytes, std::vector<uint8_t>* sink,
               const vuWifParams& params);

  // Codes every tile into its chunk. 0, or -1 when a chunk does not fit the 3-byte length field
  // (the sink then holds an incomplete file).
  int EncodeAll();
  // The number of threads that code tiles at once (default: vuWifDefaultThreads(); 1 codes them
  // one after the other). The file is the same whatever the number.
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  // The length of the longest chunk written so far (including its marker).
  int64_t LongestChunk() const { return longestChunk_; }
  const vuWifParams& Params() const { return params_; }

private:
  void Start(const uint8_t* pixels, int64_t rowBytes);
  // Fills in the length of the chunk that starts at `marker` and ends the sink; false when it
  // does not fit the length field.
  bool FinishChunk(size_t marker);

  vuWifParams params_;
  std::vector<uint8_t>* sink_;
  std::unique_ptr<vuWifTileReader> reader_;
  std::unique_ptr<vuWifTileCoder> coder_;
  int64_t longestChunk_ = 0;
  int threads_;
};
