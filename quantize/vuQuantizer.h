// Colour quantizer: reduces a 24-bit picture to an 8-bit picture with a colour table of at most N
// entries, by median cut with error diffusion, by median cut over the exact colours, or by a
// fixed 3-3-2 table.
//
// Axis k of a colour is byte k of a source pixel (blue, green, red for a 24-bit vuImage); table
// entries hold axis k in byte k, so they have the byte order of the source pixels.
//
// One object serves one Quantize call. Its big tables live on the heap, so the object itself is
// small enough for the stack.
//
// The quantizer works on bare rows (Reduce) and knows nothing of images. The two Quantize
// overloads that make images belong to the image model, which implements them on top of Reduce
// (quantize/vuImageQuantize.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imagelib/vuTypes.h"

class vuImage;

// The bitmap block handed out by the pixel-pointer overload of Quantize: the 40-byte header,
// followed by the colour table and the rows. Released with vuFreeBitmapBlock.
using vuBMINFO = vuBitmapInfoHeader;

class vuQuantizer {
public:
  vuQuantizer();
  ~vuQuantizer();
  vuQuantizer(const vuQuantizer&) = delete;
  vuQuantizer& operator=(const vuQuantizer&) = delete;

  // Reduces the picture of `source` (width x height of it; N <= 0 means 256) into a new
  // BM_8BIT_COLOR image owned by the caller (Delete it, then delete it). A source that is not
  // 24-bit is read through its accessor's colours. Returns the new image in every case, or null
  // only when not even the image object could be had; its header is null when the bitmap could
  // not be allocated.
  vuImage* Quantize(vuImage* source, int width, int height, int colors, vuColorReduction method);
  // The same for bare 24-bit rows, laid out as a vuImage lays them out (bottom-up, each row padded
  // to a multiple of 4 bytes). Returns the new image's bitmap block (header, colour table, padded
  // rows) for the caller to release with vuFreeBitmapBlock, or null when it could not be had.
  vuBMINFO* Quantize(const uint8_t* sourceRows, int width, int height, int colors,
                     vuColorReduction method);

  // The core on bare rows: reduces `height` rows of `width` 24-bit pixels, `sourceStride` bytes
  // apart, into 8-bit rows of `resultRows` (`resultStride` bytes apart) and their colour table
  // (room for TableEntriesFor(colors, method) entries). N <= 0 means 256. Quick dither (and an
  // unknown method) leaves the result as it is. Returns the number of colours made; when memory
  // runs short the result stays as far as it got.
  int Reduce(const uint8_t* sourceRows, int64_t sourceStride, int width, int height, int colors,
             vuColorReduction method, vuRGBA* table, uint8_t* resultRows, int64_t resultStride);
  // The colour count a request for N colours comes to (an 8-bit index addresses at most 256).
  static int NormalisedColours(int colors);
  // The table entries a result of N colours holds: the fast method always makes its full table.
  static int TableEntriesFor(int colors, vuColorReduction method);

  // How many colours the last run produced.
  int ColorsMade() const { return coloursMade; }

private:
  struct ColourBox;
  struct CandidateList;
  struct ColourHash;

  // Runs the chosen method from `source` into `result`.
  void Run();
  void MedianCut();
  void BestQuantization();
  void FastQuantization();

  // Median cut helpers.
  int64_t SliceCount(const ColourBox& box, int axis, int slice) const;
  void Shrink(ColourBox& box) const;
  void SplitBox(ColourBox* box);
  int NearestColour(int cell);
  const CandidateList& CellCandidates(int coarseCell);

  // The rounded share of weight/16 of an error in -256..255 (weight 1, 3, 5 or 7).
  int Share(int weight, int error) const { return diffusion[(weight / 2) * 512 + error + 256]; }
  // Loads source row y into a working row of 3 x width integers.
  void LoadRow(int y, std::vector<int>& row) const;
  const uint8_t* SourceRow(int y) const { return source + int64_t(y) * sourceStride; }
  uint8_t* ResultRow(int y) const { return resultRows + int64_t(y) * resultStride; }

  ColourBox* freeBoxes = nullptr;
  ColourBox* usedBoxes = nullptr;
  std::vector<std::unique_ptr<CandidateList>> cellLists; // 512 coarse cells
  int32_t method = CR_MEDIAN_CUT;
  int32_t width = 0;
  int32_t height = 0;
  const uint8_t* source = nullptr;
  int64_t sourceStride = 0;
  vuRGBA* resultTable = nullptr;
  uint8_t* resultRows = nullptr;
  int64_t resultStride = 0;
  int32_t colours = 256;
  std::vector<int32_t> diffusion; // 4 x 512 shares
  int32_t coloursMade = 0;
  std::vector<int32_t> histogram; // 32768 cells; later the inverse colour map
  std::vector<ColourBox> boxStorage;
  std::vector<int> tableAxes; // coloursMade x 3 axis values of the colour table (8-bit units)
};
