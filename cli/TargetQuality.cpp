#include "cli/TargetQuality.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "cli/Convert.h"
#include "cli/Figures.h"
#include "cli/FileTypes.h"
#include "cli/SaveOptions.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"

namespace {

// Qualities as steps from the smallest file (1) to the largest (`Steps()`): WIF counts its
// quality down from 255, JPEG up from 1.
struct QualityScale {
  int type;
  int Steps() const { return type == VU_TYPE_WIF ? 255 : 100; }
  int Quality(int step) const { return type == VU_TYPE_WIF ? 256 - step : step; }
};

// Writes one trial and measures it; false with the reason in `error` when it cannot be written.
bool Try(vuImage& image, int type, const Options& options, int quality, bool measurePsnr,
         const std::string& path, QualityTrial* trial, std::string* error) {
  if (!WriteImage(image, type, options, quality, path, error)) return false;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    *error = "cannot write the file";
    return false;
  }
  trial->quality = quality;
  trial->bytes = info.st_size;
  trial->psnr = -1;
  if (measurePsnr) {
    vuImageOwner decoded;
    std::string damage;
    if (ReadImageFile(decoded, path, "", &damage) == 0) trial->psnr = PictureSnr(image, decoded);
    if (trial->psnr < 0) {
      *error = "cannot read back what was written to measure it";
      return false;
    }
  }
  return true;
}

} // namespace

bool WriteForTarget(vuImage& image, int type, const Options& options, const std::string& path,
                    QualityTrial* chosen, std::string* error) {
  const QualityScale scale{type};
  const bool bySize = options.targetSize > 0;
  const std::string trialPath = path + "-trial";
  bool found = false;
  QualityTrial last;
  // Keeps a trial that meets the target as the result so far.
  auto keep = [&](const QualityTrial& trial) {
    if (std::rename(trialPath.c_str(), path.c_str()) != 0) {
      *error = "cannot write the file";
      return false;
    }
    *chosen = trial;
    found = true;
    return true;
  };
  bool good = true;
  if (bySize) {
    // The largest step whose file fits; `low` fits (0: none found yet).
    int low = 0, high = scale.Steps();
    while (good && low < high) {
      const int mid = (low + high + 1) / 2;
      good = Try(image, type, options, scale.Quality(mid), false, trialPath, &last, error);
      if (!good) break;
      if (last.bytes <= options.targetSize) {
        good = keep(last);
        low = mid;
      } else {
        high = mid - 1;
      }
    }
  } else {
    // The smallest step whose picture reaches the PSNR; `high` reaches it (Steps() + 1: none).
    int low = 1, high = scale.Steps() + 1;
    while (good && low < high) {
      const int mid = (low + high) / 2;
      good = Try(image, type, options, scale.Quality(mid), true, trialPath, &last, error);
      if (!good) break;
      if (last.psnr >= options.targetPsnr) {
        good = keep(last);
        high = mid;
      } else {
        low = mid + 1;
      }
    }
  }
  unlink(trialPath.c_str());
  if (!good) return false;
  if (found) return true;
  const std::string name = TypeShortName(type);
  char text[256];
  if (bySize) {
    std::snprintf(text, sizeof text,
                  "no %s quality makes a file of at most %lld bytes: the smallest, at quality %d, "
                  "has %lld bytes",
                  name.c_str(), static_cast<long long>(options.targetSize), last.quality,
                  static_cast<long long>(last.bytes));
  } else {
    std::snprintf(text, sizeof text,
                  "no %s quality reaches %.2f dB: the finest, quality %d, gives %.2f dB",
                  name.c_str(), options.targetPsnr, last.quality, last.psnr);
  }
  *error = text;
  return false;
}
