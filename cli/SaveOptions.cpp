#include "cli/SaveOptions.h"

#include <sys/stat.h>

#include <cerrno>

#include "cli/Messages.h"
#include "cli/OutputFile.h"

#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"
#include "formats/vuRegistry.h"

bool MakeSaveOptions(int type, const vuImage& image, const Options& options, int quality,
                     std::shared_ptr<void>* record, std::string* error) {
  record->reset();
  if (!CheckQualityForType(type, options, error)) return false;
  if (quality == 0) quality = options.quality;
  switch (type) {
  case VU_TYPE_WIF: {
    auto wif = std::make_shared<vuWifSaveOptions>();
    if (quality != 0) wif->quality = quality;
    // Significant bits matter for 16-bit samples only; --bits has set the image's own.
    const bool wide = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
    wif->significantBits =
        wide && image.sampleBits >= 8 && image.sampleBits <= 16 ? image.sampleBits : 0;
    wif->fastMode = options.fast ? 1 : 0;
    wif->largeImage = options.tiles ? 1 : 0;
    *record = wif;
    return true;
  }
  case VU_TYPE_JPEG: {
    auto jpeg = std::make_shared<vuJpegSaveOptions>();
    jpeg->quality = quality != 0 ? quality : 80;
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

bool IsLossyType(int type) {
  return type == VU_TYPE_WIF || type == VU_TYPE_JPEG;
}

bool CheckOptionsForType(int type, const Options& options, std::string* error,
                         std::vector<std::string>* warnings) {
  if (!CheckQualityForType(type, options, error)) return false;
  if ((options.targetSize || options.targetPsnr) && !IsLossyType(type)) {
    *error = std::string(options.targetSize ? "--size" : "--psnr") +
             " applies to WIF and JPEG output only";
    return false;
  }
  if (type != VU_TYPE_WIF) {
    if (options.fast) warnings->push_back("--fast applies to WIF output only; ignored");
    if (options.tiles) warnings->push_back("--tiles applies to WIF output only; ignored");
  }
  return true;
}

bool WriteImage(vuImage& image, int type, const Options& options, int quality,
                const std::string& path, std::string* error) {
  std::shared_ptr<void> record;
  if (!MakeSaveOptions(type, image, options, quality, &record, error)) return false;
  errno = 0;
  const int result = image.SaveImage(path.c_str(), type, record.get());
  const int savedErrno = errno;
  struct stat info;
  if (result == 0 && stat(path.c_str(), &info) == 0) return true;
  std::string reason = SystemWriteReason(savedErrno);
  if (reason.empty()) reason = Messages().Last();
  if (reason.empty()) reason = "the writer failed (error " + std::to_string(result) + ")";
  *error = "cannot write the file: " + reason;
  return false;
}
