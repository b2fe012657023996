#include "cli/Convert.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "cli/FileTypes.h"
#include "cli/ImageTools.h"
#include "cli/SaveOptions.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"

namespace {

bool Offers(const vuImage& image, int type) {
  std::vector<int> types = vuSaveTypesFor(image.format);
  return std::find(types.begin(), types.end(), type) != types.end();
}

} // namespace

int LoadByContentOrName(vuImage& image, const std::string& fileName) {
  int result = image.LoadImage(fileName.c_str());
  if (result != -1) return result;
  // Some valid files carry nothing the signature table recognises (a Targa file with an
  // identification field, say): let the reader the extension names try them.
  int type = TypeFromFileName(fileName);
  std::unique_ptr<vuRWImage> reader(type > 0 ? image.CreateRWImage(type) : nullptr);
  if (!reader) return result;
  int count = -1;
  int fallback = reader->Read(fileName.c_str(), &count, &image.header, &image.palette, &image.bits,
                              reader->GetInOptions());
  if (fallback != 0 || !image.header) return result;
  if (count >= 0) image.dataSize = count;
  if (image.format == BM_8BIT_COLOR && image.IsGrayScale()) image.MakeGS();
  return 0;
}

std::string LoadErrorText(const std::string& fileName, int result) {
  switch (result) {
  case -1: {
    FILE* probe = std::fopen(fileName.c_str(), "rb");
    if (!probe) return "cannot open the file";
    std::fclose(probe);
    return "unknown file type";
  }
  case -2:
    return "not a valid file of its type (damaged or unsupported)";
  case -3:
    return "cannot decode it (an unsupported variant, damaged data, or out of memory)";
  default:
    return "cannot read the file (error " + std::to_string(result) + ")";
  }
}

void PrepareForType(vuImage& image, int type) {
  vuBMFormat f = image.format;
  switch (type) {
  case VU_TYPE_WIF:
    if (f == BM_1BIT)
      image.MakeGS();
    else if (f == BM_8BIT_COLOR)
      image.MakeRGB();
    break;
  case VU_TYPE_BMP:
    if (f == BM_1BIT) image.MakeGS();
    break;
  case VU_TYPE_PPM:
    if (f != BM_24BIT && f != BM_48BIT) image.MakeRGB();
    break;
  case VU_TYPE_PGM:
    if (f != BM_8BIT_GRAY && f != BM_16BIT_GRAY) image.MakeGS();
    break;
  case VU_TYPE_JPEG:
    if (f == BM_1BIT || f == BM_16BIT_GRAY)
      image.MakeGS();
    else if (f == BM_8BIT_COLOR || f == BM_48BIT)
      image.MakeRGB();
    break;
  default:
    break;
  }
  // PGM and PPM keep 16-bit samples; elsewhere a format the type cannot hold becomes the nearest
  // one it can: grey stays grey, everything else becomes 24-bit colour.
  if (type == VU_TYPE_PGM || type == VU_TYPE_PPM || Offers(image, type)) return;
  if (image.IsGrayScale()) image.MakeGS();
  if (!Offers(image, type) && image.format != BM_24BIT) image.MakeRGB();
}

bool ConvertFile(const std::string& input, const std::string& output, int type,
                 const Options& options, std::string* error) {
  vuImageOwner image;
  int result = LoadByContentOrName(image, input);
  if (result != 0 || !image.header) {
    *error = LoadErrorText(input, result);
    return false;
  }
  for (const ImageToolRequest& tool : options.tools) {
    if (!ApplyImageTool(image, tool, options, error)) return false;
  }
  std::unique_ptr<vuRWImage> writer(image.CreateRWImage(type));
  if (!writer) {
    *error = "no writer for this output type";
    return false;
  }
  if (writer->access != 3) {
    *error = "this file type can be read but not written";
    return false;
  }
  PrepareForType(image, type);
  std::shared_ptr<void> record;
  if (!MakeSaveOptions(type, image, options, &record, error)) return false;

  namespace fs = std::filesystem;
  fs::path target(output);
  fs::path temporary = target;
  temporary += ".part" + std::to_string(getpid());
  result = image.SaveImage(temporary.c_str(), type, record.get());
  std::error_code code;
  if (result != 0 || !fs::exists(temporary, code)) {
    fs::remove(temporary, code);
    *error =
        "cannot write the file" + (result != 0 ? " (error " + std::to_string(result) + ")" : "");
    return false;
  }
  fs::rename(temporary, target, code);
  if (code) {
    fs::remove(temporary, code);
    *error = "cannot write the file: " + code.message();
    return false;
  }
  return true;
}
