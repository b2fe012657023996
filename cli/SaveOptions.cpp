#include "cli/SaveOptions.h"

#include "formats/vuRegistry.h"

bool MakeSaveOptions(int type, const vuImage& image, const Options& options,
                     std::shared_ptr<void>* record, std::string* error) {
  (void)image;
  record->reset();
  switch (type) {
  case VU_TYPE_WIF:
    // The WIF save options (quality, fast mode, tiles, significant bits) come with the codec.
    return true;
  case VU_TYPE_JPEG:
    // The JPEG quality record comes with the JPEG writer.
    return true;
  default:
    if (options.quality != 0) {
      *error = "--quality applies to WIF and JPEG output only";
      return false;
    }
    return true;
  }
}
