// The byte layout of a WIF2 file: the 40-byte header, the comment and the tile chunk markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/wif2/vuWifParams.h"

constexpr int kWifHeaderBytes = 40;
constexpr int kWifChunkMarkerBytes = 4;
constexpr uint8_t kWifChunkMarker = 'T';
// The chunk length field has three bytes.
constexpr int64_t kWifMaxChunkLength = 0xFFFFFF;
// The comment our encoder writes after the header.
extern const char kWifComment[];

enum vuWifFlags : uint8_t {
  WIF_FLAG_COLOUR = 1,
  WIF_FLAG_FAST = 2,
  WIF_FLAG_16BIT = 4,
  WIF_FLAG_TILED = 8,
  WIF_FLAG_EXTRA_BYTE = 16,
  WIF_FLAG_TAG = 32,
};

// The 40 header bytes for `params` followed by `comment` (its length enters the header size).
std::vector<uint8_t> vuWifWriteHeader(const vuWifParams& params, const std::string& comment);

// Fills `params` from 40 header bytes; returns the comment length the header announces (total
// header size - 40, 0 when below 1). Nothing is validated here.
int vuWifParseHeader(const uint8_t* bytes, vuWifParams* params);

// True when the bytes start with the "WIF2" signature of the current generation (anything else
// that is a WIF file belongs to the older generation).
bool vuWifIsWif2(const uint8_t* bytes, size_t length);

// The checks a reader makes before decoding: levels 1..7, sizes at least 1, a header size of at
// least 40. Returns true when the parameters can be decoded.
bool vuWifHeaderIsValid(const uint8_t* bytes);

// Chunk marker: 'T' and the big-endian length counting the marker itself.
void vuWifWriteChunkMarker(uint8_t* out, uint32_t length);
uint32_t vuWifChunkLength(const uint8_t* marker);

// Tiles across and down (count 0 when there are more than an int counts), and the first column
// and row of tile t.
struct vuWifTiling {
  int across = 1;
  int down = 1;
  int count = 1;
  int tileWidth = 0;
  int tileHeight = 0;
  int X0(int t) const { return (t % across) * tileWidth; }
  int Y0(int t) const { return (t / across) * tileHeight; }
};
vuWifTiling vuWifMakeTiling(const vuWifParams& params);
