#include "desktop/thumbnailer/Thumbnail.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"

void vuThumbnailSize(int width, int height, int size, int* thumbWidth, int* thumbHeight) {
  if (width <= size && height <= size) {
    *thumbWidth = width;
    *thumbHeight = height;
    return;
  }
  // The longer side becomes `size`, the shorter one keeps the proportions (at least one pixel).
  if (width >= height) {
    *thumbWidth = size;
    *thumbHeight = std::max<int>(1, static_cast<int>((int64_t(height) * size + width / 2) / width));
  } else {
    *thumbHeight = size;
    *thumbWidth = std::max<int>(1, static_cast<int>((int64_t(width) * size + height / 2) / height));
  }
}

bool vuScaleToThumbnail(const vuPlainPixels& source, int size, vuPlainPixels* thumbnail) {
  if (size < 1 || source.width < 1 || source.height < 1 || source.channels < 1) return false;
  int width = 0;
  int height = 0;
  vuThumbnailSize(source.width, source.height, size, &width, &height);
  const int channels = source.channels;
  try {
    thumbnail->samples.assign(static_cast<size_t>(width) * height * channels, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  thumbnail->width = width;
  thumbnail->height = height;
  thumbnail->channels = channels;
  for (int ty = 0; ty < height; ++ty) {
    // The source rows and columns this thumbnail pixel covers (at least one of each).
    const int y0 = static_cast<int>(int64_t(ty) * source.height / height);
    const int y1 = std::max(y0 + 1, static_cast<int>(int64_t(ty + 1) * source.height / height));
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = static_cast<int>(int64_t(tx) * source.width / width);
      const int x1 = std::max(x0 + 1, static_cast<int>(int64_t(tx + 1) * source.width / width));
      const int64_t count = int64_t(y1 - y0) * (x1 - x0);
      for (int c = 0; c < channels; ++c) {
        int64_t sum = 0;
        for (int y = y0; y < y1; ++y) {
          const uint8_t* row =
              source.samples.data() + static_cast<size_t>(y) * source.width * channels;
          for (int x = x0; x < x1; ++x)
            sum += row[x * channels + c];
        }
        thumbnail->samples[(static_cast<size_t>(ty) * width + tx) * channels + c] =
            static_cast<uint8_t>((sum + count / 2) / count);
      }
    }
  }
  return true;
}

int vuWritePlainPng(const vuPlainPixels& pixels, const char* fileName) {
  vuImageOwner image;
  const bool grey = pixels.channels == 1;
  image.AllocateBitmap(pixels.width, pixels.height, grey ? 256 : 0, grey ? BM_8BIT_GRAY : BM_24BIT);
  if (!image.header) return -3;
  for (int line = 0; line < pixels.height; ++line) {
    const uint8_t* src =
        pixels.samples.data() + static_cast<size_t>(line) * pixels.width * pixels.channels;
    uint8_t* dst = image.Row(pixels.height - 1 - line);
    if (grey) {
      std::memcpy(dst, src, static_cast<size_t>(pixels.width));
      continue;
    }
    for (int x = 0; x < pixels.width; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image.SaveImage(fileName, VU_TYPE_PNG, nullptr);
}
