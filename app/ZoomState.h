// The view's zoom and scroll arithmetic, free of widgets: rubber-band zoom with the accumulated
// origin, the resets, the arrow keys and the child frame's size for an image.
#pragma once

// Where the child frame goes for an image of a given outer size.
struct FramePlacement {
  int width;
  int height;
  bool moveToOrigin; // the image did not fit: the frame also moves to (0, 0)
};

// Frame sizing: the outer size that gives the image's client area, fitted into the MDI client
// area (keeping room for the status bar when it is shown).
FramePlacement ComputeFramePlacement(int outerWidth, int outerHeight, int clientAreaWidth,
                                     int clientAreaHeight, bool statusBarVisible);

class ZoomState {
public:
  int zoomed = 0;
  int dragging = 0;
  int dragStartX = 0, dragStartY = 0;
  int dragEndX = 0, dragEndY = 0;
  int zoomOriginX = 0, zoomOriginY = 0;
  int keyStep = 10;
  float zoom = 1.0f;

  // Scrolling: the position, the total scroll size and the top of each scroll range (the last
  // position a one-pixel page could reach; a page of P pixels reaches range - P + 1).
  int scrollX = 0, scrollY = 0;
  int totalWidth = 0, totalHeight = 0;
  int rangeX = 0, rangeY = 0;
  bool scrollBarsHidden = false;

  // Scroll sizes for the current zoom (frame sizing and Reset Pan / Zoom).
  void SetScrollSizes(int imageWidth, int imageHeight);
  // The last scroll position a page of the given size reaches.
  static int ScrollLimit(int range, int page) {
    return range - page + 1 > 0 ? range - page + 1 : 0;
  }
  void ScrollTo(int x, int y, int pageWidth, int pageHeight);

  // Left button down and mouse moves, in client coordinates.
  void BeginDrag(int x, int y);
  void DragTo(int x, int y);
  // Left button up: zooms to the dragged rectangle. Returns true when the zoom changed (the
  // window must be redrawn); a click, or a drag less than one image pixel wide, only marks the
  // view zoomed.
  bool ZoomToRectangle(int imageWidth, int imageHeight);
  // Right click: back to scale 1 with hidden scroll bars.
  void Reset(int imageWidth, int imageHeight);
  // Reset Pan / Zoom: back to scale 1; scroll sizes as for frame sizing.
  void ResetPanZoom(int imageWidth, int imageHeight);

  // Arrow keys (Qt key codes for Left, Right, Up, Down). Up moves the position down the scroll
  // range by the key step and so shows rows further down, Down the other way. Returns false for
  // other keys.
  bool ArrowKey(int key, int pageWidth, int pageHeight);

private:
  // The scroll position the last zoom set, so a zoom after the user scrolled starts from where
  // the user looks rather than from the origin the earlier zooms accumulated.
  int zoomScrollX_ = 0, zoomScrollY_ = 0;
};
