#include "cli/Info.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "cli/Messages.h"
#include "cli/OutputFile.h"
#include "codec/vuClassicWif.h"
#include "codec/wif2/vuWifFormat.h"
#include "formats/vuRWImage.h"
#include "formats/vuRegistry.h"

namespace {

// One fact: its label in the text, its key in JSON (either may be empty: the text and the JSON
// object may show a fact differently), and its value (a number or a text).
struct Fact {
  std::string label;
  std::string key;
  std::string value;
  bool number;
  std::string unit; // after the value in the text ("bytes")
};

Fact Number(const std::string& label, const std::string& key, long long value,
            const std::string& unit = "") {
  return Fact{label, key, std::to_string(value), true, unit};
}
Fact Text(const std::string& label, const std::string& key, const std::string& value) {
  return Fact{label, key, value, false, ""};
}
Fact YesNo(const std::string& label, const std::string& key, bool value, const char* yes,
           const char* no) {
  return Fact{label, key, value ? "true" : "false", true, value ? yes : no};
}

std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
  return text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

// The facts of an older-generation WIF header.
void ClassicHeaderFacts(const std::string& fileName, std::vector<Fact>* facts) {
  ClassicHeader h;
  if (vuClassicWifHeader(fileName.c_str(), &h) != 0) return;
  bool fiveThree = h.raster != 0;
  std::string signature = std::string(h.signatureLength == 4 ? "WIF" : "W") + h.digit;
  facts->push_back(Text("WIF generation", "", "older (\"" + signature + "\")"));
  facts->push_back(Text("", "signature", signature));
  facts->push_back(Text("revision", "revision",
                        std::to_string(h.revisionMajor) + "." + std::to_string(h.revisionMinor)));
  facts->push_back(
      Text("WIF size", "", std::to_string(h.width) + " x " + std::to_string(h.height)));
  facts->push_back(Number("", "width", h.width));
  facts->push_back(Number("", "height", h.height));
  facts->push_back(YesNo("colour", "colour", h.color != 0, "yes", "no (grey)"));
  facts->push_back(Text("filters", "filters",
                        std::string(fiveThree ? "5/3, raster" : "9/7, blocked") + " scans"));
  facts->push_back(Text(
      "levels", "", std::to_string(h.levels) + " (coarse " + std::to_string(h.coarseLevels) + ")"));
  facts->push_back(Number("", "levels", h.levels));
  facts->push_back(Number("", "coarseLevels", h.coarseLevels));
  facts->push_back(Number("quantizer base", "quantizerBase", h.quantizerBase));
  facts->push_back(Text("sample bytes", "",
                        std::to_string(h.EffectiveSampleBytes()) + " (header says " +
                            std::to_string(h.sampleBytes) + ")"));
  facts->push_back(Number("", "sampleBytes", h.EffectiveSampleBytes()));
  if (h.EffectiveSampleBytes() == 2)
    facts->push_back(Number("significant bits", "significantBits", h.sampleBits));
  facts->push_back(Number("data offset", "dataOffset", h.dataOffset));
  std::string comment(h.comment.begin(), h.comment.begin() + h.commentLength);
  facts->push_back(Text("comment", "", Quoted(Printable(comment))));
  facts->push_back(Text("", "comment", comment));
}

// The facts of a WIF header: version 2, or the older generation.
void WifHeaderFacts(const std::string& fileName, std::vector<Fact>* facts) {
  FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) return;
  uint8_t header[kWifHeaderBytes];
  size_t got = std::fread(header, 1, sizeof header, file);
  if (!vuWifIsWif2(header, got)) {
    std::fclose(file);
    ClassicHeaderFacts(fileName, facts);
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
  facts->push_back(Text("WIF version", "version",
                        std::to_string(p.version) + "." + std::to_string(p.minorVersion)));
  facts->push_back(
      Text("WIF size", "", std::to_string(p.width) + " x " + std::to_string(p.height)));
  facts->push_back(Number("", "width", p.width));
  facts->push_back(Number("", "height", p.height));
  facts->push_back(Number("levels", "levels", p.levels));
  facts->push_back(Number("quality", "quality", p.quality));
  facts->push_back(YesNo("colour", "colour", p.colour != 0, "yes", "no (grey)"));
  facts->push_back(Number("sample bytes", "sampleBytes", p.sampleBytes));
  facts->push_back(Number("significant bits", "significantBits", p.significantBits));
  facts->push_back(YesNo("fast mode", "fast", p.fastFilter != 0, "yes", "no"));
  facts->push_back(
      Text("tiles", "",
           p.tiled ? std::to_string(p.tileWidth) + " x " + std::to_string(p.tileHeight) : "no"));
  facts->push_back(YesNo("", "tiled", p.tiled != 0, "", ""));
  if (p.tiled) {
    facts->push_back(Number("", "tileWidth", p.tileWidth));
    facts->push_back(Number("", "tileHeight", p.tileHeight));
  }
  facts->push_back(Text("comment", "", Quoted(Printable(comment))));
  facts->push_back(Text("", "comment", comment));
}

// The extension of a type, as the file names it when it is one of the type's, else the type's
// first; upper case.
std::string ExtensionFor(const vuRWImage& reader, const std::string& fileName) {
  std::string own =
      TypeFromFileName(fileName) == reader.typeId ? fileName.substr(fileName.rfind('.') + 1) : "";
  std::string list = reader.extensions;
  std::string extension = own.empty() ? list.substr(0, list.find('|')) : own;
  for (char& c : extension)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 32) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonMembers(const std::vector<Fact>& facts) {
  std::string out;
  for (const Fact& fact : facts) {
    if (fact.key.empty()) continue;
    if (!out.empty()) out += ",";
    out += JsonString(fact.key) + ":" + (fact.number ? fact.value : JsonString(fact.value));
  }
  return out;
}

void PrintText(const std::string& fileName, const std::vector<Fact>& facts) {
  std::printf("%s\n", fileName.c_str());
  for (const Fact& fact : facts) {
    if (fact.label.empty()) continue;
    std::string label = fact.label + ":";
    label.resize(std::max<size_t>(label.size() + 1, 16), ' ');
    std::string value = fact.value;
    if (fact.value == "true" || fact.value == "false")
      value = fact.unit;
    else if (!fact.unit.empty())
      value += " " + fact.unit;
    std::printf("  %s%s\n", label.c_str(), value.c_str());
  }
}

// Gathers the facts of one file; false with the reason in `error`.
bool Gather(const std::string& fileName, const std::string& path, std::vector<Fact>* facts,
            std::vector<Fact>* wifFacts, std::string* error) {
  vuImage image;
  int type = image.GetFileType(path.c_str());
  // As when converting, a file no signature matches is offered to its extension's reader.
  bool byName = false;
  if (type < 0 && fileName != "-" && TypeFromFileName(fileName) > 0) {
    type = TypeFromFileName(fileName);
    byName = true;
  }
  if (type < 0) {
    *error = ReadFailureText(path, -1);
    return false;
  }
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  if (!reader) {
    *error = "no reader for this file type";
    return false;
  }
  vuFileInfo info;
  if (reader->GetInfo(path.c_str(), &info) != 0) {
    *error = byName ? ReadFailureText(path, -1) : "cannot read the file's header";
    return false;
  }
  const std::string name = CleanDescription(reader->description);
  const std::string extension = ExtensionFor(*reader, fileName);
  facts->push_back(Text("type", "", name + " (" + extension + ")"));
  facts->push_back(Text("", "type", name));
  facts->push_back(Text("", "extension", extension));
  facts->push_back(Number("width", "width", info.width));
  facts->push_back(Number("height", "height", info.height));
  facts->push_back(Number("bits per pixel", "bitsPerPixel", info.bitsPerPixel));
  facts->push_back(Number("file size", "fileSize", info.fileSize, "bytes"));
  if (type == VU_TYPE_WIF) WifHeaderFacts(path, wifFacts);
  return true;
}

} // namespace

int RunInfo(const Options& options) {
  int status = 0;
  for (const std::string& fileName : options.files) {
    Messages().Begin(fileName);
    std::string error, path = fileName;
    if (fileName == "-") path = StandardInputFile(&error);
    std::vector<Fact> facts, wifFacts;
    if (path.empty() || !Gather(fileName, path, &facts, &wifFacts, &error)) {
      std::fprintf(stderr, "vuconvert: %s: %s\n", fileName.c_str(), error.c_str());
      status = 1;
      continue;
    }
    if (options.json) {
      std::string line = "{\"file\":";
      line += JsonString(fileName);
      line += ",";
      line += JsonMembers(facts);
      if (!wifFacts.empty()) {
        line += ",\"wif\":{";
        line += JsonMembers(wifFacts);
        line += "}";
      }
      std::printf("%s}\n", line.c_str());
    } else {
      for (const Fact& fact : wifFacts)
        facts.push_back(fact);
      PrintText(fileName, facts);
    }
  }
  return status;
}
