#include "app/CTOVRAView.h"

#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"
#include "app/CTOVRADoc.h"
#include "app/Cursors.h"
#include "app/QtDeviceContext.h"
#include "app/StatusValues.h"
#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"

CTOVRAView::CTOVRAView(CTOVRADoc& document, CMainFrame& frame, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), frame_(frame) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setAutoFillBackground(false);
  viewport()->setMouseTracking(false);
  UpdateCursor();
}

CTOVRAView::~CTOVRAView() {
  CTOVRAApp& app = frame_.App();
  if (app.activeView == this) app.activeView = nullptr;
  if (document_.view == this) document_.view = nullptr;
}

int CTOVRAView::ImageWidth() const {
  return document_.image && document_.image->header ? document_.image->Width() : 0;
}

int CTOVRAView::ImageHeight() const {
  return document_.image && document_.image->header ? document_.image->Height() : 0;
}

void CTOVRAView::OnInitialUpdate() {
  CTOVRAApp& app = frame_.App();
  if (app.activeView && app.activeView != this) app.activeView->foreground = 0;
  document_.view = this;
  zoom_.keyStep = 10;
  SizeFrame();
  app.activeView = this;
  foreground = 1;
  RealizePalette(false);
  WriteStatusValues();
}

void CTOVRAView::SizeFrame() {
  int width = ImageWidth(), height = ImageHeight();
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (sub && width > 0) {
    // The frame's outer size for a client area of the image's size.
    QSize border = sub->size() - size();
    QSize client = frame_.MdiClientSize();
    FramePlacement placement =
        ComputeFramePlacement(width + border.width(), height + border.height(), client.width(),
                              client.height(), frame_.statusBar()->isVisible());
    sub->resize(placement.width, placement.height);
    if (placement.moveToOrigin) sub->move(0, 0);
  }
  zoom_.SetScrollSizes(width, height);
  ApplyScrollState();
}

void CTOVRAView::ResetPanZoom() {
  zoom_.ResetPanZoom(ImageWidth(), ImageHeight());
  SizeFrame();
  viewport()->update();
}

void CTOVRAView::ResetZoom() {
  zoom_.Reset(ImageWidth(), ImageHeight());
  ApplyScrollState();
  // The frame fits the image exactly, larger or smaller than before.
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    QSize border = sub->size() - size();
    sub->resize(ImageWidth() + border.width(), ImageHeight() + border.height());
  }
  viewport()->update();
}

void CTOVRAView::ApplyScrollState() {
  applyingScroll_ = true;
  Qt::ScrollBarPolicy policy =
      zoom_.scrollBarsHidden ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
  // When the picture fits the whole area no scroll bar is needed, though one may still be shown
  // and take room from the page.
  QSize page = viewport()->size();
  if (ZoomState::ScrollLimit(zoom_.rangeX, width()) == 0 &&
      ZoomState::ScrollLimit(zoom_.rangeY, height()) == 0)
    page = size();
  QScrollBar* horizontal = horizontalScrollBar();
  QScrollBar* vertical = verticalScrollBar();
  horizontal->setRange(0, ZoomState::ScrollLimit(zoom_.rangeX, page.width()));
  horizontal->setPageStep(std::max(1, page.width()));
  horizontal->setSingleStep(std::max(1, zoom_.totalWidth / 100));
  vertical->setRange(0, ZoomState::ScrollLimit(zoom_.rangeY, page.height()));
  vertical->setPageStep(std::max(1, page.height()));
  vertical->setSingleStep(std::max(1, zoom_.totalHeight / 100));
  // The scroll bars clamp the position to what a page of this size can reach.
  horizontal->setValue(zoom_.scrollX);
  vertical->setValue(zoom_.scrollY);
  zoom_.scrollX = horizontal->value();
  zoom_.scrollY = vertical->value();
  applyingScroll_ = false;
}

void CTOVRAView::scrollContentsBy(int, int) {
  if (applyingScroll_) return;
  zoom_.scrollX = horizontalScrollBar()->value();
  zoom_.scrollY = verticalScrollBar()->value();
  viewport()->update();
}

void CTOVRAView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ApplyScrollState();
}

void CTOVRAView::Activate() {
  CTOVRAApp& app = frame_.App();
  if (app.activeView == this) return;
  if (app.activeView) app.activeView->foreground = 0;
  app.activeView = this;
  foreground = 1;
  RealizePalette(false);
  viewport()->update();
  WriteStatusValues();
  frame_.UpdateCommandUI();
}

void CTOVRAView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  Activate();
}

void CTOVRAView::moveEvent(QMoveEvent* event) {
  QAbstractScrollArea::moveEvent(event);
  RealizePalette(frame_.App().activeView != this);
}

void CTOVRAView::OnPaletteRequest(QObject* sender) {
  bool own = sender == this || sender == viewport();
  int changed = RealizePalette(!own);
  // A palette screen shows this image through the system palette, which the sender just
  // changed: redraw it even though its own realisation changed nothing.
  if (!own && changed == 0 && vuPlatform().screen.bitsPerPixel <= 8) viewport()->update();
}

int CTOVRAView::RealizePalette(bool background) {
  if (!document_.image) return 0;
  QtDeviceContext context(nullptr, viewport()->width(), viewport()->height(),
                          vuPlatform().screen.bitsPerPixel);
  int changed = vuDrawDibRealize(document_.image->hDrawDib, &context, background);
  if (changed > 0) {
    viewport()->update();
    frame_.PaletteChanged(this);
  }
  return changed;
}

void CTOVRAView::WriteStatusValues() {
  if (document_.image && document_.image->header)
    frame_.SetStatusValues(ComputeStatusValues(*document_.image, document_.loadTime));
}

