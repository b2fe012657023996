#include "cli/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

// Makes a unique empty file from a mkstemp pattern; the pattern becomes its name.
bool MakeUniqueFile(std::string* pattern) {
  std::vector<char> name(pattern->begin(), pattern->end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  close(fd);
  *pattern = name.data();
  return true;
}

// Follows a chain of symbolic links to the file it ends at (which need not exist yet).
fs::path FinalTarget(const fs::path& output) {
  fs::path path = output;
  std::error_code code;
  for (int i = 0; i < 40 && fs::is_symlink(fs::symlink_status(path, code)); ++i) {
    fs::path next = fs::read_symlink(path, code);
    if (code) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

// Copies everything from one descriptor to another; false with the reason in `error`.
bool CopyBytes(int in, int out, std::string* error) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t n = read(in, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = "cannot read: " + SystemReason(errno);
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        *error = "cannot write: " + SystemReason(w < 0 ? errno : ENOSPC);
        return false;
      }
      done += w;
    }
  }
}

bool CopyInto(const std::string& from, int to, std::string* error) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = "cannot read the finished file back: " + SystemReason(errno);
    return false;
  }
  bool good = CopyBytes(in, to, error);
  close(in);
  return good;
}

} // namespace

std::string SystemReason(int error) {
  std::string text = std::strerror(error);
  // "No space left on device" -> "no space left on device"; abbreviations stay as they are.
  if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && !(text[1] >= 'A' && text[1] <= 'Z'))
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

OutputFile::~OutputFile() {
  if (!temporary_.empty() && (!committed_ || copy_)) unlink(temporary_.c_str());
}

bool OutputFile::Prepare(const std::string& output, bool force, std::string* error) {
  if (output == "-") {
    copy_ = true;
    target_ = output;
    temporary_ = TemporaryFolder() + "/vuconvert-XXXXXX";
    if (!MakeUniqueFile(&temporary_)) {
      *error =
          "cannot create a temporary file in " + TemporaryFolder() + ": " + SystemReason(errno);
      temporary_.clear();
      return false;
    }
    return true;
  }
  fs::path target = FinalTarget(output);
  target_ = target.string();
  struct stat info;
  existed_ = stat(target_.c_str(), &info) == 0;
  if (existed_) {
    if (S_ISDIR(info.st_mode)) {
      *error = "is a folder";
      return false;
    }
    mode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    // Devices and pipes are written into, never replaced.
    copy_ = !S_ISREG(info.st_mode);
    bool readOnly = access(target_.c_str(), W_OK) != 0 || (!copy_ && (mode_ & 0222) == 0);
    if (readOnly && !(force && !copy_)) {
      *error = "the file is read-only" + std::string(copy_ ? "" : " (--force replaces it)");
      return false;
    }
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode_ = 0666 & ~mask;
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code code;
  fs::file_status status = fs::status(folder, code);
  if (!fs::exists(status)) {
    *error = "the folder " + folder.string() + " does not exist";
    return false;
  }
  if (!fs::is_directory(status)) {
    *error = folder.string() + " is not a folder";
    return false;
  }
  std::string pattern =
      copy_ ? TemporaryFolder() + "/vuconvert-XXXXXX"
            : (folder / ("." + target.filename().string() + ".vuconvert-XXXXXX")).string();
  if (!MakeUniqueFile(&pattern)) {
    *error = "cannot create a file in the folder " + (copy_ ? TemporaryFolder() : folder.string()) +
             ": " + SystemReason(errno);
    return false;
  }
  temporary_ = pattern;
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (copy_) {
    bool good;
    if (target_ == "-") {
      good = CopyInto(temporary_, STDOUT_FILENO, error);
    } else {
      int fd = open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) {
        *error = "cannot write: " + SystemReason(errno);
        return false;
      }
      good = CopyInto(temporary_, fd, error);
      if (close(fd) != 0 && good) {
        *error = "cannot write: " + SystemReason(errno);
        good = false;
      }
    }
    committed_ = good;
    return good;
  }
  // The replaced file's owner and group, as far as we may give them (someone who is not the
  // owner can at most keep the group); otherwise the file becomes ours.
  if (existed_ && chown(temporary_.c_str(), owner_, group_) != 0)
    (void)!chown(temporary_.c_str(), static_cast<uid_t>(-1), group_);
  if (chmod(temporary_.c_str(), mode_) != 0) {
    *error = "cannot set the permissions: " + SystemReason(errno);
    return false;
  }
  if (rename(temporary_.c_str(), target_.c_str()) != 0) {
    *error = "cannot replace the file: " + SystemReason(errno);
    return false;
  }
  committed_ = true;
  return true;
}

std::string SystemWriteReason(int savedErrno) {
  switch (savedErrno) {
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
  case EIO:
  case EROFS:
  case EACCES:
  case EPERM:
    return SystemReason(savedErrno);
  default:
    return "";
  }
}

std::string StandardInputFile(std::string* error) {
  static std::string path;
  static bool made = false;
  if (made) return path;
  std::string name = TemporaryFolder() + "/vuconvert-input-XXXXXX";
  if (!MakeUniqueFile(&name)) {
    *error = "cannot create a temporary file in " + TemporaryFolder() + ": " + SystemReason(errno);
    return "";
  }
  int fd = open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool good = fd >= 0 && CopyBytes(STDIN_FILENO, fd, error);
  if (fd >= 0) close(fd);
  if (!good) {
    unlink(name.c_str());
    return "";
  }
  path = name;
  made = true;
  std::atexit([] { unlink(path.c_str()); });
  return path;
}
