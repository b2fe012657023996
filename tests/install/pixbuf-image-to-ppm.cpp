// Reads an image through gdk-pixbuf (so through the loaders of GDK_PIXBUF_MODULE_FILE) and writes
// its pixels as a binary PPM with the header the converter writes. Prints the name of the loader
// that read it.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pixbuf-image-to-ppm IMAGE OUTPUT.ppm\n");
    return 2;
  }
  gint width = 0;
  gint height = 0;
  GdkPixbufFormat* format = gdk_pixbuf_get_file_info(argv[1], &width, &height);
  if (!format) {
    std::fprintf(stderr, "pixbuf-image-to-ppm: %s: no loader recognises it\n", argv[1]);
    return 1;
  }
  gchar* name = gdk_pixbuf_format_get_name(format);
  std::printf("loader %s size %dx%d\n", name, width, height);
  g_free(name);
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(argv[1], &error);
  if (!pixbuf) {
    std::fprintf(stderr, "pixbuf-image-to-ppm: %s: %s\n", argv[1], error->message);
    g_error_free(error);
    return 1;
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  const int w = gdk_pixbuf_get_width(pixbuf);
  const int h = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
  std::fprintf(out, "P6 %d %d 255\n", w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      std::fwrite(pixels + static_cast<size_t>(y) * gdk_pixbuf_get_rowstride(pixbuf) + x * channels,
                  1, 3, out);
  g_object_unref(pixbuf);
  return std::fclose(out) == 0 ? 0 : 1;
}
