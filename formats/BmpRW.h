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
  // Run-length decoders; they return the bytes consumed and never write outside the bitmap.
  int64_t ReadRle8(FILE* stream);
  int64_t ReadRle4(FILE* stream);
};
