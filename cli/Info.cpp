#include "cli/Info.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "codec/vuClassicWif.h"
#include "codec/wif2/vuWifFormat.h"
#include "formats/vuRWImage.h"
#include "formats/vuRegistry.h"

namespace {

std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
  return text;
}

// The facts of an older-generation WIF header.
void PrintClassicHeader(const std::string& fileName) {
  ClassicHeader h;
  if (vuClassicWifHeader(fileName.c_str(), &h) != 0) return;
  bool fiveThree = h.raster != 0;
  std::printf("  WIF generation: older (\"%s%c\")\n", h.signatureLength == 4 ? "WIF" : "W",
              h.digit);
  std::printf("  revision:       %d.%d\n", h.revisionMajor, h.revisionMinor);
  std::printf("  WIF size:       %d x %d\n", h.width, h.height);
  std::printf("  colour:         %s\n", h.color ? "yes" : "no (grey)");
  std::printf("  filters:        %s, %s scans\n", fiveThree ? "5/3" : "9/7",
              fiveThree ? "raster" : "blocked");
  std::printf("  levels:         %d (coarse %d)\n", h.levels, h.coarseLevels);
  std::printf("  quantizer base: %d\n", h.quantizerBase);
  std::printf("  sample bytes:   %d (header says %d)\n", h.EffectiveSampleBytes(), h.sampleBytes);
  if (h.EffectiveSampleBytes() == 2) std::printf("  significant bits: %d\n", h.sampleBits);
  std::printf("  data offset:    %d\n", h.dataOffset);
  std::string comment(h.comment.begin(), h.comment.begin() + h.commentLength);
  std::printf("  comment:        \"%s\"\n", Printable(comment).c_str());
}

// The facts of a WIF header: version 2, or the older generation.
void PrintWifHeader(const std::string& fileName) {
  FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) return;
  uint8_t header[kWifHeaderBytes];
  size_t got = std::fread(header, 1, sizeof header, file);
  if (!vuWifIsWif2(header, got)) {
    std::fclose(file);
    PrintClassicHeader(fileName);
    return;
  }
  if (got < sizeof header) {
    std::fclose(file);
    return;
  }
  vuWifParams p;
  int commentLength = vuWifParseHeader(header, &p);
  std::string comment(static_cast<size_t>(commentLength), '\0');
  comment.resize(std::fread(comment.data(), 1, comment.size(), file));
  std::fclose(file);
  std::printf("  WIF version:    %d.%d\n", p.version, p.minorVersion);
  std::printf("  WIF size:       %d x %d\n", p.width, p.height);
  std::printf("  levels:         %d\n", p.levels);
  std::printf("  quality:        %d\n", p.quality);
  std::printf("  colour:         %s\n", p.colour ? "yes" : "no (grey)");
  std::printf("  sample bytes:   %d\n", p.sampleBytes);
  std::printf("  significant bits: %d\n", p.significantBits);
  std::printf("  fast mode:      %s\n", p.fastFilter ? "yes" : "no");
  if (p.tiled)
    std::printf("  tiles:          %d x %d\n", p.tileWidth, p.tileHeight);
  else
    std::printf("  tiles:          no\n");
  std::printf("  comment:        \"%s\"\n", Printable(comment).c_str());
}

} // namespace

bool PrintFileInfo(const std::string& fileName, std::string* error) {
  vuImage image;
  int type = image.GetFileType(fileName.c_str());
  // As when converting, a file no signature matches is offered to its extension's reader.
  bool byName = false;
  if (type < 0 && TypeFromFileName(fileName) > 0 &&
      LoadErrorText(fileName, type) != "cannot open the file") {
    type = TypeFromFileName(fileName);
    byName = true;
  }
  if (type < 0) {
    *error = LoadErrorText(fileName, type);
    return false;
  }
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  if (!reader) {
    *error = "no reader for this file type";
    return false;
  }
  vuFileInfo info;
  if (reader->GetInfo(fileName.c_str(), &info) != 0) {
    *error = byName ? "unknown file type" : "cannot read the file's header";
    return false;
  }
  std::string name = reader->description;
  name = name.substr(0, name.find('|'));
  std::printf("%s\n", fileName.c_str());
  std::printf("  type:           %s (%d)\n", name.c_str(), type);
  std::printf("  width:          %u\n", info.width);
  std::printf("  height:         %u\n", info.height);
  std::printf("  bits per pixel: %u\n", info.bitsPerPixel);
  std::printf("  file size:      %u bytes\n", info.fileSize);
  if (type == VU_TYPE_WIF) PrintWifHeader(fileName);
  return true;
}
