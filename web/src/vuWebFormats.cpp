// The formats of the WebAssembly build: the viewer reads WIF and saves WIF or BMP, so these are
// the only readers and writers compiled in (no TIFF, JPEG or PNG libraries in a web page).
#include "codec/vuWifRW.h"
#include "formats/BmpRW.h"
#include "formats/vuRegistry.h"

void vuRegisterStandardFormats(vuFormatRegistry& registry) {
  registry.Register(VU_TYPE_WIF, [](vuImage* image) -> vuRWImage* { return new vuWifRW(image); });
  registry.Register(VU_TYPE_BMP, [](vuImage* image) -> vuRWImage* { return new BmpRW(image); });
}
