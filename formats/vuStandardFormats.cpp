// Every format of the library, one line each. A program that wants fewer (the streaming viewer
// keeps WIF and BMP only) clears the registry and registers its own.
#include "formats/BmpRW.h"
#include "formats/PnmRW.h"
#include "formats/vuRegistry.h"

void vuRegisterStandardFormats(vuFormatRegistry& registry) {
  registry.Register(VU_TYPE_BMP, [](vuImage* image) -> vuRWImage* { return new BmpRW(image); });
  registry.Register(VU_TYPE_PPM, [](vuImage* image) -> vuRWImage* { return new PpmRW(image); });
  registry.Register(VU_TYPE_PGM, [](vuImage* image) -> vuRWImage* { return new PgmRW(image); });
}
