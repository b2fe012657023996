#include "cli/Batch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>

#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "cli/Messages.h"
#include "cli/SaveOptions.h"

namespace fs = std::filesystem;

namespace {

// The output name: the input's name up to its last dot, with the type's extension (and a number
// before it when `number` is above 1).
std::string OutputPath(const std::string& outputDir, const std::string& input, int type,
                       int number) {
  std::string name = fs::path(input).filename().string();
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (number > 1) name += '-' + std::to_string(number);
  return (fs::path(outputDir) / (name + ExtensionForType(type))).string();
}

// One file of the batch, and the earlier input that already makes its output name (if any).
struct BatchEntry {
  ConvertJob job;
  std::string collidesWith;
};

// Gives every input its output name. Two inputs that would make the same name (photo.ppm and
// photo.png) would silently overwrite each other: the later one is refused, or numbered.
std::vector<BatchEntry> PlanOutputs(const Options& options, int type) {
  std::vector<BatchEntry> entries;
  std::map<std::string, std::string> taken; // output -> the input that makes it
  for (const std::string& file : options.files) {
    BatchEntry entry;
    entry.job = ConvertJob{file, file, OutputPath(options.outputDir, file, type, 1), type};
    if (auto earlier = taken.find(entry.job.output); earlier != taken.end()) {
      if (options.suffixCollisions) {
        for (int n = 2; taken.count(entry.job.output); ++n)
          entry.job.output = OutputPath(options.outputDir, file, type, n);
      } else {
        entry.collidesWith = earlier->second;
      }
    }
    if (entry.collidesWith.empty()) taken[entry.job.output] = file;
    entries.push_back(entry);
  }
  return entries;
}

bool Convert(const BatchEntry& entry, const Options& options, Failure* failure) {
  if (!entry.collidesWith.empty()) {
    *failure = Failure{entry.job.input, entry.job.output + " is already the output of " +
                                            entry.collidesWith +
                                            " (--suffix-collisions numbers the later ones)"};
    return false;
  }
  try {
    return ConvertFile(entry.job, options, failure);
  } catch (const std::exception& e) {
    *failure = Failure{entry.job.input, e.what()};
    return false;
  }
}

// A one-line progress bar on standard error, shown only on a terminal.
class Progress {
public:
  explicit Progress(size_t total) : total_(total), enabled_(isatty(STDERR_FILENO)) {}
  void Show(size_t done, const std::string& current) {
    if (!enabled_) return;
    constexpr int kWidth = 30;
    int filled = total_ ? static_cast<int>(kWidth * done / total_) : kWidth;
    std::string name = fs::path(current).filename().string();
    if (name.size() > 30) name = name.substr(0, 27) + "...";
    std::fprintf(stderr, "\r[%s%s] %zu/%zu %-30s", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done, total_, name.c_str());
    std::fflush(stderr);
  }
  // Clears the bar so that a message can be printed on its own line.
  void Clear() {
    if (enabled_) std::fprintf(stderr, "\r%*s\r", 80, "");
  }

private:
  size_t total_;
  bool enabled_;
};

void ReportFailure(Progress& progress, const Failure& failure) {
  progress.Clear();
  std::fprintf(stderr, "vuconvert: %s: %s\n", failure.file.c_str(), failure.reason.c_str());
}

// Worker processes: each file is converted in a child of its own, at most `jobs` at a time. The
// child sends the failing file and the reason through a pipe, on two lines.
struct Worker {
  std::string input;
  int pipe = -1;
};

void WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

Failure ReadFailure(int fd, const std::string& input) {
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(n));
  size_t newline = text.find('\n');
  if (newline == std::string::npos) return Failure{input, "the worker ended abnormally"};
  return Failure{text.substr(0, newline), text.substr(newline + 1)};
}

} // namespace

int RunBatch(const Options& options) {
  int type = TypeFromName(options.typeName);
  std::string usage;
  std::vector<std::string> warnings;
  if (type < 0) {
    usage = "unknown output type \"" + options.typeName + "\" (the types are " +
            WritableTypeNames() + ")";
  } else if (!TypeIsWritable(type)) {
    usage = TypeShortName(type) + " files can be read but not written (the types written are " +
            WritableTypeNames() + ")";
  } else {
    CheckOptionsForType(type, options, &usage, &warnings);
  }
  if (!usage.empty()) {
    std::fprintf(stderr, "vuconvert: %s\nTry 'vuconvert --help'.\n", usage.c_str());
    return 2;
  }
  for (const std::string& warning : warnings)
    Warn("", warning);
  std::error_code made, checked;
  fs::create_directories(options.outputDir, made);
  if (!fs::is_directory(options.outputDir, checked)) {
    std::string reason = made ? made.message() : "it is not a folder";
    std::fprintf(stderr, "vuconvert: %s: cannot make the output folder: %s\n",
                 options.outputDir.c_str(), reason.c_str());
    return 1;
  }

  const std::vector<BatchEntry> entries = PlanOutputs(options, type);
  Progress progress(entries.size());
  size_t done = 0, failed = 0;

  if (options.jobs <= 1) {
    for (const BatchEntry& entry : entries) {
      progress.Show(done, entry.job.input);
      Failure failure;
      if (!Convert(entry, options, &failure)) {
        ReportFailure(progress, failure);
        ++failed;
      }
      ++done;
    }
  } else {
    std::map<pid_t, Worker> running;
    size_t next = 0;
    std::fflush(nullptr);
    while (next < entries.size() || !running.empty()) {
      while (next < entries.size() && running.size() < static_cast<size_t>(options.jobs)) {
        const BatchEntry& entry = entries[next++];
        int fds[2];
        if (::pipe(fds) != 0) {
          ReportFailure(progress, Failure{entry.job.input, "cannot start a worker"});
          ++failed;
          ++done;
          continue;
        }
        pid_t pid = fork();
        if (pid == 0) {
          close(fds[0]);
          Failure failure;
          bool ok = Convert(entry, options, &failure);
          if (!ok) WriteAll(fds[1], failure.file + "\n" + failure.reason);
          close(fds[1]);
          std::fflush(nullptr);
          _exit(ok ? 0 : 1);
        }
        close(fds[1]);
        if (pid < 0) {
          close(fds[0]);
          ReportFailure(progress, Failure{entry.job.input, "cannot start a worker"});
          ++failed;
          ++done;
          continue;
        }
        running[pid] = Worker{entry.job.input, fds[0]};
        progress.Show(done, entry.job.input);
      }
      int status = 0;
      pid_t pid = wait(&status);
      if (pid < 0) break;
      auto it = running.find(pid);
      if (it == running.end()) continue;
      Failure failure = ReadFailure(it->second.pipe, it->second.input);
      close(it->second.pipe);
      bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      if (!ok) {
        ReportFailure(progress, failure);
        ++failed;
      }
      ++done;
      progress.Show(done, it->second.input);
      running.erase(it);
    }
  }
  progress.Show(done, "");
  progress.Clear();
  std::fprintf(stderr, "vuconvert: converted %zu of %zu files\n", entries.size() - failed,
               entries.size());
  return failed ? 1 : 0;
}
