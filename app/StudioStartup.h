// Start-up of the desktop program, apart from main() so tests can run it.
#pragma once

#include <QStringList>
#include <memory>

class CMainFrame;
class CTOVRAApp;

struct StartupOptions {
  int screenDepth = 0; // 0: the real screen's
  QStringList files;
  QString error; // set when the command line could not be read
  bool help = false;
};

// Reads "--screen-depth N", "--help" and file names.
StartupOptions ParseCommandLine(const QStringList& arguments);
// "Usage: ..." for --help and bad command lines.
QString UsageText();

// Creates the main window, shows it and opens the files, in the program's start-up order.
std::unique_ptr<CMainFrame> StartStudio(CTOVRAApp& app, const QStringList& files);
