// The registry: type numbers to reader/writer classes, and the save types each pixel format offers.
#pragma once

#include <vector>

#include "formats/vuRWImage.h"

// File type numbers.
enum vuFileType {
  VU_TYPE_WIF = 1,
  VU_TYPE_BMP = 2,
  VU_TYPE_PCX = 3,
  VU_TYPE_PPM = 4,
  VU_TYPE_PGM = 5,
  VU_TYPE_TIFF = 7,
  VU_TYPE_TARGA = 8,
  VU_TYPE_GIF = 11,
  VU_TYPE_JPEG = 12,
  VU_TYPE_PNG = 13,
};

using vuRWFactory = vuRWImage* (*)(vuImage* image);

class vuFormatRegistry {
public:
  // The registry in use; on first use it holds every format of the library (vuStandardFormats.cpp).
  static vuFormatRegistry& Instance();

  void Register(int type, vuRWFactory factory);
  // Forgets every format (a program that wants only some registers them again afterwards).
  void Clear();
  // A new reader/writer for the type bound to `image`, or null when none is registered.
  vuRWImage* Create(int type, vuImage* image) const;
  bool Has(int type) const;

private:
  std::vector<std::pair<int, vuRWFactory>> factories_;
};

// Registers every format this library reads or writes (one line per format).
void vuRegisterStandardFormats(vuFormatRegistry& registry);

// The type numbers that can store a pixel format, in the order offered; empty when none.
std::vector<int> vuSaveTypesFor(vuBMFormat format);

// The usual extension of a type's files, with its dot (".wif", ".tif" ...); empty for an unknown
// type.
const char* vuTypeExtension(int type);
