#include "cli/SaveOptions.h"

#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"
#include "formats/vuRegistry.h"

bool MakeSaveOptions(int type, const vuImage& image, const Options& options,
                     std::shared_ptr<void>* record, std::string* error) {
  record->reset();
  if (!CheckQualityForType(type, options, error)) return false;
  switch (type) {
  case VU_TYPE_WIF: {
    auto wif = std::make_shared<vuWifSaveOptions>();
    if (options.quality != 0) wif->quality = options.quality;
    if (options.bits != 0 && (options.bits < 8 || options.bits > 16)) {
      *error = "--bits must be 8..16";
      return false;
    }
    // Significant bits matter for 16-bit samples only; 0 lets the writer take the image's own.
    const bool wide = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
    wif->significantBits = wide ? options.bits : 0;
    wif->fastMode = options.fast ? 1 : 0;
    wif->largeImage = options.tiles ? 1 : 0;
    *record = wif;
    return true;
  }
  case VU_TYPE_JPEG: {
    auto jpeg = std::make_shared<vuJpegSaveOptions>();
    jpeg->quality = options.quality != 0 ? options.quality : 80;
    *record = jpeg;
    return true;
  }
  default:
    return true;
  }
}

bool CheckQualityForType(int type, const Options& options, std::string* error) {
  if (options.quality == 0) return true;
  switch (type) {
  case VU_TYPE_WIF:
    if (options.quality <= 255) return true;
    *error = "WIF quality must be 1..255";
    return false;
  case VU_TYPE_JPEG:
    if (options.quality <= 100) return true;
    *error = "JPEG quality must be 1..100";
    return false;
  default:
    *error = "--quality applies to WIF and JPEG output only";
    return false;
  }
}
