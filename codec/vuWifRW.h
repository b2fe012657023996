// The WIF reader and writer: version-2 files through the WIF2 encoder and decoder, bound to the
// image's own pixel rows (row 0, the bottom line of the picture, is the first row of the file).
#pragma once

#include <cstdio>

#include "codec/wif2/vuWifParams.h"
#include "formats/vuRWImage.h"

class vuWifRW : public vuRWImage {
public:
  explicit vuWifRW(vuImage* image)
      : vuRWImage(image, 1, 3, "WIF|VUW", "VU Wavelet Image File|Tessary Wavelet") {}

  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  // `options` is a vuWifSaveOptions record; null writes with the defaults (quality 50).
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;
  // The save-options dialog through the platform layer; null when cancelled (always, headless).
  void* GetOutOptions(int type) override;
  void FreeOutOptions(void* options) override;

private:
  // Files of the older generation (every WIF file that does not start with "WIF2").
  int ReadClassic(FILE* stream, int* count);
  int GetInfoClassic(FILE* stream, vuFileInfo* info);
};

// Encodes an image into WIF2 bytes with the given options, the way Write does (an untiled image
// whose single chunk would be too long is coded in tiles). Returns 0 or -1 (the reason went to the
// platform's message box).
int vuWifEncodeImage(const vuImage& image, const vuWifSaveOptions& options,
                     std::vector<uint8_t>* out);
