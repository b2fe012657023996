// to-wif: loads any image the library reads and writes it as a WIF file.
//
//   to-wif INPUT OUTPUT.wif [QUALITY]
//
// QUALITY runs from 1 (finest) to 255 (coarsest); the default is 50.
#include <cstdio>
#include <cstdlib>

#include <vu/vu.h>

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: to-wif INPUT OUTPUT.wif [QUALITY]\n");
    return 2;
  }
  vuWifSaveOptions options;
  if (argc == 4) {
    char* end = nullptr;
    const long quality = std::strtol(argv[3], &end, 10);
    if (*end != '\0' || quality < 1 || quality > 255) {
      std::fprintf(stderr, "to-wif: the quality must be a number from 1 to 255\n");
      return 2;
    }
    options.quality = static_cast<int>(quality);
  }

  vuImageOwner image;
  if (image.LoadImage(argv[1]) != 0) {
    std::fprintf(stderr, "to-wif: %s: cannot be read\n", argv[1]);
    return 1;
  }
  // The WIF writer takes grey and full-colour pictures; palette and 1-bit ones become colour.
  const bool writable = image.format == BM_8BIT_GRAY || image.format == BM_16BIT_GRAY ||
                        image.format == BM_24BIT || image.format == BM_32BIT ||
                        image.format == BM_48BIT;
  if (!writable && image.MakeRGB() != 1) {
    std::fprintf(stderr, "to-wif: %s: cannot be converted to colour\n", argv[1]);
    return 1;
  }
  if (image.SaveImage(argv[2], VU_TYPE_WIF, &options) != 0) {
    std::fprintf(stderr, "to-wif: %s: cannot be written\n", argv[2]);
    return 1;
  }
  std::printf("%s: %d x %d, quality %d (library %s)\n", argv[2], image.Width(), image.Height(),
              options.quality, VU_VERSION_STRING);
  return 0;
}
