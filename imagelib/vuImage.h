// The raster object: one bitmap block (40-byte header, colour table, bottom-up rows padded to 4
// bytes, plus one spare row), an optional alternate block for the display, a display palette and
// the accessor for its pixel format.
//
// Ownership: the destructor releases nothing. Owners call Delete() before they drop an image (or
// hold it in a vuImageOwner, imagelib/vuImageOwner.h, which does so); conversions build a new
// block in a temporary image and move it into the target with Adopt. An image is never copied.
#pragma once

#include <cstdint>
#include <cstdio>

#include "imagelib/BitmapAccessor.h"
#include "imagelib/vuPlatform.h"
#include "imagelib/vuTypes.h"

class vuRWImage;
struct vuFileInfo;

// Root of the library's object hierarchy: only a virtual destructor.
class vuObject {
public:
  virtual ~vuObject() = default;
};

class vuImage : public vuObject {
public:
  vuImage() = default;
  explicit vuImage(const char* fileName);
  ~vuImage() override = default;
  // Two objects never share a block: move it explicitly with Adopt.
  vuImage(const vuImage&) = delete;
  vuImage& operator=(const vuImage&) = delete;

  // Storage.
  int AllocateBitmap(int width, int height, int colors, vuBMFormat format);
  int Create(int width, int height, int bitCount, int colors);
  void Delete();
  void FreeBitmap();
  // Releases this image's storage (as Delete) and takes over the bitmap block and format of
  // `from` with an accessor of its own; `from` is left empty (Deleted). sampleBits stays as it
  // is: the caller knows whether the new block holds the same samples.
  void Adopt(vuImage& from);

  // Queries (the image must hold a bitmap).
  int Width() const { return header->width; }
  int Height() const { return header->height; }
  int Depth() const { return header->bitCount; }
  int Colors() const { return static_cast<int>(header->colorsUsed); }
  CSize GetSize() const { return CSize{Width(), Height()}; }
  int IsGrayScale() const;
  int IsColorMapSorted() const;
  // Colour-table entries the block really holds (formats such as 32- and 48-bit colour may state
  // colours used without holding a table).
  int TableEntries() const;
  // Bytes from one row to the next.
  int Stride() const { return BitmapAccessor::Stride(Width(), Depth()); }
  // Row y (0 is the bottom line of the picture).
  uint8_t* Row(int y) const { return bits + static_cast<int64_t>(y) * Stride(); }

  // Single-pixel access.
  int GetColor(int x, int y, uint8_t* gray) const;
  int GetColor(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) const;
  int SetColor(int x, int y, uint8_t gray);
  int SetColor(int x, int y, uint8_t red, uint8_t green, uint8_t blue);
  void InitializePos();
  int StreamColor(uint8_t red, uint8_t green, uint8_t blue);
  int StreamColor(uint8_t gray);

  // Display palette.
  int CreateRGBPalette(int count, const vuRGBA* colors);

  // Colour-mode conversions and the alternate image.
  int MakeRGB();
  int Make24Bit();
  int MakeGS();
  int Make8Bit();
  int MakeGrayScale();
  int MakeLinearGray();
  int SwapRB();
  int ApplyColorMap();
  int Create8bitColor(int colors, vuColorReduction method);
  int CreateAlternateImage(vuBMFormat format);
  int CreateAlt16bitImage(int shift, int topBit);

  // Geometry.
  int Rotate(int angle);
  int Flip(int direction);
  int SubImage(vuImage* target, int x, int y, int width, int height);
  vuImage* SubImage(int x, int y, int width, int height);
  int ZoomImage(int newWidth, int newHeight);
  // Resamples the picture to the new size with a Lanczos-3 filter (8- and 16-bit grey, 24-, 32-
  // and 48-bit colour). 1; 0 without a picture or for a size below 1; -2 for the colour-table
  // formats, whose indexes cannot be mixed; -3 when memory runs out (the picture stays).
  int Resample(int newWidth, int newHeight);

  // Filters and tone.
  int Filter(int index);
  int Brightness(const vuRGBA* sourceTable, int amount);
  int Contrast(const vuRGBA* sourceTable, int amount);
  int InvertColor();

  // Files: type detection, readers and writers.
  int GetFileType(FILE* stream);
  int GetFileType(const char* fileName);
  vuRWImage* CreateRWImage(int type);
  int LoadImage(const char* fileName);
  int SaveImage(const char* fileName, int type);
  int SaveImage(const char* fileName, int type, void* options);
  int GetInfo(const char* fileName, vuFileInfo* info);
  void* GetInOptions(int type);
  void* GetOutOptions(int type);
  // The save-dialog filter list for this image's format: pairs of description and "*.EXT", each
  // NUL-terminated, ending with an extra NUL; the offered type numbers go to types[0..] (room for
  // at least 8). Null when the format has no save type. The caller releases it with delete[].
  char* BMFileTypes(int* types);

  vuBitmapInfoHeader* header = nullptr;
  vuRGBA* palette = nullptr;
  uint8_t* bits = nullptr;
  vuPaletteHandle hPalette = nullptr;
  vuBitmapInfoHeader* altHeader = nullptr;
  vuRGBA* altPalette = nullptr;
  uint8_t* altBits = nullptr;
  vuBMFormat format = BM_24BIT;
  BitmapAccessor* accessor = nullptr;
  int32_t dataSize = 0;
  int32_t streamX = 0;
  int32_t streamY = 0;
  int32_t sampleBits = 0;

private:
  // Moves a temporary's bitmap block into this image (after Delete) with a fresh accessor.
  void TakeOver(vuImage& temporary, vuBMFormat newFormat);
  // Moves a temporary's bitmap block into the alternate slots.
  void TakeOverAlternate(vuImage& temporary);
  // Moves a temporary's bitmap block (header, table, rows) into this image's main slots, whose
  // block must already be released; the temporary keeps everything else.
  void TakeBlock(vuImage& temporary);
  void AdvanceStream();
};

// Releases a bitmap block allocated by the accessors.
void vuFreeBitmapBlock(void* block);
