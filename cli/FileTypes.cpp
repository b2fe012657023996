#include "cli/FileTypes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/vuRegistry.h"

namespace {
struct TypeName {
  const char* name;
  int type;
};
const TypeName kNames[] = {
    {"wif", VU_TYPE_WIF},   {"vuw", VU_TYPE_WIF},   {"bmp", VU_TYPE_BMP},
    {"dib", VU_TYPE_BMP},   {"pcx", VU_TYPE_PCX},   {"ppm", VU_TYPE_PPM},
    {"pgm", VU_TYPE_PGM},   {"tif", VU_TYPE_TIFF},  {"tiff", VU_TYPE_TIFF},
    {"tga", VU_TYPE_TARGA}, {"vst", VU_TYPE_TARGA}, {"targa", VU_TYPE_TARGA},
    {"gif", VU_TYPE_GIF},   {"jpg", VU_TYPE_JPEG},  {"jpeg", VU_TYPE_JPEG},
    {"png", VU_TYPE_PNG},
};
} // namespace

int TypeFromName(std::string name) {
  if (!name.empty() && name[0] == '.') name.erase(0, 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const TypeName& entry : kNames) {
    if (name == entry.name) return entry.type;
  }
  return -1;
}

int TypeFromFileName(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  return extension.empty() ? -1 : TypeFromName(extension);
}

std::string ExtensionForType(int type) {
  switch (type) {
  case VU_TYPE_WIF:
    return ".wif";
  case VU_TYPE_BMP:
    return ".bmp";
  case VU_TYPE_PCX:
    return ".pcx";
  case VU_TYPE_PPM:
    return ".ppm";
  case VU_TYPE_PGM:
    return ".pgm";
  case VU_TYPE_TIFF:
    return ".tif";
  case VU_TYPE_TARGA:
    return ".tga";
  case VU_TYPE_GIF:
    return ".gif";
  case VU_TYPE_JPEG:
    return ".jpg";
  case VU_TYPE_PNG:
    return ".png";
  default:
    return "";
  }
}
