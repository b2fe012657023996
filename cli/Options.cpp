#include "cli/Options.h"

#include <cmath>
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

// Where an option is described in the help.
enum class Group { Modes, Output, Batch, Tools, Messages };

// Every option: its names, its argument (null for switches), whether it is an image tool, and
// its description. Parsing and both help texts come from this one table.
struct OptionSpec {
  const char* longName;
  const char* shortName;
  const char* argument;
  bool tool;
  Group group;
  const char* help;
};

const OptionSpec kOptions[] = {
    {"--info", nullptr, nullptr, false, Group::Modes,
     "Show each file's type, width, height, bits per pixel and size (and the WIF header facts); "
     "nothing is written."},
    {"--json", nullptr, nullptr, false, Group::Modes,
     "With --info: one JSON object per file on its own line, for scripts."},
    {"--batch", nullptr, nullptr, false, Group::Modes,
     "Convert every FILE to DIR/NAME.EXT (needs --to and -o)."},
    {"--help", "-h", nullptr, false, Group::Modes, "Show this text."},
    {"--version", nullptr, nullptr, false, Group::Modes, "Show the version."},
    {"--manpage", nullptr, nullptr, false, Group::Modes,
     "Print this text as a manual page (roff)."},

    {"--type", nullptr, "NAME", false, Group::Output,
     "Output type when OUTPUT's extension does not say it, or OUTPUT is - (standard output): "
     "wif, bmp, pcx, ppm, pgm, tiff, tga, jpeg or png."},
    {"--quality", "-q", "Q", false, Group::Output,
     "WIF quality 1 (finest) .. 255 (coarsest), default 50; JPEG quality 1..100, default 80."},
    {"--size", nullptr, "BYTES", false, Group::Output,
     "WIF and JPEG: the best quality whose file fits in BYTES (a suffix k or M counts 1000 or "
     "1000000)."},
    {"--psnr", nullptr, "DB", false, Group::Output,
     "WIF and JPEG: the smallest file whose picture reaches DB decibels of PSNR."},
    {"--fast", nullptr, nullptr, false, Group::Output,
     "WIF: fast mode (5/3 filters on the first level)."},
    {"--tiles", nullptr, nullptr, false, Group::Output,
     "WIF: cut the picture into 256 x 256 tiles."},
    {"--bits", nullptr, "N", false, Group::Output,
     "16-bit pictures: significant bits of the samples written (9..16); refused when samples "
     "would be clipped, unless --force. --bits 8 writes the 8-bit display copy (the top eight "
     "significant bits), much smaller as WIF."},
    {"--force", nullptr, nullptr, false, Group::Output,
     "Replace a read-only OUTPUT; let --bits clip samples."},
    {"--allow-damaged", nullptr, nullptr, false, Group::Output,
     "Write what could be read of a damaged or incomplete input (with a warning) instead of "
     "failing."},

    {"--to", nullptr, "EXT", false, Group::Batch, "Output type, by extension or name."},
    {"--output-dir", "-o", "DIR", false, Group::Batch, "Output folder, made when missing."},
    {"--jobs", "-j", "N", false, Group::Batch, "Convert N files at once."},
    {"--threads", nullptr, "N", false, Group::Output,
     "WIF: code and decode tiles on N threads (default: one per core, or one per file when a "
     "batch converts several files at once); the bytes written are the same for any N."},
    {"--suffix-collisions", nullptr, nullptr, false, Group::Batch,
     "When two inputs would make the same output name, write NAME-2.EXT, NAME-3.EXT ... "
     "instead of refusing the later ones."},

    {"--gray", nullptr, nullptr, true, Group::Tools,
     "To 8-bit grey (palette images through their table, colour by luminance)."},
    {"--rgb", nullptr, nullptr, true, Group::Tools, "To 24-bit colour."},
    {"--colors", nullptr, "N", true, Group::Tools,
     "Reduce to an 8-bit palette of at most N (1..256) colours."},
    {"--reduce", nullptr, "METHOD", false, Group::Tools,
     "Method for --colors: median-cut (default; with error diffusion), best (exact colours, no "
     "diffusion) or fast (fixed 3-3-2 table of 256 colours with error diffusion; needs --colors "
     "256)."},
    {"--rotate", nullptr, "ANGLE", true, Group::Tools,
     "Rotate by 90 (clockwise), 180, 270 or -90 degrees."},
    {"--flip", nullptr, "h|v", true, Group::Tools, "Mirror left-right (h) or top-bottom (v)."},
    {"--crop", nullptr, "X,Y,W,H", true, Group::Tools,
     "Cut out W x H pixels at X, Y counted from the top-left corner."},
    {"--resize", nullptr, "WxH", true, Group::Tools,
     "Resample to W x H pixels with a Lanczos-3 filter; W or H may be left out (\"640x\", "
     "\"x480\") to keep the proportions."},
    {"--scale", nullptr, "PERCENT", true, Group::Tools,
     "Resample to PERCENT of the size (1..1000) with a Lanczos-3 filter."},
    {"--filter", nullptr, "NAME|N", true, Group::Tools,
     "A 3 x 3 filter of 8-bit grey or 24-bit images, by name or index: 0 \"Low Pass 1\", 1 "
     "\"Low Pass 2\", 2 \"Low Pass 3\", 3 \"High Pass 1\", 4 \"High Pass 2\", 5 \"High Pass 3\", "
     "6 \"Difference 1\", 7 \"Difference 2\", 8 \"Difference 3\", 9 \"Laplace 1\", 10 \"Laplace "
     "2\", 11 \"Laplace 3\", 12 \"Laplace 4\", 13 (no name); names ignore case."},
    {"--invert", nullptr, nullptr, true, Group::Tools,
     "Invert the colours (palette images: their colour table)."},
    {"--brightness", nullptr, "N", true, Group::Tools,
     "Brightness -100..100: grey and palette images through their colour table, 24-bit colour "
     "with the same tone curve on each channel."},
    {"--contrast", nullptr, "N", true, Group::Tools, "Contrast -100..100 (as --brightness)."},

    {"--verbose", "-v", nullptr, false, Group::Messages,
     "Show the readers' and writers' own messages, and after each output one line of figures: "
     "size, ratio to the raw picture, bits per pixel, and PSNR for WIF and JPEG."},
    {"--quiet", nullptr, nullptr, false, Group::Messages, "No warnings."},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& option : kOptions) {
    if (name == option.longName || (option.shortName && name == option.shortName)) return &option;
  }
  return nullptr;
}

