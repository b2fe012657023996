// JPEG files through libjpeg: grey, colour and CMYK/YCCK read; grey and colour written.
#pragma once

#include <cstdint>

#include "formats/vuRWImage.h"

// What the "JPEG Save Options" dialog fills in and the writer takes.
struct vuJpegSaveOptions {
  int32_t quality = 80; // 1 (smallest file) .. 100 (best picture)
  int32_t reserved = 6; // set by the dialog, read by nobody
};

class JpegRW : public vuRWImage {
public:
  explicit JpegRW(vuImage* image) : vuRWImage(image, 12, 3, "JPG", "JPEG") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  // `options`: a vuJpegSaveOptions, or null for quality 80.
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;
  // The platform's quality dialog: a new vuJpegSaveOptions (quality kept to 1..100), or null
  // when cancelled.
  void* GetOutOptions(int type) override;
  void FreeOutOptions(void* options) override;
};
