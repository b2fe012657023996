#include "quantize/vuQuantizer.h"

#include <algorithm>
#include <new>

#include "quantize/vuQuantizerParts.h"

vuQuantizer::vuQuantizer() {
  // The diffusion shares of weights 1, 3, 5 and 7 for every error the methods can meet; rounded
  // half away from zero so that positive and negative errors spread alike.
  try {
    diffusion.resize(4 * 512);
  } catch (const std::bad_alloc&) {
    return; // Run() sees the empty table and leaves the result as allocated
  }
  for (int w = 0; w < 4; ++w) {
    int weight = 2 * w + 1;
    for (int e = -256; e < 256; ++e) {
      int share = e >= 0 ? (weight * e + 8) / 16 : -((weight * -e + 8) / 16);
      diffusion[w * 512 + e + 256] = share;
    }
  }
}

vuQuantizer::~vuQuantizer() = default;

int vuQuantizer::NormalisedColours(int colors) {
  return colors <= 0 || colors > 256 ? 256 : colors;
}

int vuQuantizer::TableEntriesFor(int colors, vuColorReduction method) {
  return method == CR_FAST_QUANT ? 256 : colors;
}

int vuQuantizer::Reduce(const uint8_t* sourceRows, int64_t sourceStrideIn, int widthIn,
                        int heightIn, int colors, vuColorReduction methodIn, vuRGBA* table,
                        uint8_t* resultRowsIn, int64_t resultStrideIn) {
  method = methodIn;
  colours = NormalisedColours(colors);
  width = widthIn;
  height = heightIn;
  source = sourceRows;
  sourceStride = sourceStrideIn;
  resultTable = table;
  resultRows = resultRowsIn;
  resultStride = resultStrideIn;
  coloursMade = 0;
  if (sourceRows && table && resultRowsIn && width > 0 && height > 0) {
    try {
      Run();
    } catch (const std::bad_alloc&) {
      // The quantizer never fails the call: the result stays as far as it got.
    }
  }
  source = nullptr;
  resultTable = nullptr;
  resultRows = nullptr;
  return coloursMade;
}

void vuQuantizer::Run() {
  coloursMade = 0;
  if (diffusion.empty()) return;
  switch (method) {
  case CR_MEDIAN_CUT:
    MedianCut();
    break;
  case CR_BEST_QUANT:
    BestQuantization();
    break;
  case CR_FAST_QUANT:
    FastQuantization();
    break;
  default: // CR_QUICK_DITHER and unknown values: the result stays as allocated
    break;
  }
}

void vuQuantizer::LoadRow(int y, std::vector<int>& row) const {
  const uint8_t* p = SourceRow(y);
  for (int i = 0; i < 3 * width; ++i)
    row[i] = p[i];
}
