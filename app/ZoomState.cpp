#include "app/ZoomState.h"

#include <Qt>
#include <algorithm>
#include <cmath>
#include <cstdlib>

FramePlacement ComputeFramePlacement(int outerWidth, int outerHeight, int clientAreaWidth,
                                     int clientAreaHeight, bool statusBarVisible) {
  FramePlacement placement{};
  bool widthFits = outerWidth <= clientAreaWidth;
  bool heightFits = outerHeight <= clientAreaHeight;
  placement.width = widthFits ? outerWidth + 4 : clientAreaWidth - 40;
  placement.height = heightFits ? outerHeight + 4 : clientAreaHeight - (statusBarVisible ? 70 : 50);
  placement.moveToOrigin = !(widthFits && heightFits);
  return placement;
}

void ZoomState::SetScrollSizes(int imageWidth, int imageHeight) {
  totalWidth = static_cast<int>(imageWidth * zoom);
  totalHeight = static_cast<int>(imageHeight * zoom);
  rangeX = static_cast<int>((imageWidth - 1) * zoom);
  rangeY = static_cast<int>((imageHeight - 1) * zoom);
  scrollBarsHidden = false;
}

void ZoomState::ScrollTo(int x, int y, int pageWidth, int pageHeight) {
  scrollX = std::clamp(x, 0, ScrollLimit(rangeX, pageWidth));
  scrollY = std::clamp(y, 0, ScrollLimit(rangeY, pageHeight));
}

void ZoomState::BeginDrag(int x, int y) {
  dragStartX = dragEndX = x;
  dragStartY = dragEndY = y;
  dragging = 1;
}

void ZoomState::DragTo(int x, int y) {
  dragEndX = x;
  dragEndY = y;
}

bool ZoomState::ZoomToRectangle(int imageWidth, int imageHeight) {
  // Client coordinates to image coordinates at the current scale, truncated toward zero; the
  // rectangle is normalised, so a drag leftwards or upwards zooms the same way.
  int startX = static_cast<int>(dragStartX / zoom);
  int startY = static_cast<int>(dragStartY / zoom);
  int endX = static_cast<int>(dragEndX / zoom);
  int endY = static_cast<int>(dragEndY / zoom);
  dragStartX = std::min(startX, endX);
  dragStartY = std::min(startY, endY);
  dragEndX = std::max(startX, endX);
  dragEndY = std::max(startY, endY);

  bool changed = false;
  if (dragEndX != dragStartX) {
    if (scrollX != zoomScrollX_ || scrollY != zoomScrollY_) {
      zoomOriginX = static_cast<int>(scrollX / zoom);
      zoomOriginY = static_cast<int>(scrollY / zoom);
    }
    zoom = static_cast<float>(imageWidth) / static_cast<float>(dragEndX - dragStartX);
    totalWidth = static_cast<int>(imageWidth * zoom);
    totalHeight = static_cast<int>(imageHeight * zoom);
    rangeX = totalWidth;
    rangeY = totalHeight;
    scrollX = static_cast<int>((dragStartX + zoomOriginX) * zoom);
    scrollY = static_cast<int>((dragStartY + zoomOriginY) * zoom);
    zoomScrollX_ = scrollX;
    zoomScrollY_ = scrollY;
    scrollBarsHidden = false;
    zoomOriginX += dragStartX;
    zoomOriginY += dragStartY;
    changed = true;
  }
  zoomed = 1;
  dragging = 0;
  return changed;
}

void ZoomState::Reset(int imageWidth, int imageHeight) {
  zoomed = 0;
  zoom = 1.0f;
  zoomOriginX = zoomOriginY = 0;
  SetScrollSizes(imageWidth, imageHeight);
  scrollX = scrollY = 0;
  zoomScrollX_ = zoomScrollY_ = 0;
  scrollBarsHidden = true;
}

void ZoomState::ResetPanZoom(int imageWidth, int imageHeight) {
  zoom = 1.0f;
  zoomOriginX = zoomOriginY = 0;
  SetScrollSizes(imageWidth, imageHeight);
  scrollX = scrollY = 0;
  zoomScrollX_ = zoomScrollY_ = 0;
}

bool ZoomState::ArrowKey(int key, int pageWidth, int pageHeight) {
  switch (key) {
  case Qt::Key_Left:
    ScrollTo(scrollX - keyStep, scrollY, pageWidth, pageHeight);
    return true;
  case Qt::Key_Right:
    ScrollTo(scrollX + keyStep, scrollY, pageWidth, pageHeight);
    return true;
  case Qt::Key_Up:
    ScrollTo(scrollX, scrollY + keyStep, pageWidth, pageHeight);
    return true;
  case Qt::Key_Down:
    ScrollTo(scrollX, scrollY - keyStep, pageWidth, pageHeight);
    return true;
  default:
    return false;
  }
}
