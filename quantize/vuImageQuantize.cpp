// The image-level entry points of the quantizer: the quantizer's overloads that make images, and
// the image's own 8-bit colour copy. They sit above both the image model and the quantizer's core
// and hand the core the rows.
#include <algorithm>
#include <new>
#include <vector>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"
#include "quantize/vuQuantizer.h"

vuImage* vuQuantizer::Quantize(vuImage* sourceIn, int widthIn, int heightIn, int colors,
                               vuColorReduction methodIn) {
  auto* image = new (std::nothrow) vuImage;
  if (!image) return nullptr;
  if (!sourceIn || !sourceIn->header) return image;
  // Never read past the source: a larger size than the source has is cut to the source's.
  const int w = std::min(widthIn, sourceIn->Width());
  const int h = std::min(heightIn, sourceIn->Height());
  const int entries = TableEntriesFor(NormalisedColours(colors), methodIn);
  if (!image->AllocateBitmap(w, h, entries, BM_8BIT_COLOR)) return image;
  if (sourceIn->format == BM_24BIT) {
    Reduce(sourceIn->bits, sourceIn->Stride(), w, h, colors, methodIn, image->palette,
           image->bits, image->Stride());
    return image;
  }
  // Other formats give their colours through the accessor, in the 24-bit row layout.
  const int64_t stride = (3 * int64_t(w) + 3) / 4 * 4;
  std::vector<uint8_t> converted;
  try {
    converted.resize(static_cast<size_t>(stride * h));
  } catch (const std::bad_alloc&) {
    return image; // as allocated, like any run that memory cut short
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* row = converted.data() + y * stride;
    for (int x = 0; x < w; ++x) {
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
  Reduce(converted.data(), stride, w, h, colors, methodIn, image->palette, image->bits,
         image->Stride());
  return image;
}

vuBMINFO* vuQuantizer::Quantize(const uint8_t* sourceRows, int widthIn, int heightIn, int colors,
                                vuColorReduction methodIn) {
  vuImageOwner image;
  image.Create(widthIn, heightIn, 8, TableEntriesFor(NormalisedColours(colors), methodIn));
  if (!image.header) return nullptr;
  Reduce(sourceRows, (3 * int64_t(widthIn) + 3) / 4 * 4, widthIn, heightIn, colors, methodIn,
         image.palette, image.bits, image.Stride());
  // Hand out the block alone; the image object and its accessor go.
  vuBMINFO* block = image.header;
  image.header = nullptr;
  image.palette = nullptr;
  image.bits = nullptr;
  return block;
}

int vuImage::Create8bitColor(int colors, vuColorReduction method) {
  if (!header) return 0;
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(this, Width(), Height(), colors, method));
  if (!reduced || !reduced->header) return 0;
  TakeOverAlternate(*reduced);
  return 1;
}
