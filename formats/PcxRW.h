// PC Paintbrush files: 1, 2, 4 and 8 bits a plane with one to four planes, and 24-bit colour in
// three planes, run-length encoded; written as version 5 files (8-bit palette or 24-bit colour).
#pragma once

#include <vector>

#include "formats/vuRWImage.h"

// The 128-byte file header (the fields this system uses).
struct PcxHeader {
  int manufacturer = 0;
  int version = 0;
  int encoding = 0;
  int bitsPerPixel = 0; // per plane
  int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  uint8_t colorMap[48] = {}; // 16 entries red, green, blue
  int planes = 0;
  int bytesPerLine = 0; // per plane
};

class PcxRW : public vuRWImage {
public:
  explicit PcxRW(vuImage* image) : vuRWImage(image, 3, 3, "PCX", "Microsoft Paint Image") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;

  // Reads the header; false when the file ends inside it.
  bool ReadHeader(FILE* stream, PcxHeader* h) const;
  // Appends the run-length encoding of one plane line.
  static void EncodeLine(const uint8_t* line, int length, std::vector<uint8_t>* out);

private:
  // The next decoded byte, or -1 at the end of the data (runs cross plane and row ends).
  int NextByte(FILE* stream);

  // Line decoder state.
  bool encoded_ = true;
  int runCount_ = 0;
  int runValue_ = 0;
  bool ended_ = false;
};
