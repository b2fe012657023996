// The Qt drawing target: bitmaps drawn on a QPainter (a window, a printer page, a picture). The
// bitmap is rendered by the library's renderer, so palette screens look the same as in the
// software target, and the result is painted at the destination.
#pragma once

#include <QPainter>
#include <QPrinter>
#include <memory>

#include "imagelib/vuDrawing.h"

class QtDeviceContext : public vuDeviceContext {
public:
  // A window or picture of the given size and colour depth; the painter may be null for a
  // context that only realises palettes.
  QtDeviceContext(QPainter* painter, int width, int height, int bitsPerPixel);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  bool DrawBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors, const uint8_t* rows,
                  const vuDrawRect& source, const vuDrawRect& destination, int flags) override;

protected:
  QPainter* painter_;
  int width_;
  int height_;
  int bitsPerPixel_;
  // Printers get the source at its own size and let the painter scale it, so a page never
  // needs a buffer of the page's size.
  bool scaleInPainter_ = false;
};

// A printer as a drawing target: a document of pages on a QPrinter (paper or a PDF file).
class QtPrinterContext : public QtDeviceContext {
public:
  // A printer already set up (dialog answered or file chosen); owned when `owned`.
  QtPrinterContext(QPrinter* printer, bool owned);
  ~QtPrinterContext() override;

  int SetStretchBltMode(int mode) override;
  int StartDoc(const char* documentName) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;

  QPrinter& Printer() { return *printer_; }

private:
  QPrinter* printer_;
  std::unique_ptr<QPrinter> owned_;
  QPainter page_;
  bool inDocument_ = false;
  bool pageStarted_ = false;
  int pages_ = 0;
  int stretchMode_ = 0;
};
