// What vuconvert tells the user besides its results: the library's own messages (collected, shown
// with -v, the decisive one folded into a failure's line) and the program's warnings.
#pragma once

#include <string>
#include <vector>

#include "imagelib/vuPlatform.h"

// The platform services of a vuconvert run: message boxes are collected per file instead of
// printed, shown at once with -v, and answered with the default button.
class MessageLog : public vuPlatformServices {
public:
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override;

  // Starts collecting for one file: `file` names it in the lines -v prints.
  void Begin(const std::string& file);
  // The last message collected for the current file as one phrase ("caption: text", or only the
  // informative part of it), empty when there was none.
  std::string Last() const;

  bool verbose = false;

private:
  std::string file_;
  std::vector<std::string> messages_;
};

// The log installed for the run (main sets it up).
MessageLog& Messages();

// Prints "vuconvert: FILE: warning: TEXT" (without "FILE: " when it is empty) on standard error
// unless warnings are silenced.
void Warn(const std::string& file, const std::string& text);
void SetQuiet(bool quiet);