// A size in bytes, with an optional k (1000) or M (1000000).
bool ParseSize(const std::string& text, int64_t* bytes) {
  if (text.empty()) return false;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  std::string suffix = end;
  double factor = suffix.empty()                   ? 1
                  : suffix == "k" || suffix == "K" ? 1e3
                  : suffix == "M"                  ? 1e6
                                                   : 0;
  if (factor == 0 || !(value > 0) || value * factor > 1e12) return false;
  *bytes = static_cast<int64_t>(std::llround(value * factor));
  return *bytes >= 1;
}

bool Apply(const OptionSpec& option, const std::string& value, Options* o, std::string* error) {
  const std::string name = option.longName;
  if (option.tool) {
    o->tools.push_back({name.substr(2), value});
  } else if (name == "--info") {
    o->mode = Options::Mode::Info;
  } else if (name == "--batch") {
    o->mode = Options::Mode::Batch;
  } else if (name == "--help") {
    o->mode = Options::Mode::Help;
  } else if (name == "--version") {
    o->mode = Options::Mode::Version;
  } else if (name == "--manpage") {
    o->mode = Options::Mode::ManPage;
  } else if (name == "--json") {
    o->json = true;
  } else if (name == "--fast") {
    o->fast = true;
  } else if (name == "--tiles") {
    o->tiles = true;
  } else if (name == "--force") {
    o->force = true;
  } else if (name == "--allow-damaged") {
    o->allowDamaged = true;
  } else if (name == "--suffix-collisions") {
    o->suffixCollisions = true;
  } else if (name == "--verbose") {
    o->verbose = true;
  } else if (name == "--quiet") {
    o->quiet = true;
  } else if (name == "--quality") {
    if (!ParseInt(value, &o->quality) || o->quality < 1) {
      *error = "quality must be a positive number: " + value;
      return false;
    }
  } else if (name == "--size") {
    if (!ParseSize(value, &o->targetSize)) {
      *error = "--size takes a number of bytes (such as 50000, 50k or 1.5M), not \"" + value + "\"";
      return false;
    }
  } else if (name == "--psnr") {
    char* end = nullptr;
    o->targetPsnr = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(o->targetPsnr >= 10 && o->targetPsnr <= 100)) {
      *error = "--psnr takes decibels 10..100, not \"" + value + "\"";
      return false;
    }
  } else if (name == "--type") {
    o->typeName = value;
  } else if (name == "--to") {
    o->typeName = value;
    o->toGiven = true;
  } else if (name == "--output-dir") {
    o->outputDir = value;
    o->outputDirGiven = true;
  } else if (name == "--bits") {
    if (!ParseInt(value, &o->bits) || o->bits < 8 || o->bits > 16) {
      *error = "--bits must be 8..16: " + value;
      return false;
    }
  } else if (name == "--jobs") {
    if (!ParseInt(value, &o->jobs) || o->jobs < 1 || o->jobs > 256) {
      *error = "--jobs must be 1..256: " + value;
      return false;
    }
    o->jobsGiven = true;
  } else if (name == "--threads") {
    if (!ParseInt(value, &o->threads) || o->threads < 1 || o->threads > 256) {
      *error = "--threads must be 1..256: " + value;
      return false;
    }
  } else if (name == "--reduce") {
    o->reduce = value;
    o->reduceGiven = true;
  }
  return true;
}

