#include "app/QtDeviceContext.h"

#include <QImage>
#include <algorithm>

#include "imagelib/vuBitmapRender.h"
#include "imagelib/vuPlatform.h"

QtDeviceContext::QtDeviceContext(QPainter* painter, int width, int height, int bitsPerPixel)
    : painter_(painter), width_(width), height_(height), bitsPerPixel_(bitsPerPixel) {}

bool QtDeviceContext::DrawBitmap(const vuBitmapInfoHeader& header, const vuRGBA* colors,
                                 const uint8_t* rows, const vuDrawRect& source,
                                 const vuDrawRect& destination, int flags) {
  (void)flags;
  if (!painter_ || source.width <= 0 || source.height <= 0 || destination.width <= 0 ||
      destination.height <= 0)
    return false;
  const vuSystemPalette* screenPalette = bitsPerPixel_ <= 8 ? &vuPlatform().systemPalette : nullptr;

  if (scaleInPainter_) {
    QImage picture(source.width, source.height, QImage::Format_RGB32);
    if (picture.isNull()) return false;
    picture.fill(Qt::white);
    vuPixelBuffer buffer{reinterpret_cast<uint32_t*>(picture.bits()), picture.width(),
                         picture.height(), int(picture.bytesPerLine() / 4)};
    vuDrawRect whole{0, 0, source.width, source.height};
    if (!vuRenderBitmap(header, colors, rows, source, whole, screenPalette, buffer)) return false;
    painter_->drawImage(QRect(destination.x, destination.y, destination.width, destination.height),
                        picture);
    return true;
  }

  // Only the part of the destination inside the device is rendered: a zoomed view never needs a
  // buffer larger than its window.
  QRect visible = QRect(destination.x, destination.y, destination.width, destination.height)
                      .intersected(QRect(0, 0, width_, height_));
  if (visible.isEmpty()) return false;
  QImage picture(visible.size(), QImage::Format_ARGB32_Premultiplied);
  if (picture.isNull()) return false;
  picture.fill(Qt::transparent); // what the bitmap does not cover stays as the window has it
  vuPixelBuffer buffer{reinterpret_cast<uint32_t*>(picture.bits()), picture.width(),
                       picture.height(), int(picture.bytesPerLine() / 4)};
  vuDrawRect shifted{destination.x - visible.x(), destination.y - visible.y(), destination.width,
                     destination.height};
  if (!vuRenderBitmap(header, colors, rows, source, shifted, screenPalette, buffer)) return false;
  painter_->drawImage(visible.topLeft(), picture);
  return true;
}

QtPrinterContext::QtPrinterContext(QPrinter* printer, bool owned)
    : QtDeviceContext(nullptr, printer->width(), printer->height(), 24), printer_(printer) {
  if (owned) owned_.reset(printer);
  scaleInPainter_ = true;
}

QtPrinterContext::~QtPrinterContext() {
  if (inDocument_) EndDoc();
}

int QtPrinterContext::SetStretchBltMode(int mode) {
  // Every mode is served alike: the painter never smooths a scaled bitmap (set when the
  // document starts), which keeps thin black lines on white paper.
  int previous = stretchMode_;
  stretchMode_ = mode;
  return previous;
}

int QtPrinterContext::StartDoc(const char* documentName) {
  if (inDocument_) return -1;
  printer_->setDocName(QString::fromUtf8(documentName ? documentName : ""));
  if (!page_.begin(printer_)) return -1;
  page_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter_ = &page_;
  width_ = printer_->width();
  height_ = printer_->height();
  inDocument_ = true;
  pages_ = 0;
  return 1;
}

int QtPrinterContext::StartPage() {
  if (!inDocument_ || pageStarted_) return -1;
  // The painter opened the first page; every further one is asked for.
  if (pages_ > 0 && !printer_->newPage()) return -1;
  pageStarted_ = true;
  return 1;
}

int QtPrinterContext::EndPage() {
  if (!pageStarted_) return -1;
  pageStarted_ = false;
  ++pages_;
  return 1;
}

int QtPrinterContext::EndDoc() {
  if (!inDocument_) return -1;
  inDocument_ = false;
  pageStarted_ = false;
  painter_ = nullptr;
  return page_.end() ? 1 : -1;
}
