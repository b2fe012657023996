#include "quantize/vuQuantizer.h"

#include <algorithm>
#include <new>

#include "imagelib/vuImage.h"
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

namespace {

int NormalisedColours(int colors) {
  // An 8-bit index cannot address more than 256 entries.
  return colors <= 0 || colors > 256 ? 256 : colors;
}

// The fast method always produces its full fixed table, whatever N is.
int TableEntriesFor(int colors, vuColorReduction method) {
  return method == CR_FAST_QUANT ? 256 : colors;
}

} // namespace

vuImage* vuQuantizer::Quantize(vuImage* sourceIn, int widthIn, int heightIn, int colors,
                               vuColorReduction methodIn) {
  auto* image = new (std::nothrow) vuImage;
  if (!image) return nullptr;
  if (!sourceIn || !sourceIn->header) return image;
  method = methodIn;
  colours = NormalisedColours(colors);
  // Never read past the source: a larger size than the source has is cut to the source's.
  width = std::min(widthIn, sourceIn->Width());
  height = std::min(heightIn, sourceIn->Height());
  if (!image->AllocateBitmap(width, height, TableEntriesFor(colours, methodIn), BM_8BIT_COLOR))
    return image;
  sourceImage = sourceIn;
  result = image;
  std::vector<uint8_t> converted;
  try {
    if (sourceIn->format == BM_24BIT) {
      source = sourceIn->bits;
      sourceStride = sourceIn->Stride();
    } else {
      // Other formats give their colours through the accessor, in the 24-bit row layout.
      sourceStride = (3 * int64_t(width) + 3) / 4 * 4;
      converted.resize(static_cast<size_t>(sourceStride * height));
      for (int y = 0; y < height; ++y) {
        uint8_t* row = converted.data() + y * sourceStride;
        for (int x = 0; x < width; ++x) {
          uint16_t pixel[4] = {0, 0, 0, 0};
          if (sourceIn->format == BM_16BIT_GRAY) {
            // Its colour is the whole 16-bit sample; the grey reading gives the top byte.
            sourceIn->accessor->GetGray(x, y, pixel);
            pixel[1] = pixel[2] = pixel[0];
          } else {
            sourceIn->accessor->GetRGB(x, y, pixel);
          }
          row[3 * x] = static_cast<uint8_t>(pixel[2]);
          row[3 * x + 1] = static_cast<uint8_t>(pixel[1]);
          row[3 * x + 2] = static_cast<uint8_t>(pixel[0]);
        }
      }
      source = converted.data();
    }
    Run();
  } catch (const std::bad_alloc&) {
    // The quantizer never fails the call: the result stays as far as it got.
  }
  source = nullptr;
  sourceImage = nullptr;
  result = nullptr;
  return image;
}

vuBMINFO* vuQuantizer::Quantize(const uint8_t* sourceRows, int widthIn, int heightIn, int colors,
                                vuColorReduction methodIn) {
  vuImage image;
  method = methodIn;
  colours = NormalisedColours(colors);
  image.Create(widthIn, heightIn, 8, TableEntriesFor(colours, methodIn));
  if (!image.header) {
    image.Delete();
    return nullptr;
  }
  width = widthIn;
  height = heightIn;
  source = sourceRows;
  sourceStride = (3 * int64_t(width) + 3) / 4 * 4;
  result = &image;
  if (sourceRows) {
    try {
      Run();
    } catch (const std::bad_alloc&) {
    }
  }
  source = nullptr;
  result = nullptr;
  // Hand out the block alone; the image object and its accessor go.
  vuBMINFO* block = image.header;
  image.header = nullptr;
  image.palette = nullptr;
  image.bits = nullptr;
  image.Delete();
  return block;
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

uint8_t* vuQuantizer::ResultRow(int y) const {
  return result->Row(y);
}
