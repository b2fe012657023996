// The view of one document: draws the image at the current zoom and scroll position, zooms to a
// dragged rectangle (or, in Crop mode, cuts the dragged selection out as a new image), resets on a
// right click, scrolls with the arrow keys, keeps its palette realised, writes the status values
// and prints.
#pragma once

#include <QAbstractScrollArea>

#include "app/ZoomState.h"

class CMainFrame;
class CTOVRADoc;
class vuDeviceContext;

class CTOVRAView : public QAbstractScrollArea {
  Q_OBJECT
public:
  CTOVRAView(CTOVRADoc& document, CMainFrame& frame, QWidget* parent = nullptr);
  ~CTOVRAView() override;

  CTOVRADoc& Document() { return document_; }
  ZoomState& Zoom() { return zoom_; }
  const ZoomState& Zoom() const { return zoom_; }
  int foreground = 0; // 1 while this view's palette is in the foreground

  // First showing: link the document, size the frame, take the foreground, write the status.
  void OnInitialUpdate();
  // Sizes the child frame for the image (and the scroll sizes for the current zoom).
  void SizeFrame();
  // Reset Pan / Zoom.
  void ResetPanZoom();
  // The right-click reset: scale 1, scroll bars hidden, frame fitted to the image exactly.
  void ResetZoom();
  // Makes this the active view when it is not: palette to the foreground, status written.
  void Activate();
  // A palette request from `sender`: foreground when the sender is this view, else background.
  void OnPaletteRequest(QObject* sender);
  // Realises the image's palette; repaints (and tells the frame) when the screen changed.
  int RealizePalette(bool background);
  void WriteStatusValues();
  // The cursor of the current mouse mode.
  void UpdateCursor();
  // Redraws the image (after a change of the image or its palette).
  void Refresh();

  // Printing: the print dialog, then one page named "printing bitmap" with the image at three
  // times its size. Cancel prints nothing.
  void OnFilePrint();
  // Printing on the default printer, without a dialog.
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  // Prints the image on a printer; true when every step succeeded.
  bool PrintImage(vuDeviceContext& printer);

  // Image coordinates (rows from the top) of a client point, clamped into the image.
  QPoint ImagePoint(QPoint client) const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* event) override;

private:
  void ApplyScrollState();
  void FinishCrop(QPoint corner);
  int ImageWidth() const;
  int ImageHeight() const;

  CTOVRADoc& document_;
  CMainFrame& frame_;
  ZoomState zoom_;
  bool applyingScroll_ = false;
  bool selecting_ = false; // a Crop-mode drag is in progress
  QPoint selectionAnchor_;
  QPoint selectionEnd_;
};