bool HasTool(const Options& o, const char* name) {
  for (const ImageToolRequest& tool : o.tools) {
    if (tool.name == name) return true;
  }
  return false;
}

// Combinations that can only be mistakes.
bool CheckCombinations(const Options& o, std::string* error) {
  using Mode = Options::Mode;
  if (o.mode == Mode::Help || o.mode == Mode::Version || o.mode == Mode::ManPage) return true;
  if (o.json && o.mode != Mode::Info) {
    *error = "--json belongs to --info";
    return false;
  }
  if (o.mode == Mode::Info) {
    if (!o.tools.empty() || o.quality || o.fast || o.tiles || o.bits || o.targetSize ||
        o.targetPsnr || o.reduceGiven || !o.typeName.empty() || o.outputDirGiven || o.jobsGiven ||
        o.force || o.allowDamaged || o.suffixCollisions) {
      *error = "--info reads files and writes nothing: it takes no output options or image tools";
      return false;
    }
    if (o.files.empty()) {
      *error = "no input files";
      return false;
    }
    return true;
  }
  if (o.mode == Mode::Convert) {
    if (o.toGiven || o.outputDirGiven || o.jobsGiven || o.suffixCollisions) {
      *error = "--to, -o, -j and --suffix-collisions belong to --batch; convert one file with "
               "\"vuconvert [options] INPUT OUTPUT\"";
      return false;
    }
    if (o.files.size() != 2) {
      *error = "expected INPUT and OUTPUT";
      return false;
    }
  }
  if (o.mode == Mode::Batch) {
    if (o.files.empty()) {
      *error = "no input files";
      return false;
    }
    if (o.typeName.empty() || o.outputDir.empty()) {
      *error = "--batch needs --to EXT and -o DIR";
      return false;
    }
    for (const std::string& file : o.files) {
      if (file == "-") {
        *error = "--batch reads files, not standard input";
        return false;
      }
    }
  }
  if (o.reduceGiven && !HasTool(o, "colors")) {
    *error = "--reduce chooses the method of --colors; give --colors N too";
    return false;
  }
  if (o.targetSize && o.targetPsnr) {
    *error = "--size and --psnr each choose the quality; give one of them";
    return false;
  }
  if ((o.targetSize || o.targetPsnr) && o.quality) {
    *error = std::string(o.targetSize ? "--size" : "--psnr") +
             " chooses the quality; it cannot be given with -q";
    return false;
  }
  if (o.verbose && o.quiet) {
    *error = "--verbose and --quiet contradict each other";
    return false;
  }
  return true;
}

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
    // "--name VALUE", "--name=VALUE", "-x VALUE" or "-xVALUE".
    std::string name = arg, value;
    bool inlineValue = false;
    if (arg.rfind("--", 0) == 0) {
      if (size_t eq = arg.find('='); eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        inlineValue = true;
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      value = arg.substr(2);
      inlineValue = true;
    }
    const OptionSpec* option = FindOption(name);
    if (!option) {
      *error = "unknown option " + arg;
      return false;
    }
    if (!option->argument && inlineValue) {
      *error = "option " + std::string(option->longName) + " takes no value: " + arg;
      return false;
    }
    if (option->argument && !inlineValue) {
      if (i + 1 >= argc) {
        *error = std::string("option ") + option->longName + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (!Apply(*option, value, options, error)) return false;
  }
  return CheckCombinations(*options, error);
}

namespace {

struct GroupText {
  Group group;
  const char* title;
};
const GroupText kGroups[] = {
    {Group::Modes, "Modes"},
    {Group::Output, "Output options"},
    {Group::Batch, "Batch options"},
    {Group::Tools, "Image tools, applied in the order given before the file is written"},
    {Group::Messages, "Messages"},
};

const char* const kSynopsis[] = {
    "vuconvert [options] INPUT OUTPUT",
    "vuconvert --info [--json] FILE...",
    "vuconvert --batch --to EXT -o DIR [options] FILE...",
};

const char* const kDescription[] = {
    "Reads an image of any supported type and writes OUTPUT, whose type comes from its "
    "extension (.wif .vuw .bmp .dib .pcx .ppm .pgm .tif .tiff .tga .vst .jpg .jpeg .png) or from "
    "--type. Inputs are recognised by their content: WIF (both generations), BMP, PCX, "
    "PGM/PPM/PBM (binary and plain), TIFF, Targa, JPEG, PNG and GIF. GIF and the older WIF "
    "generation are read only.",
    "INPUT or OUTPUT may be - for standard input or output, so that vuconvert works in pipes "
    "(with OUTPUT -, --type names the type). The input is read completely before OUTPUT is "
    "written, so OUTPUT may be INPUT itself. Outputs are written under a temporary name and "
    "renamed at the end: a failure never leaves a partial file, a replaced file keeps its "
    "permissions, and a symbolic link is written through to its target.",
    "A damaged or incomplete input is an error (say --allow-damaged to write what could be "
    "read). Options may stand before or after the file names; -qQ, -jN and --name=VALUE forms "
    "are accepted.",
};

const char* const kExitStatus =
    "0 success; 1 failure (one line \"vuconvert: FILE: reason\" on standard error for each "
    "file that failed); 2 bad usage.";

std::string Term(const OptionSpec& option) {
  std::string term = option.shortName ? std::string(option.shortName) + ", " : "";
  term += option.longName;
  if (option.argument) term += std::string(" ") + option.argument;
  return term;
}

// Words of `text` in lines of at most `width` characters, each after `indent` spaces; the first
// line starts at column `start` (already taken by the caller).
std::string Wrap(const std::string& text, size_t indent, size_t start, size_t width) {
  std::string out, line;
  size_t column = start;
  size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    size_t next = text.find(' ', pos);
    if (next == std::string::npos) next = text.size();
    std::string word = text.substr(pos, next - pos);
    pos = next + 1;
    if (word.empty()) continue;
    if (!first && column + 1 + word.size() > width) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      first = true;
    }
    if (!first) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    first = false;
  }
  return out;
}

