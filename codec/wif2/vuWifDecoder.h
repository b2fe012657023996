// Reads a WIF2 header and decodes the tiles into a pixel buffer, all at once (with seam smoothing
// of tiled files) or one tile per call as the bytes arrive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuWifFormat.h"
#include "codec/wif2/vuWifParams.h"
#include "codec/wif2/vuWifThreads.h"
#include "codec/wif2/vuWifTileDecoder.h"
#include "codec/wif2/vuWifTileWriter.h"

// What the header says, and the size of the decoded image in the current row layout.
struct vuWifHeaderInfo {
  int version = 0;
  int minorVersion = 0;
  int width = 0;
  int height = 0;
  int colour = 0;
  int sampleBytes = 1;
  int significantBits = 8;
  int tiled = 0;
  int tileWidth = 0;
  int tileHeight = 0;
  int64_t imageBytes = 0;
};

// What a decoder may allocate unless told otherwise: enough for any picture the image model holds.
constexpr int64_t kWifDefaultMemoryLimit = int64_t(1) << 30;

class vuWifDecoder {
public:
  vuWifDecoder() = default;
  ~vuWifDecoder() = default;
  vuWifDecoder(const vuWifDecoder&) = delete;
  vuWifDecoder& operator=(const vuWifDecoder&) = delete;

  // Reads the 40-byte header and the comment from the source and builds the tile decoder.
  // 0, or -2 when the header cannot be decoded (levels outside 1..7, a size of 0, a header size
  // below 40, significant bits outside 8..16, more tiles than an int counts, or a work space
  // past the memory limit).
  int Create(vuWifByteSource* source);
  // The most memory the decoder may ask for: its work space, or a buffer of its own (default
  // kWifDefaultMemoryLimit). Set it before Create.
  void SetMemoryLimit(int64_t bytes) { memoryLimit_ = bytes; }

  void GetHeaderInfo(vuWifHeaderInfo* info) const;
  const vuWifParams& Params() const { return params_; }
  const std::string& Comment() const { return comment_; }

  // The caller's buffer, with DWORD-aligned (8-bit) or packed rows.
  void Bind(uint8_t* buffer, bool aligned);
  // The caller's buffer with its own distance between rows (used for 16-bit images).
  void BindWithStride(uint8_t* buffer, int64_t rowBytes);
  // A buffer of the decoder's own with packed rows (released with the decoder); null when it
  // cannot be had.
  uint8_t* AllocateBuffer();

  // Decodes every tile in file order and, for a tiled file in a caller's buffer, smooths the
  // horizontal tile seams. Returns the destination buffer. Tiles whose chunk lies past the end of
  // the data are not decoded (their pixels stay as they were); Damage() then says what is wrong.
  uint8_t* DecodeAll();
  // After DecodeAll: why the picture is incomplete (the data ends before a tile, a chunk marker is
  // missing, or a tile's data runs past its chunk); empty when every tile was whole.
  const std::string& Damage() const { return damage_; }
  // Decodes tile k from the source (positioned at its first data byte). Returns the number of
  // bytes to wait for before tile k + 1 can be decoded (its chunk length, minus 4 for the last
  // tile, read from its marker), or -1 after the last tile and for k past it.
  int64_t DecodeTile(int k);
  // Reads the first chunk's marker: the bytes to wait for before tile 0.
  int64_t FirstChunkLength();
  int TileCount() const { return tiling_.count; }
  // The number of threads DecodeAll decodes tiles on (default: vuWifDefaultThreads(); 1 decodes
  // them one after the other). The pixels are the same whatever the number.
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }

  // The source of the data (the plug-in moves it as more bytes arrive).
  vuWifByteSource* Source() const { return source_; }

private:
  void SmoothSeams();
  void DecodeInto(int t);
  // Decodes the tiles on several threads, each from the start its chunk lengths give; returns
  // false when it cannot or when the file turns out damaged (the caller then decodes in sequence).
  bool DecodeTilesInParallel(int threads);

  vuWifParams params_;
  std::string comment_;
  vuWifByteSource* source_ = nullptr;
  vuWifTiling tiling_;
  std::unique_ptr<vuWifTileDecoder> tileDecoder_;
  std::unique_ptr<vuWifTileWriter> tileWriter_;
  uint8_t* buffer_ = nullptr;
  int64_t rowBytes_ = 0;
  bool callerBuffer_ = false;
  std::vector<uint8_t> ownBuffer_;
  std::string damage_;
  int64_t memoryLimit_ = kWifDefaultMemoryLimit;
  int threads_ = vuWifDefaultThreads();
};

// Smooths the horizontal seams between tile rows in a decoded buffer: for 8-bit samples (grey
// or each colour channel) over 0..255, for 16-bit samples over the significant range.
void vuWifSmoothSeams(uint8_t* buffer, int64_t rowBytes, const vuWifParams& params);
