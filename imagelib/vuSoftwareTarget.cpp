#include "imagelib/vuSoftwareTarget.h"

#include <algorithm>

#include "imagelib/vuImage.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFFFFu;
}

vuSoftwareTarget::vuSoftwareTarget(int width, int height)
    : vuSoftwareTarget(width, height, vuPlatform().screen.bitsPerPixel) {}

vuSoftwareTarget::vuSoftwareTarget(int width, int height, int bitsPerPixel)
    : width_(std::clamp(width, 1, kMaxSide)), height_(std::clamp(height, 1, kMaxSide)),
      bitsPerPixel_(bitsPerPixel), pixels_(static_cast<size_t>(width_) * height_, kWhite) {}

bool vuSoftwareTarget::DrawBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors,
                                  const uint8_t* rows, const vuDrawRect& source,
                                  const vuDrawRect& destination, int flags) {
  ++drawCalls;
  lastDraw = DrawCall{header, source, destination, flags};
  const vuSystemPalette* screenPalette = bitsPerPixel_ <= 8 ? &vuPlatform().systemPalette : nullptr;
  return vuRenderBitmap(header, colors, rows, source, destination, screenPalette,
                        vuPixelBuffer{pixels_.data(), width_, height_, width_});
}

int vuSoftwareTarget::SetStretchBltMode(int mode) {
  int previous = stretchMode;
  stretchMode = mode;
  return previous;
}

int vuSoftwareTarget::StartDoc(const char* name) {
  if (inDocument) return -1;
  inDocument = true;
  documentName = name ? name : "";
  return 1;
}

int vuSoftwareTarget::StartPage() {
  if (!inDocument || inPage) return -1;
  inPage = true;
  Fill(kWhite);
  return 1;
}

int vuSoftwareTarget::EndPage() {
  if (!inPage) return -1;
  inPage = false;
  ++pagesPrinted;
  if (pageSink_) pageSink_->push_back(vuPrintedPage{documentName, width_, height_, pixels_});
  return 1;
}

int vuSoftwareTarget::EndDoc() {
  if (!inDocument || inPage) return -1;
  inDocument = false;
  return 1;
}

uint32_t vuSoftwareTarget::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void vuSoftwareTarget::Fill(uint32_t color) {
  std::fill(pixels_.begin(), pixels_.end(), color);
}

int vuSoftwareTarget::CopyToImage(vuImage& image) const {
  if (!image.AllocateBitmap(width_, height_, 0, BM_24BIT)) return 0;
  for (int y = 0; y < height_; ++y) {
    uint8_t* out = image.Row(height_ - 1 - y);
    const uint32_t* in = pixels_.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) {
      out[3 * x] = static_cast<uint8_t>(in[x]);
      out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
    }
  }
  return 1;
}