void CTOVRAView::Refresh() {
  viewport()->update();
}

void CTOVRAView::UpdateCursor() {
  viewport()->setCursor(CursorForResource(frame_.App().cursorResource));
}

bool CTOVRAView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Enter) UpdateCursor();
  return QAbstractScrollArea::viewportEvent(event);
}

void CTOVRAView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  if (document_.image) {
    QtDeviceContext context(&painter, viewport()->width(), viewport()->height(),
                            vuPlatform().screen.bitsPerPixel);
    document_.image->Draw(&context, viewport()->width(), viewport()->height(), zoom_.scrollX,
                          zoom_.scrollY, ImageWidth(), ImageHeight(), zoom_.zoom,
                          VU_DDF_BACKGROUNDPAL);
  }
  if (zoom_.dragging && zoom_.dragEndX != zoom_.dragStartX) {
    // The rubber band inverts what lies under it.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRect(QPoint(zoom_.dragStartX, zoom_.dragStartY), QPoint(zoom_.dragEndX, zoom_.dragEndY))
            .normalized());
  }
  if (selecting_) {
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(Qt::black, 2, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(selectionAnchor_, selectionEnd_).normalized());
  }
}

QPoint CTOVRAView::ImagePoint(QPoint client) const {
  int x = static_cast<int>((zoom_.scrollX + client.x()) / zoom_.zoom);
  int y = static_cast<int>((zoom_.scrollY + client.y()) / zoom_.zoom);
  return QPoint(std::clamp(x, 0, ImageWidth()), std::clamp(y, 0, ImageHeight()));
}

void CTOVRAView::mousePressEvent(QMouseEvent* event) {
  QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    Activate();
    if (frame_.App().mouseMode == MOUSE_CROP) {
      selecting_ = true;
      selectionAnchor_ = selectionEnd_ = point;
    } else {
      zoom_.BeginDrag(point.x(), point.y());
    }
  } else if (event->button() == Qt::RightButton) {
    ResetZoom();
    frame_.UpdateCommandUI();
  }
}

void CTOVRAView::mouseMoveEvent(QMouseEvent* event) {
  QPoint point = event->position().toPoint();
  if (selecting_) {
    selectionEnd_ = point;
    viewport()->update();
  } else if (zoom_.dragging) {
    zoom_.DragTo(point.x(), point.y());
    viewport()->update();
  }
}

void CTOVRAView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (selecting_) {
    selecting_ = false;
    FinishCrop(event->position().toPoint());
    viewport()->update();
    return;
  }
  if (!zoom_.dragging) return;
  if (zoom_.ZoomToRectangle(ImageWidth(), ImageHeight())) ApplyScrollState();
  viewport()->update();
  frame_.UpdateCommandUI();
}

void CTOVRAView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Double clicks do nothing of their own; the second press still starts a drag.
  mousePressEvent(event);
}

void CTOVRAView::FinishCrop(QPoint corner) {
  QPoint from = ImagePoint(selectionAnchor_);
  QPoint to = ImagePoint(corner);
  document_.selectionX1 = from.x();
  document_.selectionY1 = from.y();
  document_.selectionX2 = to.x();
  document_.selectionY2 = to.y();
  CTOVRAApp& app = frame_.App();
  app.cropSource = &document_;
  frame_.Commands().Trigger(57600);
  app.cropSource = nullptr;
}

void CTOVRAView::keyPressEvent(QKeyEvent* event) {
  // The keypad's arrows (Num Lock off) are not the arrow keys.
  if (event->modifiers() & Qt::KeypadModifier) {
    event->ignore();
    return;
  }
  QSize page = viewport()->size();
  if (!zoom_.ArrowKey(event->key(), page.width(), page.height())) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  ApplyScrollState();
  viewport()->update();
}

bool CTOVRAView::PrintImage(vuDeviceContext& printer) {
  if (!document_.image || !document_.image->header) return false;
  printer.SetStretchBltMode(VU_STRETCH_BLACKONWHITE);
  if (printer.StartDoc("printing bitmap") <= 0) return false;
  bool ok = printer.StartPage() > 0;
  if (ok) {
    document_.image->Draw(&printer, ImageWidth() * 3, ImageHeight() * 3, VU_DDF_BACKGROUNDPAL);
    ok = printer.EndPage() > 0;
  }
  return printer.EndDoc() > 0 && ok;
}

void CTOVRAView::OnFilePrint() {
  vuPrintDialog request;
  request.owner = this;
  request.pageNumbers = false;
  request.selection = false;
  request.copies = 1;
  std::unique_ptr<vuDeviceContext> printer = vuPlatform().PrintDlg(request);
  if (printer) PrintImage(*printer);
}

void CTOVRAView::OnFilePrintDirect() {
  // The default printer as "device,driver,port".
  std::string entry = vuPlatform().GetProfileString("windows", "device", "");
  std::string parts[3];
  size_t start = 0;
  for (int i = 0; i < 3 && start <= entry.size(); ++i) {
    size_t comma = i < 2 ? entry.find(',', start) : std::string::npos;
    parts[i] = entry.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::unique_ptr<vuDeviceContext> printer =
      parts[0].empty() ? nullptr : vuPlatform().CreatePrinterDC(parts[1], parts[0], parts[2]);
  if (!printer) {
    vuPlatform().MessageBox("No default printer is set up.", CTOVRAApp::Title(), VU_MB_OK,
                            VU_ICON_WARNING);
    return;
  }
  PrintImage(*printer);
}

void CTOVRAView::OnFilePrintPreview() {
  QPrintPreviewDialog preview(this);
  preview.setWindowTitle(QString::fromStdString(document_.Title()));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
    QtPrinterContext page(printer, false);
    PrintImage(page);
  });
  preview.exec();
}
