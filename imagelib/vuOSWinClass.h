// The image that draws itself on a device context: a vuImage with a drawing handle for its whole
// life, drawing either its main bitmap or, when `useAlternate` is set, its alternate image.
//
// Contracts:
// - Every Draw picks the bitmap by `useAlternate`, draws nothing when the picked header is null
//   (no image, or no alternate image while `useAlternate` is set), and otherwise makes one draw
//   call with the picked header, colour table and rows and the caller's flags (the programs pass
//   VU_DDF_BACKGROUNDPAL). Source rectangles are pixels of the bitmap, y from the top line;
//   destinations are device units. Results of the draw call are not reported.
// - The owner sets `useAlternate` when it builds an alternate image for display and hands the
//   display palette to the handle (vuDrawDibSetPalette(hDrawDib, hPalette)).
// - Like every vuImage, destroying it releases no bitmap storage: owners call Delete() first.
#pragma once

#include <cstdint>

#include "imagelib/vuDrawing.h"
#include "imagelib/vuImage.h"

class vuOSWinClass : public vuImage {
public:
  vuOSWinClass();
  ~vuOSWinClass() override;
  vuOSWinClass(const vuOSWinClass&) = delete;
  vuOSWinClass& operator=(const vuOSWinClass&) = delete;

  // The whole bitmap stretched into (0, 0, destWidth, destHeight).
  void Draw(vuDeviceContext* dc, int destWidth, int destHeight, int flags);
  // The source rectangle from (x0, y0) to (x1, y1) unscaled at the destination origin.
  void Draw(vuDeviceContext* dc, int x0, int y0, int x1, int y1, int flags);
  // The zoomed, scrolled view: destination (0, 0, destWidth, destHeight), source
  // (srcX / zoom, srcY / zoom, destWidth / zoom, destHeight / zoom), each truncated. The two
  // unnamed arguments (the image size) are not used. A zoom that is not a positive finite number,
  // or a source that does not fit an int, draws nothing.
  void Draw(vuDeviceContext* dc, int destWidth, int destHeight, int srcX, int srcY, int, int,
            float zoom, int flags);
  // Source (x, y) of size (width / divisor, height / divisor) into a destination of size
  // (width, height) at (x, y) for the main bitmap and (0, 0) for the alternate image. A divisor
  // below 1 draws nothing.
  void Draw(vuDeviceContext* dc, int x, int y, int width, int height, int divisor, int flags);
  // Preview and alternate drawing entry points: they draw nothing.
  void DrawPreview(vuDeviceContext* dc, int, int);
  void DrawAlternate(vuDeviceContext* dc, int, int, void*);

  vuDrawDib* hDrawDib = nullptr;
  int32_t useAlternate = 0;

private:
  void DrawPicked(vuDeviceContext* dc, const vuDrawRect& destination, const vuDrawRect& source,
                  int flags);
};
