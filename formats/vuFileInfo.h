// What a reader reports about a file without decoding it, and the size of an open file: the
// small part of the file framework that the codecs' glue needs as well.
#pragma once

#include <cstdint>
#include <cstdio>

// What a reader tells about a file without decoding its pixels.
struct vuFileInfo {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t bitsPerPixel = 0; // 1, 4, 8, 16, 24, 32 or 48 as the file says
  uint32_t fileSize = 0;
};

// The size of an open file in bytes (the position is restored), or -1.
int64_t vuFileSize(FILE* stream);
