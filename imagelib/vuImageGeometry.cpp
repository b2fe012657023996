// Geometry: quarter turns, mirroring, cutting out a rectangle and a nearest-neighbour size change.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"

int vuImage::Rotate(int angle) {
  // Only quarter turns are offered; anything else leaves the picture as it is.
  if (!header || (angle != 90 && angle != -90)) return 0;
  const int width = Width(), height = Height();
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(height, width, Colors(), format)) {
    return -3; // the picture stays as it was
  }
  std::memcpy(temporary.palette, palette,
              4 * size_t(std::min(TableEntries(), temporary.TableEntries())));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      accessor->GetRaw(x, y, pixel);
      if (angle == 90)
        temporary.accessor->SetRaw(y, width - 1 - x, pixel);
      else
        temporary.accessor->SetRaw(height - 1 - y, x, pixel);
    }
  }
  // Same format: the accessor stays, only the block changes.
  FreeBitmap();
  TakeBlock(temporary);
  return 1;
}

int vuImage::Flip(int direction) {
  if (!header) return 0;
  const int width = Width(), height = Height();
  uint16_t a[4] = {0, 0, 0, 0}, b[4] = {0, 0, 0, 0};
  if (direction == 1) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width / 2; ++x) {
        accessor->GetRaw(x, y, a);
        accessor->GetRaw(width - 1 - x, y, b);
        accessor->SetRaw(x, y, b);
        accessor->SetRaw(width - 1 - x, y, a);
      }
    }
  } else if (direction == 0) {
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < height / 2; ++y) {
        accessor->GetRaw(x, y, a);
        accessor->GetRaw(x, height - 1 - y, b);
        accessor->SetRaw(x, y, b);
        accessor->SetRaw(x, height - 1 - y, a);
      }
    }
  }
  return 1;
}

int vuImage::SubImage(vuImage* target, int x0, int y0, int width, int height) {
  // The rectangle must lie inside this image (read as 64-bit so that no sum wraps), and the
  // target cannot be the source, whose block it is about to drop.
  if (!header || !target || target == this || width < 1 || height < 1 || x0 < 0 || y0 < 0 ||
      int64_t(x0) + width > Width() || int64_t(y0) + height > Height())
    return 0;
  target->Delete();
  if (!target->AllocateBitmap(width, height, Colors(), format)) return -3;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      accessor->GetRaw(x0 + x, y0 + y, pixel);
      target->accessor->SetRaw(x, y, pixel);
    }
  }
  if (format == BM_8BIT_COLOR || format == BM_4BIT) {
    std::memcpy(target->palette, palette,
                4 * size_t(std::min(TableEntries(), target->TableEntries())));
  }
  return 1;
}

vuImage* vuImage::SubImage(int x0, int y0, int width, int height) {
  auto* image = new (std::nothrow) vuImage;
  if (!image || !header) return image;
  const int depth = Depth();
  if (depth != 8 && depth != 24) return image;
  image->Create(width, height, depth, Colors());
  if (!image->header) return image;
  // Reads clamp to this image, so a rectangle reaching outside repeats the border.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (depth == 8) {
        uint8_t grey = 0;
        GetColor(x0 + x, y0 + y, &grey);
        image->SetColor(x, y, grey);
      } else {
        uint8_t red = 0, green = 0, blue = 0;
        GetColor(x0 + x, y0 + y, &red, &green, &blue);
        image->SetColor(x, y, red, green, blue);
      }
    }
  }
  return image;
}

int vuImage::ZoomImage(int newWidth, int newHeight) {
  if (!header) return 0;
  const int depth = Depth();
  if (depth != 8 && depth != 24) return -2;
  if (newWidth < 1 || newHeight < 1) return 0;
  const int width = Width(), height = Height();
  int colorCount = Colors();
  if (colorCount == 0 && depth != 24) colorCount = 1 << depth;
  vuImageOwner temporary;
  if (!temporary.AllocateBitmap(newWidth, newHeight, colorCount, format)) return 0;
  std::memcpy(temporary.palette, palette,
              4 * size_t(std::min(TableEntries(), temporary.TableEntries())));

  const double scale =
      std::min(double(newWidth) / width, double(float(double(newHeight) / height)));
  const int bytesPerPixel = depth / 8;
  for (int y = height - 1; y >= 0; --y) {
    // Keep every destination inside the new bitmap, whatever the rounding of the scale.
    int targetY = std::min(static_cast<int>(y * scale), newHeight - 1);
    const uint8_t* source = Row(y);
    uint8_t* target = temporary.Row(targetY);
    for (int x = 0; x < width; ++x) {
      int targetX = std::min(static_cast<int>(x * scale), newWidth - 1);
      std::memcpy(target + int64_t(targetX) * bytesPerPixel, source + int64_t(x) * bytesPerPixel,
                  size_t(bytesPerPixel));
    }
  }
  TakeOver(temporary, format);
  return 1;
}
