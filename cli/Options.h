// The command line of vuconvert.
#pragma once

#include <string>
#include <vector>

// One image tool, applied in command-line order before the file is written.
struct ImageToolRequest {
  std::string name;  // "gray", "rgb", "colors", "rotate", "flip", "crop", "filter", "invert", ...
  std::string value; // the option's argument, empty for switches
};

struct Options {
  enum class Mode { Convert, Info, Batch, Help };
  Mode mode = Mode::Convert;
  std::vector<std::string> files; // convert: INPUT OUTPUT; info and batch: the inputs
  std::string typeName;           // --type NAME (convert) or --to EXT (batch)
  std::string outputDir;          // -o DIR (batch)
  int quality = 0;                // 0: the output type's default
  bool fast = false;
  bool tiles = false;
  int bits = 0; // significant bits of 16-bit samples, 0: as the image says
  std::string reduce = "median-cut";
  int jobs = 1;
  int threads = 0; // 0: the codec's default
  std::vector<ImageToolRequest> tools;
};

// Parses argv; on bad usage returns false with a message in `error`.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// The text of --help.
const char* UsageText();
