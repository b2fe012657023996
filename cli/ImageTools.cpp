#include "cli/ImageTools.h"

namespace {

bool Gray(vuImage& image, std::string* error) {
  // Palette images go through their table's grey; colour through the luminance weights.
  int result;
  if (image.format == BM_8BIT_GRAY) return true;
  if (image.Depth() == 24)
    result = image.Make8Bit();
  else
    result = image.MakeGS();
  if (result < 0) {
    *error = "cannot convert to grey";
    return false;
  }
  return true;
}

bool Rgb(vuImage& image, std::string* error) {
  if (image.format == BM_24BIT) return true;
  if (image.MakeRGB() < 0) {
    *error = "cannot convert to 24-bit colour";
    return false;
  }
  return true;
}

} // namespace

bool ApplyImageTool(vuImage& image, const ImageToolRequest& tool, const Options& options,
                    std::string* error) {
  (void)options;
  if (tool.name == "gray") return Gray(image, error);
  if (tool.name == "rgb") return Rgb(image, error);
  // --colors, --rotate, --flip, --crop, --filter, --invert, --brightness and --contrast arrive
  // with the quantizer and the geometry and filter operations.
  *error = "the image tool --" + tool.name + " is not available in this build";
  return false;
}
