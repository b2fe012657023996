#include "cli/Messages.h"

#include <cstdio>
#include <cstring>

namespace {
bool quietWarnings = false;
} // namespace

int MessageLog::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                           vuMessageIcon) {
  std::string t = text ? text : "", c = caption ? caption : "";
  while (!t.empty() && (t.back() == '\n' || t.back() == ' '))
    t.pop_back();
  while (!c.empty() && (c.back() == '\n' || c.back() == ' '))
    c.pop_back();
  // Some readers put the message in the caption and a bare "Error" in the text, some repeat it
  // in both; the phrase keeps what informs.
  std::string phrase;
  if (t.empty() || t == "Error" || t == c)
    phrase = c;
  else if (c.empty() || c == "Info")
    phrase = t;
  else
    phrase = c + ": " + t;
  messages_.push_back(phrase);
  if (verbose) std::fprintf(stderr, "vuconvert: %s: %s\n", file_.c_str(), phrase.c_str());
  return buttons == VU_MB_YESNOCANCEL ? VU_IDYES : VU_IDOK;
}

void MessageLog::Begin(const std::string& file) {
  file_ = file;
  messages_.clear();
}

std::string MessageLog::Last() const {
  return messages_.empty() ? std::string() : messages_.back();
}

MessageLog& Messages() {
  static MessageLog log;
  return log;
}

void Warn(const std::string& file, const std::string& text) {
  if (quietWarnings) return;
  if (file.empty())
    std::fprintf(stderr, "vuconvert: warning: %s\n", text.c_str());
  else
    std::fprintf(stderr, "vuconvert: %s: warning: %s\n", file.c_str(), text.c_str());
}

void SetQuiet(bool quiet) {
  quietWarnings = quiet;
}
