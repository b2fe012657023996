#include "desktop/gdkpixbuf/WifPixbuf.h"

#include "desktop/WifMemory.h"
#include "imagelib/vuImageOwner.h"

int WifDecodeToPixbuf(const uint8_t* bytes, size_t length, GdkPixbuf** pixbuf) {
  *pixbuf = nullptr;
  vuImageOwner image;
  const int loaded = vuLoadWifFromMemory(&image, bytes, length);
  if (loaded != 0) return loaded == -3 ? -3 : -2;
  vuPlainPixels plain;
  if (!vuToPlainPixels(image, &plain)) return -3;
  image.Delete();
  GdkPixbuf* result = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, plain.width, plain.height);
  if (!result) return -3;
  const int rowstride = gdk_pixbuf_get_rowstride(result);
  guchar* pixels = gdk_pixbuf_get_pixels(result);
  for (int y = 0; y < plain.height; ++y) {
    const uint8_t* src =
        plain.samples.data() + static_cast<size_t>(y) * plain.width * plain.channels;
    guchar* dst = pixels + static_cast<size_t>(y) * rowstride;
    for (int x = 0; x < plain.width; ++x) {
      if (plain.channels == 1) {
        dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
      } else {
        dst[3 * x] = src[3 * x];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x + 2];
      }
    }
  }
  *pixbuf = result;
  return 0;
}

bool WifPixbufSize(const uint8_t* bytes, size_t length, int* width, int* height) {
  vuFileInfo info;
  if (vuWifInfoFromMemory(bytes, length, &info) != 0) return false;
  *width = info.width;
  *height = info.height;
  return true;
}
