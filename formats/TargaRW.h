// Targa files: colour-mapped, true-colour (16, 24, 32 bits) and grey, uncompressed or run-length
// encoded, in any row order; written as uncompressed 24-bit true colour.
#pragma once

#include <vector>

#include "formats/vuRWImage.h"

// The 18-byte file header, in file order.
struct TargaHeader {
  int idLength = 0;
  int colorMapType = 0;
  int imageType = 0;
  int colorMapOrigin = 0;
  int colorMapLength = 0;
  int colorMapEntrySize = 0;
  int xOrigin = 0;
  int yOrigin = 0;
  int width = 0;
  int height = 0;
  int pixelDepth = 0;
  int descriptor = 0;
};

class TargaRW : public vuRWImage {
public:
  explicit TargaRW(vuImage* image)
      : vuRWImage(image, 8, 3, "TGA|VST", "Targa Image|True-Vista Image") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;

  // Reads the header; false when the file ends inside it.
  bool ReadHeader(FILE* stream, TargaHeader* h) const;

private:
  int ReadPixels(FILE* stream, const TargaHeader& h);
  // One pixel's bytes into `pixel` (bytes-per-pixel of them); false at the end of the data.
  bool NextPixel(FILE* stream, uint8_t* pixel);

  // Reader state.
  bool colorMapped_ = false;
  bool runLength_ = false;
  int bytesPerPixel_ = 0;
  int packetLeft_ = 0; // pixels left in the current packet
  bool packetIsRun_ = false;
  uint8_t runPixel_[4] = {0, 0, 0, 0};
};
