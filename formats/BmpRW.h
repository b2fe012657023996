// Windows bitmap files: 1-, 4-, 8-, 24- and 32-bit, uncompressed or run-length encoded.
#pragma once

#include "formats/vuRWImage.h"

class BmpRW : public vuRWImage {
public:
  explicit BmpRW(vuImage* image)
      : vuRWImage(image, 2, 3, "BMP|DIB", "Windows Bitmap )|Device Independent Bitmap ") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;

private:
  // The 8- and 4-bit run-length decoder; returns the bytes consumed.
  int64_t ReadRunLength(FILE* stream, int bitsPerPixel);
};
