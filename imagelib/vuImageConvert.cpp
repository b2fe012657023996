// Colour-mode conversions and the alternate (display) image.
#include <array>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"

namespace {

// Weighted grey of a colour: each product truncated on its own, the sum kept in 8 bits.
struct GreyWeights {
  std::array<uint8_t, 256> red, green, blue;
  GreyWeights() {
    for (int v = 0; v < 256; ++v) {
      red[v] = static_cast<uint8_t>(0.299 * v);
      green[v] = static_cast<uint8_t>(0.587 * v);
      blue[v] = static_cast<uint8_t>(0.114 * v);
    }
  }
  uint8_t operator()(uint8_t r, uint8_t g, uint8_t b) const {
    return static_cast<uint8_t>(red[r] + green[g] + blue[b]);
  }
};
const GreyWeights kGrey;

// The colour a pixel index stands for. Indexes past the table would read outside it: grey images
// take the index as its grey level, palette images black.
vuRGBA TableEntry(const vuImage& image, int index) {
  if (index < image.Colors()) return image.palette[index];
  uint8_t v = image.format == BM_8BIT_GRAY ? static_cast<uint8_t>(index) : 0;
  return vuRGBA{v, v, v, 0};
}

// Runs `transfer(x, y)` over every pixel, rows from the bottom up.
template <typename Transfer> void ForEachPixel(int width, int height, Transfer transfer) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      transfer(x, y);
  }
}

} // namespace

int vuImage::MakeRGB() {
  if (format == BM_24BIT) return -8;
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(Width(), Height(), 0, BM_24BIT)) return -3;
  ForEachPixel(Width(), Height(), [&](int x, int y) {
    uint16_t pixel[4] = {0, 0, 0, 0};
    accessor->GetRGB(x, y, pixel);
    temporary.accessor->SetRaw(x, y, pixel);
  });
  TakeOver(temporary, BM_24BIT);
  return 1;
}

int vuImage::Make24Bit() {
  MakeRGB();
  return 1;
}

int vuImage::MakeGS() {
  if (format == BM_8BIT_GRAY) return -8;
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(Width(), Height(), 256, BM_8BIT_GRAY)) return -3;
  ForEachPixel(Width(), Height(), [&](int x, int y) {
    uint16_t pixel[4] = {0, 0, 0, 0};
    accessor->GetGray(x, y, pixel);
    temporary.accessor->SetRaw(x, y, pixel);
  });
  TakeOver(temporary, BM_8BIT_GRAY);
  return 1;
}

int vuImage::Make8Bit() {
  if (Depth() != 24) return -1;
  vuImageOwner temporary;
  temporary.Create(Width(), Height(), 8, 256);
  if (!temporary.header) return -3;
  for (int y = 0; y < Height(); ++y) {
    const uint8_t* source = Row(y);
    uint8_t* target = temporary.Row(y);
    for (int x = 0; x < Width(); ++x, source += 3)
      target[x] = kGrey(source[2], source[1], source[0]);
  }
  TakeOver(temporary, BM_8BIT_GRAY);
  return 1;
}

int vuImage::MakeGrayScale() {
  if (Depth() != 8) return -1;
  std::array<uint8_t, 256> grey;
  for (int i = 0; i < 256; ++i) {
    vuRGBA c = TableEntry(*this, i);
    grey[i] = kGrey(c.red, c.green, c.blue);
  }
  for (int y = 0; y < Height(); ++y) {
    uint8_t* row = Row(y);
    for (int x = 0; x < Width(); ++x)
      row[x] = grey[row[x]];
  }
  for (int k = 0; k < Colors(); ++k) {
    uint8_t v = static_cast<uint8_t>(k);
    palette[k] = vuRGBA{v, v, v, 0};
  }
  return 1;
}

