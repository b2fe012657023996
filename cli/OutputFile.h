// Writing an output file without harming what was there, and reading standard input.
#pragma once

#include <sys/types.h>

#include <string>

// The writer fills a temporary file, which then replaces the output in one step: a failure never
// leaves a partial file and never touches the file that was there. A replaced file keeps its
// permissions; a symbolic link is written through to its target; a read-only file is refused
// unless forced. Outputs that are not regular files (standard output as "-", a device, a pipe)
// get the finished bytes copied into them.
class OutputFile {
public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Checks that `output` may be written and reserves the temporary file. False with the reason
  // in `error`.
  bool Prepare(const std::string& output, bool force, std::string* error);
  // Where the writer writes.
  const std::string& TemporaryPath() const { return temporary_; }
  // Puts the finished file in place. False with the reason in `error` (the output is untouched).
  bool Commit(std::string* error);

private:
  std::string target_;    // the file finally written (a symbolic link's target)
  std::string temporary_; // beside the target, or in the temporary folder when copying
  bool copy_ = false;     // copy the bytes into the target instead of renaming over it
  bool existed_ = false;
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
  bool committed_ = false;
};

// The system's text for an errno value, to stand in the middle of a sentence ("no space left on
// device").
std::string SystemReason(int error);

// Why a writer failed, from the errno it left when that names a reason worth telling (no space
// left, file too large, permission denied ...); empty otherwise.
std::string SystemWriteReason(int savedErrno);

// A file name that holds everything read from standard input (a temporary file, removed at
// exit); empty with the reason in `error` when it cannot be made.
std::string StandardInputFile(std::string* error);
