// Every format of the library, one line each. A program that wants fewer (the streaming viewer
// keeps WIF and BMP only) clears the registry and registers its own.
#include "codec/vuWifRW.h"
#include "formats/BmpRW.h"
#include "formats/GifRW.h"
#include "formats/JpegRW.h"
#include "formats/PcxRW.h"
#include "formats/PngRW.h"
#include "formats/PnmRW.h"
#include "formats/TargaRW.h"
#include "formats/TiffRW.h"
#include "formats/vuRegistry.h"

void vuRegisterStandardFormats(vuFormatRegistry& registry) {
  registry.Register(VU_TYPE_WIF, [](vuImage* image) -> vuRWImage* { return new vuWifRW(image); });
  registry.Register(VU_TYPE_BMP, [](vuImage* image) -> vuRWImage* { return new BmpRW(image); });
  registry.Register(VU_TYPE_PCX, [](vuImage* image) -> vuRWImage* { return new PcxRW(image); });
  registry.Register(VU_TYPE_PPM, [](vuImage* image) -> vuRWImage* { return new PpmRW(image); });
  registry.Register(VU_TYPE_PGM, [](vuImage* image) -> vuRWImage* { return new PgmRW(image); });
  registry.Register(VU_TYPE_TIFF, [](vuImage* image) -> vuRWImage* { return new TiffRW(image); });
  registry.Register(VU_TYPE_TARGA, [](vuImage* image) -> vuRWImage* { return new TargaRW(image); });
  registry.Register(VU_TYPE_GIF, [](vuImage* image) -> vuRWImage* { return new GifRW(image); });
  registry.Register(VU_TYPE_JPEG, [](vuImage* image) -> vuRWImage* { return new JpegRW(image); });
  registry.Register(VU_TYPE_PNG, [](vuImage* image) -> vuRWImage* { return new PngRW(image); });
}
