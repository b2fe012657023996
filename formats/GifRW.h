// GIF files (87a and 89a): the first image, decoded into an 8-bit palette image. Read only.
#pragma once

#include <array>

#include "formats/vuRWImage.h"

class GifRW : public vuRWImage {
public:
  explicit GifRW(vuImage* image) : vuRWImage(image, 11, 1, "GIF", "Graphics Interchange Format") {}
  int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
           uint8_t** bits, void* options) override;
  // GIF is never written: always -1, and no file is made.
  int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette, uint8_t* bits,
            void* options) override;
  int GetInfo(const char* fileName, vuFileInfo* info) override;

  // Graphic-control facts of the last control extension (kept, but they do not change the
  // picture).
  int transparent = -1;
  int delayTime = -1;
  int inputFlag = -1;
  int disposal = 0;
  // Shows the text of comment extensions when set.
  bool showComment = false;

private:
  static constexpr int kMaxCodes = 4096;
  static constexpr int kStackSize = 8192;

  // One data sub-block into `buffer` (room for 255 bytes): its length, 0 for the terminator, -1
  // when the file ends.
  int GetDataBlock(FILE* stream, uint8_t* buffer);
  // Skips sub-blocks up to the terminator; -1 when the file ends first.
  int SkipDataBlocks(FILE* stream, bool* hadData = nullptr);
  int DoExtension(FILE* stream, int label);
  // The next code, least significant bit first across sub-blocks; -1 when the data ends.
  int GetCode(FILE* stream);
  void InitDecoder(int minimumCodeSize);
  // The first code of a fresh table (leading clear codes skipped).
  int ReadFirstCode(FILE* stream);
  // The next pixel value; -2 at the end code, -1 on an error.
  int NextPixel(FILE* stream);
  // Decodes the rows in file order; `rowsRead` counts the whole ones. 0 when every row came, or
  // the negative result of the decoder that stopped early.
  int ReadRaster(FILE* stream, int width, int height, bool interlaced, int colors, int* rowsRead);

  // Set when the last data sub-block read was the terminator.
  bool zeroDataBlock_ = false;

  // LZW decoder state, one per reader object.
  int minimumCodeSize_ = 0;
  int codeSize_ = 0;
  int clearCode_ = 0;
  int endCode_ = 0;
  int maxCodeSize_ = 0; // the code that makes the code size grow
  int nextCode_ = 0;    // next free table entry
  int firstCode_ = 0;
  int oldCode_ = 0;
  bool fresh_ = true;
  std::array<uint16_t, kMaxCodes> prefix_{};
  std::array<uint8_t, kMaxCodes> suffix_{};
  std::array<uint8_t, kStackSize> stack_{};
  int stackTop_ = 0;

  // Bit reader over the sub-blocks.
  std::array<uint8_t, 256> block_{};
  int blockLength_ = 0;
  int blockPosition_ = 0;
  uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  bool done_ = false;
};