int vuImage::MakeLinearGray() {
  if (Depth() != 8) return -8;
  vuImageOwner temporary;
  temporary.Create(Width(), Height(), 8, 256);
  if (!temporary.header) return -3;
  std::array<uint8_t, 256> red;
  for (int i = 0; i < 256; ++i)
    red[i] = TableEntry(*this, i).red;
  for (int y = 0; y < Height(); ++y) {
    const uint8_t* source = Row(y);
    uint8_t* target = temporary.Row(y);
    for (int x = 0; x < Width(); ++x)
      target[x] = red[source[x]];
  }
  TakeOver(temporary, format);
  return 1;
}

int vuImage::SwapRB() {
  if (Depth() != 24) return -1;
  ForEachPixel(Width(), Height(), [&](int x, int y) {
    uint8_t r, g, b;
    GetColor(x, y, &r, &g, &b);
    SetColor(x, y, b, g, r);
  });
  return 1;
}

int vuImage::ApplyColorMap() {
  if (IsGrayScale()) {
    if (Depth() == 8) {
      std::array<uint8_t, 256> red;
      for (int i = 0; i < 256; ++i)
        red[i] = TableEntry(*this, i).red;
      for (int y = 0; y < Height(); ++y) {
        uint8_t* row = Row(y);
        for (int x = 0; x < Width(); ++x)
          row[x] = red[row[x]];
      }
    }
    for (int k = 0; k < Colors(); ++k) {
      uint8_t v = static_cast<uint8_t>(k);
      palette[k] = vuRGBA{v, v, v, 0};
    }
    return 1;
  }
  // A 24-bit image uses a full table as three per-channel lookup tables. Without one there is
  // nothing to apply (reading 256 entries would read the pixel rows instead).
  if (Depth() == 24 && Colors() >= 256) {
    ForEachPixel(Width(), Height(), [&](int x, int y) {
      uint8_t r, g, b;
      GetColor(x, y, &r, &g, &b);
      SetColor(x, y, palette[r].red, palette[g].green, palette[b].blue);
    });
  }
  return 1;
}

int vuImage::CreateAlternateImage(vuBMFormat altFormat) {
  if (altFormat == BM_8BIT_COLOR) {
    int made = Create8bitColor(256, CR_MEDIAN_CUT);
    if (made) CreateRGBPalette(256, altPalette);
    return made;
  }
  vuImageOwner temporary;
  int colors = altFormat == BM_24BIT ? Colors() : (altFormat == BM_8BIT_GRAY ? 256 : 0);
  if (!temporary.AllocateBitmap(Width(), Height(), colors, altFormat)) return 0;
  ForEachPixel(Width(), Height(), [&](int x, int y) {
    uint16_t pixel[4] = {0, 0, 0, 0};
    if (altFormat == BM_24BIT)
      accessor->GetRGB(x, y, pixel);
    else if (altFormat == BM_8BIT_GRAY)
      accessor->GetGray(x, y, pixel);
    else
      accessor->GetRaw(x, y, pixel);
    temporary.accessor->SetRaw(x, y, pixel);
  });
  TakeOverAlternate(temporary);
  if (altFormat == BM_8BIT_GRAY) CreateRGBPalette(256, altPalette);
  return 1;
}

int vuImage::CreateAlt16bitImage(int shift, int topBit) {
  (void)topBit; // the window is given by the shift alone
  vuBMFormat altFormat;
  if (format == BM_48BIT)
    altFormat = BM_24BIT;
  else if (format == BM_16BIT_GRAY)
    altFormat = BM_8BIT_GRAY;
  else
    return -2;
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(Width(), Height(), altFormat == BM_24BIT ? Colors() : 256,
                                altFormat)) {
    return 0;
  }
  int samples = altFormat == BM_24BIT ? 3 : 1;
  shift &= 31;
  ForEachPixel(Width(), Height(), [&](int x, int y) {
    uint16_t pixel[4] = {0, 0, 0, 0};
    accessor->GetRaw(x, y, pixel);
    for (int k = 0; k < samples; ++k)
      pixel[k] = static_cast<uint16_t>(pixel[k] >> shift);
    temporary.accessor->SetRaw(x, y, pixel);
  });
  TakeOverAlternate(temporary);
  if (altFormat == BM_8BIT_GRAY) CreateRGBPalette(256, altPalette);
  return 1;
}
