// The platform services of the desktop program: real message boxes, file and print dialogs and
// printers on Qt.
#pragma once

#include "imagelib/vuPlatform.h"

class QWidget;
struct Preferences;

class QtPlatform : public vuPlatformServices {
public:
  // Screen size and depth from the primary screen; a depth above 0 overrides the real one.
  explicit QtPlatform(int screenDepth = 0);

  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override;
  bool GetOpenFileName(vuFileDialog& dialog) override;
  bool GetSaveFileName(vuFileDialog& dialog) override;
  std::unique_ptr<vuDeviceContext> PrintDlg(const vuPrintDialog& dialog) override;
  std::unique_ptr<vuDeviceContext> CreatePrinterDC(const std::string& driver,
                                                   const std::string& device,
                                                   const std::string& port) override;
  std::string GetProfileString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) override;
  // The writers' options dialogs; the WIF dialog starts at the preferred quality.
  vuJpegSaveOptions* AskJpegSaveOptions() override;
  vuWifSaveOptions* AskWifSaveOptions(const vuImage& image, int enableViewAfter) override;

  // The user's preferences, when the program has them.
  const Preferences* preferences = nullptr;
};

// The window a dialog belongs to: the owner given, else the active window.
QWidget* DialogOwner(void* owner);
