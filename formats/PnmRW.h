// Binary portable grey maps (P5) and pixel maps (P6), 8- and 16-bit samples.
#pragma once

#include "formats/vuRWImage.h"

// Reads the two magic characters and the width, height and maximum value; -1 when a number meets
// the end of the file, else 0.
int ReadPNMHeader(FILE* stream, char* magic, int* width, int* height, int* maxval);
// The next decimal number, skipping other characters and "#" comments; -1 at the end of the file.
int ReadPNMInt(FILE* stream);

class PgmRW : public vuRWImage {
public:
  explicit PgmRW(vuImage* image) : vuRWImage(image, 5, 3, "PGM", "Portable Gray Map") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;
};

class PpmRW : public PgmRW {
public:
  explicit PpmRW(vuImage* image) : PgmRW(image) {
    typeId = 4;
    extensions = "PPM";
    description = "Portable Pixel Map";
  }
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
};
