// A drawing target that renders into a 32-bit pixel buffer: the window of tests and test hosts,
// and the page of their printers.
//
// Contracts:
// - The buffer is width x height pixels 0xFFRRGGBB, top row first, white when made. Drawing
//   follows vuDrawing.h; a target of 8 bits per pixel or fewer shows colours through the system
//   palette of the installed platform services as it is at the time of drawing.
// - As a printer: StartDoc names the document, StartPage clears the page to white, EndPage hands a
//   copy of the page to the page sink (when one is set), EndDoc ends the document. Calls out of
//   order fail (return <= 0) and change nothing.
// - The last draw call is kept (header, rectangles, flags), so callers can check what was asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/vuBitmapRender.h"
#include "imagelib/vuDrawing.h"
#include "imagelib/vuPlatform.h"

class vuImage;

class vuSoftwareTarget : public vuDeviceContext {
public:
  // A buffer of the given size (each side kept within 1 .. kMaxSide) with the screen's depth
  // unless another is given.
  static constexpr int kMaxSide = 16384;
  vuSoftwareTarget(int width, int height);
  vuSoftwareTarget(int width, int height, int bitsPerPixel);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  bool DrawBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors, const uint8_t* rows,
                  const vuDrawRect& source, const vuDrawRect& destination, int flags) override;

  int SetStretchBltMode(int mode) override;
  int StartDoc(const char* documentName) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;

  // The pixels, top row first.
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  // Pixel (x, y), y counted from the top; 0 outside the buffer.
  uint32_t Pixel(int x, int y) const;
  void Fill(uint32_t color);
  // The buffer as a 24-bit image (bottom row first, as images keep it). 1, or 0 when memory runs
  // out.
  int CopyToImage(vuImage& image) const;

  // Where finished pages go (not owned; null: nowhere).
  void SetPageSink(std::vector<vuPrintedPage>* sink) { pageSink_ = sink; }

  // Printing state.
  std::string documentName;
  bool inDocument = false;
  bool inPage = false;
  int pagesPrinted = 0;
  int stretchMode = 0;

  // The last draw call.
  struct DrawCall {
    vuBitmapInfoHeader header;
    vuDrawRect source;
    vuDrawRect destination;
    int flags;
  };
  int drawCalls = 0;
  DrawCall lastDraw{};

private:
  int width_;
  int height_;
  int bitsPerPixel_;
  std::vector<uint32_t> pixels_;
  std::vector<vuPrintedPage>* pageSink_ = nullptr;
};
