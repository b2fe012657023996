// Tagged image files through libtiff: 1-, 8-, 16-, 24- and 48-bit strips read by scanline, every
// other layout libtiff can decode through its RGBA interface; written as uncompressed strips.
#pragma once

#include "formats/vuRWImage.h"

class TiffRW : public vuRWImage {
public:
  explicit TiffRW(vuImage* image) : vuRWImage(image, 7, 3, "TIF", "Tagged Image File Format") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;
};
