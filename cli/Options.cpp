#include "cli/Options.h"

#include <cstdlib>
#include <cstring>

namespace {

bool ParseInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -1000000 || v > 1000000) return false;
  *value = static_cast<int>(v);
  return true;
}

// Options that take a value, and whether they are image tools.
struct ValueOption {
  const char* longName;
  const char* shortName;
  bool tool;
};
const ValueOption kValueOptions[] = {
    {"--quality", "-q", false},      {"--type", nullptr, false},    {"--to", nullptr, false},
    {"--output-dir", "-o", false},   {"--bits", nullptr, false},    {"--jobs", "-j", false},
    {"--reduce", nullptr, false},    {"--colors", nullptr, true},   {"--rotate", nullptr, true},
    {"--flip", nullptr, true},       {"--crop", nullptr, true},     {"--filter", nullptr, true},
    {"--brightness", nullptr, true}, {"--contrast", nullptr, true},
};
const char* const kToolSwitches[] = {"--gray", "--rgb", "--invert"};

} // namespace

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
  bool filesOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      options->files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options->mode = Options::Mode::Help;
      continue;
    }
    if (arg == "--info") {
      options->mode = Options::Mode::Info;
      continue;
    }
    if (arg == "--batch") {
      options->mode = Options::Mode::Batch;
      continue;
    }
    if (arg == "--fast") {
      options->fast = true;
      continue;
    }
    if (arg == "--tiles") {
      options->tiles = true;
      continue;
    }
    bool isSwitch = false;
    for (const char* name : kToolSwitches) {
      if (arg == name) {
        options->tools.push_back({arg.substr(2), ""});
        isSwitch = true;
      }
    }
    if (isSwitch) continue;

    // Value options: "--name VALUE", "--name=VALUE" or "-x VALUE".
    std::string name = arg, value;
    bool inlineValue = false;
    if (size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    const ValueOption* found = nullptr;
    for (const ValueOption& option : kValueOptions) {
      if (name == option.longName || (option.shortName && name == option.shortName)) {
        found = &option;
      }
    }
    if (!found) {
      *error = "unknown option " + arg;
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) {
        *error = std::string("option ") + found->longName + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    std::string longName = found->longName;
    if (found->tool) {
      options->tools.push_back({longName.substr(2), value});
    } else if (longName == "--quality") {
      if (!ParseInt(value, &options->quality) || options->quality < 1) {
        *error = "quality must be a positive number: " + value;
        return false;
      }
    } else if (longName == "--type" || longName == "--to") {
      options->typeName = value;
    } else if (longName == "--output-dir") {
      options->outputDir = value;
    } else if (longName == "--bits") {
      if (!ParseInt(value, &options->bits) || options->bits < 8 || options->bits > 16) {
        *error = "--bits must be 8..16: " + value;
        return false;
      }
    } else if (longName == "--jobs") {
      if (!ParseInt(value, &options->jobs) || options->jobs < 1 || options->jobs > 256) {
        *error = "--jobs must be 1..256: " + value;
        return false;
      }
    } else if (longName == "--reduce") {
      options->reduce = value;
    }
  }
  if (options->mode == Options::Mode::Help) return true;
  if (options->mode == Options::Mode::Convert && options->files.size() != 2) {
    *error = "expected INPUT and OUTPUT";
    return false;
  }
  if (options->mode != Options::Mode::Convert && options->files.empty()) {
    *error = "no input files";
    return false;
  }
  if (options->mode == Options::Mode::Batch &&
      (options->typeName.empty() || options->outputDir.empty())) {
    *error = "--batch needs --to EXT and -o DIR";
    return false;
  }
  return true;
}

const char* UsageText() {
  return R"(Usage:
  vuconvert [options] INPUT OUTPUT
      Read any supported image and write OUTPUT; the type comes from OUTPUT's extension
      (.wif .vuw .bmp .dib .pcx .ppm .pgm .tif .tiff .tga .vst .jpg .jpeg .png) or --type NAME.
  vuconvert --info FILE...
      Show type, width, height, bits per pixel and file size (and the WIF header facts).
  vuconvert --batch --to EXT -o DIR [options] FILE...
      Convert every FILE to DIR/NAME.EXT. Files that fail are reported and skipped; the exit
      status is 1 if any failed.

Options (before or after the file names):
  -q, --quality Q     WIF quality 1 (finest) .. 255 (coarsest), default 50;
                      JPEG quality 1..100, default 80
  --fast              WIF: fast mode (5/3 filters on the first level)
  --tiles             WIF: cut the image into 256 x 256 tiles
  --bits N            WIF: significant bits of 16-bit samples
  --type NAME         output type: wif bmp pcx ppm pgm tiff tga jpeg png
  --to EXT            batch: output type by extension or name
  -o, --output-dir D  batch: output folder
  -j, --jobs N        batch: convert N files at once
  -h, --help          this text

Image tools, applied in the order given before the file is written:
  --gray              to 8-bit grey (palette images through their table, colour by luminance)
  --rgb               to 24-bit colour
  --colors N          reduce to an 8-bit palette of at most N (1..256) colours
  --reduce METHOD     method for --colors: median-cut (default; with error diffusion),
                      best (exact colours, no diffusion) or fast (fixed 3-3-2 table of
                      256 colours with error diffusion; needs --colors 256)
  --rotate 90|-90     rotate a quarter turn (90 is clockwise)
  --flip h|v          mirror left-right (h) or top-bottom (v)
  --crop X,Y,W,H      cut out W x H pixels at X, Y counted from the top-left corner
  --filter NAME|N     a 3 x 3 filter of 8-bit grey or 24-bit images, by name or index:
                      0 "Low Pass 1", 1 "Low Pass 2", 2 "Low Pass 3", 3 "High Pass 1",
                      4 "High Pass 2", 5 "High Pass 3", 6 "Difference 1", 7 "Difference 2",
                      8 "Difference 3", 9 "Laplace 1", 10 "Laplace 2", 11 "Laplace 3",
                      12 "Laplace 4", 13 (no name), 14..21 the compass gradients
                      "Gradient North", "Gradient North East", ... clockwise to
                      "Gradient North West"; names ignore case
  --invert            invert the colours (palette images: their colour table)
  --brightness N      brightness -100..100 (grey and palette images: through the colour
                      table; 24-bit colour is refused, use --gray first)
  --contrast N        contrast -100..100 (as --brightness)

Exit status: 0 success, 1 failure (one line "vuconvert: FILE: reason" on standard error),
2 bad usage.
)";
}
