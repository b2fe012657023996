#include "cli/Batch.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/Convert.h"
#include "cli/FileTypes.h"
#include "cli/SaveOptions.h"

namespace {

// The output name: the input's name up to its last dot, with the type's extension.
std::string OutputPath(const std::string& outputDir, const std::string& input, int type) {
  std::string name = std::filesystem::path(input).filename().string();
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return (std::filesystem::path(outputDir) / (name + ExtensionForType(type))).string();
}

// A one-line progress bar on standard error, shown only on a terminal.
class Progress {
public:
  explicit Progress(size_t total) : total_(total), enabled_(isatty(STDERR_FILENO)) {}
  void Show(size_t done, const std::string& current) {
    if (!enabled_) return;
    constexpr int kWidth = 30;
    int filled = total_ ? static_cast<int>(kWidth * done / total_) : kWidth;
    std::string name = std::filesystem::path(current).filename().string();
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

void ReportFailure(Progress& progress, const std::string& file, const std::string& reason) {
  progress.Clear();
  std::fprintf(stderr, "vuconvert: %s: %s\n", file.c_str(), reason.c_str());
}

// Worker processes: each file is converted in a child of its own, at most `jobs` at a time. The
// child sends its failure reason through a pipe.
struct Worker {
  std::string file;
  int pipe = -1;
};

} // namespace

int RunBatch(const Options& options) {
  int type = TypeFromName(options.typeName);
  if (type < 0) {
    std::fprintf(stderr, "vuconvert: unknown output type %s\n", options.typeName.c_str());
    return 2;
  }
  std::string usage;
  if (!CheckQualityForType(type, options, &usage)) {
    std::fprintf(stderr, "vuconvert: %s\n", usage.c_str());
    return 2;
  }
  std::error_code code;
  std::filesystem::create_directories(options.outputDir, code);
  if (!std::filesystem::is_directory(options.outputDir)) {
    std::fprintf(stderr, "vuconvert: %s: cannot create the output folder\n",
                 options.outputDir.c_str());
    return 1;
  }

  const std::vector<std::string>& files = options.files;
  Progress progress(files.size());
  size_t done = 0, failed = 0;

  if (options.jobs <= 1) {
    for (const std::string& file : files) {
      progress.Show(done, file);
      std::string error;
      if (!ConvertFile(file, OutputPath(options.outputDir, file, type), type, options, &error)) {
        ReportFailure(progress, file, error);
        ++failed;
      }
      ++done;
    }
  } else {
    std::map<pid_t, Worker> running;
    size_t next = 0;
    std::fflush(nullptr);
    while (next < files.size() || !running.empty()) {
      while (next < files.size() && running.size() < static_cast<size_t>(options.jobs)) {
        const std::string& file = files[next++];
        int fds[2];
        if (::pipe(fds) != 0) {
          ReportFailure(progress, file, "cannot start a worker");
          ++failed;
          ++done;
          continue;
        }
        pid_t pid = fork();
        if (pid == 0) {
          close(fds[0]);
          std::string error;
          bool ok =
              ConvertFile(file, OutputPath(options.outputDir, file, type), type, options, &error);
          if (!ok && write(fds[1], error.data(), error.size()) < 0) {
          }
          close(fds[1]);
          _exit(ok ? 0 : 1);
        }
        close(fds[1]);
        if (pid < 0) {
          close(fds[0]);
          ReportFailure(progress, file, "cannot start a worker");
          ++failed;
          ++done;
          continue;
        }
        running[pid] = Worker{file, fds[0]};
        progress.Show(done, file);
      }
      int status = 0;
      pid_t pid = wait(&status);
      if (pid < 0) break;
      auto it = running.find(pid);
      if (it == running.end()) continue;
      std::string reason;
      char buffer[512];
      ssize_t n;
      while ((n = read(it->second.pipe, buffer, sizeof buffer)) > 0)
        reason.append(buffer, n);
      close(it->second.pipe);
      bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      if (!ok) {
        if (reason.empty()) reason = "the worker ended abnormally";
        ReportFailure(progress, it->second.file, reason);
        ++failed;
      }
      ++done;
      progress.Show(done, it->second.file);
      running.erase(it);
    }
  }
  progress.Show(done, "");
  progress.Clear();
  std::fprintf(stderr, "vuconvert: converted %zu of %zu files\n", files.size() - failed,
               files.size());
  return failed ? 1 : 0;
}
