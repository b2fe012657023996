#include "cli/FileTypes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/vuRegistry.h"
#include "imagelib/vuImage.h"
#include <memory>

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
  return vuTypeExtension(type);
}

std::string TypeShortName(int type) {
  switch (type) {
  case VU_TYPE_WIF:
    return "WIF";
  case VU_TYPE_BMP:
    return "BMP";
  case VU_TYPE_PCX:
    return "PCX";
  case VU_TYPE_PPM:
    return "PPM";
  case VU_TYPE_PGM:
    return "PGM";
  case VU_TYPE_TIFF:
    return "TIFF";
  case VU_TYPE_TARGA:
    return "Targa";
  case VU_TYPE_GIF:
    return "GIF";
  case VU_TYPE_JPEG:
    return "JPEG";
  case VU_TYPE_PNG:
    return "PNG";
  default:
    return "";
  }
}

std::string CleanDescription(const char* description) {
  std::string name = description ? description : "";
  name = name.substr(0, name.find('|'));
  // A closing bracket that opens nowhere is a slip in the text, not part of the name.
  if (name.find('(') == std::string::npos) {
    for (size_t at; (at = name.find(')')) != std::string::npos;)
      name.erase(at, 1);
  }
  while (!name.empty() && name.back() == ' ')
    name.pop_back();
  while (!name.empty() && name.front() == ' ')
    name.erase(0, 1);
  return name;
}

bool TypeIsWritable(int type) {
  vuImage probe;
  std::unique_ptr<vuRWImage> rw(probe.CreateRWImage(type));
  return rw && rw->access == 3;
}

std::string WritableTypeNames() {
  return "wif, bmp, pcx, ppm, pgm, tiff, tga, jpeg or png";
}
