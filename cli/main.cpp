// vuconvert: the command-line converter and compressor.
#include <cstdio>
#include <string>

#include "cli/Batch.h"
#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "cli/ImageTools.h"
#include "cli/Info.h"
#include "cli/Options.h"
#include "cli/SaveOptions.h"
#include "codec/wif2/vuWifThreads.h"

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error) || !CheckImageTools(options, &error)) {
    std::fprintf(stderr, "vuconvert: %s\nTry 'vuconvert --help'.\n", error.c_str());
    return 2;
  }
  // Batch jobs already keep the cores busy, one file each.
  if (options.threads > 0)
    vuWifSetDefaultThreads(options.threads);
  else if (options.mode == Options::Mode::Batch && options.jobs > 1)
    vuWifSetDefaultThreads(1);
  switch (options.mode) {
  case Options::Mode::Help:
    std::fputs(UsageText(), stdout);
    return 0;
  case Options::Mode::Info: {
    int status = 0;
    for (const std::string& file : options.files) {
      if (!PrintFileInfo(file, &error)) {
        std::fprintf(stderr, "vuconvert: %s: %s\n", file.c_str(), error.c_str());
        status = 1;
      }
    }
    return status;
  }
  case Options::Mode::Batch:
    return RunBatch(options);
  case Options::Mode::Convert:
    break;
  }
  const std::string& input = options.files[0];
  const std::string& output = options.files[1];
  int type = options.typeName.empty() ? TypeFromFileName(output) : TypeFromName(options.typeName);
  if (type < 0) {
    std::fprintf(stderr, "vuconvert: %s: unknown output type (use --type NAME)\n", output.c_str());
    return 2;
  }
  if (!CheckQualityForType(type, options, &error)) {
    std::fprintf(stderr, "vuconvert: %s\nTry 'vuconvert --help'.\n", error.c_str());
    return 2;
  }
  if (!ConvertFile(input, output, type, options, &error)) {
    std::fprintf(stderr, "vuconvert: %s: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
