#include "imagelib/vuOSWinClass.h"

#include <cmath>
#include <limits>

vuOSWinClass::vuOSWinClass() : hDrawDib(vuDrawDibOpen()) {}

vuOSWinClass::~vuOSWinClass() {
  vuDrawDibClose(hDrawDib);
}

void vuOSWinClass::DrawPicked(vuDeviceContext* dc, const vuDrawRect& destination,
                              const vuDrawRect& source, int flags) {
  if (useAlternate)
    vuDrawDibDraw(hDrawDib, dc, destination, altHeader, altPalette, altBits, source, flags);
  else
    vuDrawDibDraw(hDrawDib, dc, destination, header, palette, bits, source, flags);
}

void vuOSWinClass::Draw(vuDeviceContext* dc, int destWidth, int destHeight, int flags) {
  const vuBitmapInfoHeader* picked = useAlternate ? altHeader : header;
  if (!picked) return;
  DrawPicked(dc, {0, 0, destWidth, destHeight}, {0, 0, picked->width, picked->height}, flags);
}

void vuOSWinClass::Draw(vuDeviceContext* dc, int x0, int y0, int x1, int y1, int flags) {
  const int width = x1 - x0;
  const int height = y1 - y0;
  DrawPicked(dc, {0, 0, width, height}, {x0, y0, width, height}, flags);
}

namespace {
// trunc(value / zoom) in double precision; false when that is no int.
bool ZoomedCoordinate(int value, double zoom, int* out) {
  double scaled = std::trunc(value / zoom);
  if (!(scaled >= std::numeric_limits<int>::min() && scaled <= std::numeric_limits<int>::max()))
    return false;
  *out = static_cast<int>(scaled);
  return true;
}
} // namespace

void vuOSWinClass::Draw(vuDeviceContext* dc, int destWidth, int destHeight, int srcX, int srcY, int,
                        int, float zoom, int flags) {
  const double z = zoom;
  if (!(z > 0) || !std::isfinite(z)) return;
  vuDrawRect source;
  if (!ZoomedCoordinate(srcX, z, &source.x) || !ZoomedCoordinate(srcY, z, &source.y) ||
      !ZoomedCoordinate(destWidth, z, &source.width) ||
      !ZoomedCoordinate(destHeight, z, &source.height))
    return;
  DrawPicked(dc, {0, 0, destWidth, destHeight}, source, flags);
}

void vuOSWinClass::Draw(vuDeviceContext* dc, int x, int y, int width, int height, int divisor,
                        int flags) {
  if (divisor < 1) return;
  const vuDrawRect source{x, y, width / divisor, height / divisor};
  const vuDrawRect destination =
      useAlternate ? vuDrawRect{0, 0, width, height} : vuDrawRect{x, y, width, height};
  DrawPicked(dc, destination, source, flags);
}

void vuOSWinClass::DrawPreview(vuDeviceContext* dc, int, int) {
  (void)dc;
}

void vuOSWinClass::DrawAlternate(vuDeviceContext* dc, int, int, void*) {
  (void)dc;
}
