// vuconvert: the command-line converter and compressor.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "cli/Batch.h"
#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "cli/ImageTools.h"
#include "cli/Info.h"
#include "cli/Messages.h"
#include "cli/Options.h"
#include "cli/OutputFile.h"
#include "cli/SaveOptions.h"
#include "codec/wif2/vuWifThreads.h"

namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "vuconvert: %s\nTry 'vuconvert --help'.\n", error.c_str());
  return 2;
}

int Fail(const std::string& file, const std::string& reason) {
  std::fprintf(stderr, "vuconvert: %s: %s\n", file.c_str(), reason.c_str());
  return 1;
}

int ConvertOne(const Options& options) {
  ConvertJob job;
  job.input = options.files[0];
  job.output = options.files[1];
  if (!options.typeName.empty()) {
    job.type = TypeFromName(options.typeName);
    if (job.type < 0)
      return Usage("unknown output type \"" + options.typeName + "\" (the types are " +
                   WritableTypeNames() + ")");
  } else if (job.output == "-") {
    return Usage("writing to standard output needs --type NAME (" + WritableTypeNames() + ")");
  } else {
    job.type = TypeFromFileName(job.output);
    if (job.type < 0)
      return Usage(job.output + ": the extension names no output type; use --type NAME (" +
                   WritableTypeNames() + ")");
  }
  if (!TypeIsWritable(job.type))
    return Usage(job.output + ": " + TypeShortName(job.type) +
                 " files can be read but not written (the types written are " +
                 WritableTypeNames() + ")");
  std::string error;
  std::vector<std::string> warnings;
  if (!CheckOptionsForType(job.type, options, &error, &warnings)) return Usage(error);
  for (const std::string& warning : warnings)
    Warn("", warning);

  if (job.output == "-" && isatty(STDOUT_FILENO))
    return Fail("-", "standard output is a terminal; send the image to a file or a pipe");
  job.inputPath = job.input;
  if (job.input == "-") {
    if (isatty(STDIN_FILENO)) return Fail("-", "standard input is a terminal, not an image");
    job.inputPath = StandardInputFile(&error);
    if (job.inputPath.empty()) return Fail("-", error);
  }
  Failure failure;
  if (!ConvertFile(job, options, &failure)) return Fail(failure.file, failure.reason);
  return 0;
}

int Run(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error) || !CheckImageTools(options, &error))
    return Usage(error);
  // Batch jobs already keep the cores busy, one file each.
  if (options.threads > 0)
    vuWifSetDefaultThreads(options.threads);
  else if (options.mode == Options::Mode::Batch && options.jobs > 1)
    vuWifSetDefaultThreads(1);
  SetQuiet(options.quiet);
  Messages().verbose = options.verbose;
  // The library's message boxes are collected, not printed (shown with -v).
  vuScopedPlatform platform(&Messages());
  switch (options.mode) {
  case Options::Mode::Help:
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  case Options::Mode::Version:
    std::puts("vuconvert " VU_VERSION);
    return 0;
  case Options::Mode::ManPage:
    std::fputs(ManPageText().c_str(), stdout);
    return 0;
  case Options::Mode::Info:
    return RunInfo(options);
  case Options::Mode::Batch:
    return RunBatch(options);
  case Options::Mode::Convert:
    break;
  }
  return ConvertOne(options);
}

} // namespace

int main(int argc, char** argv) {
  // Whatever goes wrong below ends in a message and an exit status, never in an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "vuconvert: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vuconvert: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "vuconvert: an unexpected failure\n");
  }
  return 1;
}
