#include "formats/vuRegistry.h"

vuFormatRegistry& vuFormatRegistry::Instance() {
  static vuFormatRegistry* registry = [] {
    auto* r = new vuFormatRegistry;
    vuRegisterStandardFormats(*r);
    return r;
  }();
  return *registry;
}

void vuFormatRegistry::Register(int type, vuRWFactory factory) {
  for (auto& entry : factories_) {
    if (entry.first == type) {
      entry.second = factory;
      return;
    }
  }
  factories_.emplace_back(type, factory);
}

void vuFormatRegistry::Clear() {
  factories_.clear();
}

vuRWImage* vuFormatRegistry::Create(int type, vuImage* image) const {
  for (const auto& entry : factories_) {
    if (entry.first == type) return entry.second(image);
  }
  return nullptr;
}

bool vuFormatRegistry::Has(int type) const {
  for (const auto& entry : factories_) {
    if (entry.first == type) return true;
  }
  return false;
}

std::vector<int> vuSaveTypesFor(vuBMFormat format) {
  switch (format) {
  case BM_24BIT:
    return {1, 2, 7, 8, 4, 12, 3, 13};
  case BM_4BIT:
    return {2, 3, 13};
  case BM_8BIT_COLOR:
    return {2, 7, 8, 3, 13};
  case BM_32BIT:
    return {1, 2, 7, 8, 13};
  case BM_8BIT_GRAY:
    return {1, 2, 7, 8, 12, 3, 5, 13};
  case BM_16BIT_GRAY:
    return {1, 7, 13};
  case BM_48BIT:
    return {1, 7, 13};
  case BM_1BIT:
    return {7, 13};
  default:
    return {};
  }
}

const char* vuTypeExtension(int type) {
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
