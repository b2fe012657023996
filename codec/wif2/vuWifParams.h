// Coding parameters of a WIF2 file and the user's save options.
#pragma once

#include <cstdint>

// The coding parameters: filled by the caller for the encoder, from the header for the decoder.
struct vuWifParams {
  int32_t version = 2;
  int32_t minorVersion = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t quality = 50;    // 1 finest .. 255 coarsest
  int32_t levels = 0;      // 0 lets the encoder choose
  int32_t colour = 0;      // 1 colour (three planes), 0 grey
  int32_t fastFilter = 0;  // 1: 5/3 horizontal first level, HL band coded row by row
  int32_t sampleBytes = 1; // 1 or 2
  int32_t significantBits = 8;
  uint8_t tiled = 0;
  int32_t tileWidth = 0;  // equals width when untiled
  int32_t tileHeight = 0; // equals height when untiled
  uint8_t hasExtraByte = 0;
  uint8_t extraByte = 0;
  uint8_t hasTag = 0;
  uint8_t tag[8] = {};
  const char* noteText = nullptr; // the caller's note; never written to the file
  int32_t noteLength = 0;
};

// The save options record handed from the options dialog to the WIF writer (nine 32-bit slots).
struct vuWifSaveOptions {
  int32_t quality = 50;
  int32_t constant = 6;
  int32_t reserved2 = 0;
  int32_t significantBits = 0; // 8..16 for 16-bit images, 0 otherwise
  int32_t fastMode = 0;
  int32_t reserved5 = 0;
  int32_t reserved6 = 0;
  int32_t viewAfterCompress = 0;
  int32_t largeImage = 0; // compress in 256 x 256 tiles
};
static_assert(sizeof(vuWifSaveOptions) == 36);

// Tile size used when the large-image option is set.
constexpr int kWifLargeImageTile = 256;