// Roff needs its hyphens and backslashes escaped, and a line must not start with a dot or quote.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '-')
      out += "\\-";
    else if (c == '\\')
      out += "\\e";
    else
      out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

} // namespace

std::string UsageText() {
  constexpr size_t kWidth = 79, kColumn = 24;
  std::string text = "Usage:\n";
  for (const char* line : kSynopsis)
    text += std::string("  ") + line + "\n";
  for (const char* paragraph : kDescription)
    text += "\n" + Wrap(paragraph, 0, 0, kWidth) + "\n";
  for (const GroupText& group : kGroups) {
    text += "\n" + std::string(group.title) + ":\n";
    for (const OptionSpec& option : kOptions) {
      if (option.group != group.group) continue;
      std::string term = "  " + Term(option);
      if (term.size() + 2 > kColumn) {
        text += term + "\n" + std::string(kColumn, ' ');
      } else {
        text += term + std::string(kColumn - term.size(), ' ');
      }
      text += Wrap(option.help, kColumn, kColumn, kWidth) + "\n";
    }
  }
  text += "\nExit status: " + Wrap(kExitStatus, 0, 13, kWidth) + "\n";
  return text;
}

std::string ManPageText() {
  std::string page = ".TH VUCONVERT 1 \"\" \"vuconvert " VU_VERSION "\" \"User Commands\"\n";
  page += ".SH NAME\nvuconvert \\- convert and compress images, to and from WIF wavelet files\n";
  page += ".SH SYNOPSIS\n";
  for (const char* line : kSynopsis)
    page += ".br\n" + Roff(line) + "\n";
  page += ".SH DESCRIPTION\n";
  for (const char* paragraph : kDescription)
    page += ".PP\n" + Roff(paragraph) + "\n";
  page += ".SH OPTIONS\n";
  for (const GroupText& group : kGroups) {
    page += ".SS \"" + std::string(group.title) + "\"\n";
    for (const OptionSpec& option : kOptions) {
      if (option.group != group.group) continue;
      page += ".TP\n.B " + Roff(Term(option)) + "\n" + Roff(option.help) + "\n";
    }
  }
  page += ".SH \"EXIT STATUS\"\n" + Roff(kExitStatus) + "\n";
  return page;
}
