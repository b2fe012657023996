// The command line of vuconvert.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One image tool, applied in command-line order before the file is written.
struct ImageToolRequest {
  std::string name;  // "gray", "rgb", "colors", "rotate", "flip", "crop", "filter", "invert", ...
  std::string value; // the option's argument, empty for switches
};

struct Options {
  enum class Mode { Convert, Info, Batch, Help, Version, ManPage };
  Mode mode = Mode::Convert;
  std::vector<std::string> files; // convert: INPUT OUTPUT; info and batch: the inputs
  std::string typeName;           // --type NAME, or --to EXT in batch mode
  std::string outputDir;          // -o DIR (batch)
  int quality = 0;                // 0: the output type's default
  bool fast = false;
  bool tiles = false;
  int bits = 0; // significant bits of 16-bit samples, 0: as the image says
  std::string reduce = "median-cut";
  int jobs = 1;
  int threads = 0; // 0: the codec's default
  std::vector<ImageToolRequest> tools;

  bool allowDamaged = false;     // write what a damaged file gave, with a warning
  bool suffixCollisions = false; // batch: NAME-2.EXT when two inputs make the same output name
  bool force = false;            // replace read-only outputs, clip samples for --bits
  bool verbose = false;          // the library's messages and the figures of each output
  bool quiet = false;            // no warnings
  bool json = false;             // --info: one JSON object per file
  int64_t targetSize = 0;        // --size BYTES: the best quality that fits
  double targetPsnr = 0;         // --psnr DB: the smallest file that reaches it

  // What the user gave explicitly, for the checks of options that would do nothing.
  bool reduceGiven = false;
  bool toGiven = false;
  bool outputDirGiven = false;
  bool jobsGiven = false;
};

// Parses argv and checks that the options fit together (options that could only be mistakes,
// such as -o outside batch mode, are refused); on bad usage returns false with a message in
// `error`.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// The text of --help and the manual page made from the same descriptions.
std::string UsageText();
std::string ManPageText();
