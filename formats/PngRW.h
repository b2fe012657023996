// Portable Network Graphics through libpng: every colour type and depth read (transparency
// composited on white, 16-bit samples kept), 1-, 4-, 8-, 16-, 24-, 32- and 48-bit images written.
#pragma once

#include "formats/vuRWImage.h"

class PngRW : public vuRWImage {
public:
  explicit PngRW(vuImage* image) : vuRWImage(image, 13, 3, "PNG", "Portable Network Graphics") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;
};
