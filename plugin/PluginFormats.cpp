#include "codec/vuWifRW.h"
#include "formats/BmpRW.h"
#include "formats/vuRegistry.h"
#include "plugin/PluginRegistration.h"

void RegisterPluginFormats() {
  vuFormatRegistry& registry = vuFormatRegistry::Instance();
  registry.Clear();
  registry.Register(VU_TYPE_WIF, [](vuImage* image) -> vuRWImage* { return new vuWifRW(image); });
  registry.Register(VU_TYPE_BMP, [](vuImage* image) -> vuRWImage* { return new BmpRW(image); });
}
