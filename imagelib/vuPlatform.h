// The platform-service layer: the few system services the library and the programs call (message
// boxes, logical palettes and the screen, file and print dialogs, printers, the clock). The default
// implementation is headless; programs install their own.
//
// Contracts:
// - Headless, every dialog answers "cancelled", no printer can be had, profile look-ups give their
//   default, and the clock is the system's.
// - The screen is a setting (programs take its depth from --screen-depth N); the system palette
//   is the state of the simulated palette screen (see vuDrawing.h). Both belong to the installed
//   services, so installing fresh services starts from a fresh screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/vuDrawing.h"

struct vuRGBA;
struct vuWifSaveOptions;
struct vuJpegSaveOptions;
class vuImage;

enum vuMessageButtons { VU_MB_OK = 0, VU_MB_OKCANCEL = 1, VU_MB_YESNOCANCEL = 3, VU_MB_YESNO = 4 };
enum vuMessageIcon {
  VU_ICON_NONE = 0,
  VU_ICON_ERROR = 0x10,
  VU_ICON_QUESTION = 0x20,
  VU_ICON_WARNING = 0x30,
  VU_ICON_INFORMATION = 0x40
};
// The pressed button (the Windows numbering).
enum vuMessageResult { VU_IDOK = 1, VU_IDCANCEL = 2, VU_IDYES = 6, VU_IDNO = 7 };

// The screen the programs draw on. Depths of 8 bits or fewer make a palette screen.
struct vuScreenInfo {
  int width = 1024;
  int height = 768;
  int bitsPerPixel = 24;
};

// One entry of a file dialog's filter list: "JPEG (JPG)" with "*.JPG;*.JPE".
struct vuFileFilter {
  std::string description;
  std::string patterns; // patterns separated by ';'
};

// A file dialog: what the caller asks for and, after the dialog, what the user chose.
struct vuFileDialog {
  void* owner = nullptr; // the program's window, or null
  std::string title;
  std::vector<vuFileFilter> filters;
  int filterIndex = 1; // 1-based: the filter shown first, then the one chosen (also on cancel)
  std::string initialName;
  std::string initialFolder;
  bool mustExist = false;       // open dialogs: the file and its folder must exist
  bool promptOverwrite = false; // save dialogs: ask before replacing a file
  bool selectFolder = false;    // choose a folder instead of a file
  bool preview = false;         // open dialogs: show the picture and facts of the selected file

  // The answer: the chosen full path and where its extension starts (see vuFileExtensionOffset).
  std::string path;
  int extensionOffset = 0;
};

// Where a path's extension starts, as the save dialogs report it: the offset just past the last
// dot of the file name; the length of the path when the name has no dot; 0 when it ends with a dot.
int vuFileExtensionOffset(const std::string& path);

// The print dialog's request.
struct vuPrintDialog {
  void* owner = nullptr;
  bool pageNumbers = false; // offer a page range
  bool selection = false;   // offer "selection"
  int copies = 1;
};

// The time of day as the system clock gives it (UTC).
struct vuSystemTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

class vuPlatformServices {
public:
  virtual ~vuPlatformServices() = default;

  vuScreenInfo screen;
  vuSystemPalette systemPalette;

  // A modal message box; returns the pressed button. Headless: "caption: text" on standard error,
  // answered with the default button (OK, or Yes for Yes/No and Yes/No/Cancel).
  virtual int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                         vuMessageIcon icon);

  // Logical palettes. CreatePalette copies the entries; the handle is released with DeletePalette.
  virtual vuPaletteHandle CreatePalette(uint16_t version, int count, const vuPaletteEntry* entries);
  virtual void DeletePalette(vuPaletteHandle palette);
  // Realises the palette in the foreground or background on the screen; returns the number of
  // system-palette entries that changed (always 0 on a screen deeper than 8 bits).
  virtual int RealizePalette(vuPaletteHandle palette, bool background);

  // File dialogs. True when the user chose a file: `path`, `extensionOffset` and `filterIndex`
  // are filled. False when cancelled (`filterIndex` still says the filter last shown).
  virtual bool GetOpenFileName(vuFileDialog& dialog) {
    (void)dialog;
    return false;
  }
  virtual bool GetSaveFileName(vuFileDialog& dialog) {
    (void)dialog;
    return false;
  }

  // The print dialog: the chosen printer's device context, or null when cancelled.
  virtual std::unique_ptr<vuDeviceContext> PrintDlg(const vuPrintDialog& dialog) {
    (void)dialog;
    return nullptr;
  }
  // A printer's device context by driver, device and port names; null when there is no such
  // printer.
  virtual std::unique_ptr<vuDeviceContext>
  CreatePrinterDC(const std::string& driver, const std::string& device, const std::string& port) {
    (void)driver;
    (void)device;
    (void)port;
    return nullptr;
  }
  // A value of the system profile ("WINDOWS", "DEVICE" names the default printer as
  // "device,driver,port"); the default when there is none.
  virtual std::string GetProfileString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
    (void)section;
    (void)key;
    return defaultValue;
  }

  // The current time of day.
  virtual vuSystemTime GetSystemTime();

  // The modal "JPEG Save Options" dialog (quality 1..100, starting at 80). Returns a record
  // allocated with new (the caller deletes it), or null when cancelled. Headless: null.
  virtual vuJpegSaveOptions* AskJpegSaveOptions() { return nullptr; }
  // The modal "WIF Save Options" dialog for an image (16-bit images get the variant with the
  // significant-bits slider); `enableViewAfter` enables its "View after compress" box. Returns a
  // record allocated with new (the caller deletes it), or null when cancelled. Headless: null.
  virtual vuWifSaveOptions* AskWifSaveOptions(const vuImage& image, int enableViewAfter) {
    (void)image;
    (void)enableViewAfter;
    return nullptr;
  }
};

// The services in use. Never null: the headless default until a program installs its own.
vuPlatformServices& vuPlatform();
// Installs services (null restores the headless default); returns the previous ones.
vuPlatformServices* vuSetPlatform(vuPlatformServices* services);

// A page a printer finished: the document it belongs to and its pixels (0xFFRRGGBB, top row
// first).
struct vuPrintedPage {
  std::string document;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Headless services that record every message box and dialog and answer from prepared answers,
// for tests, batch runs and test hosts. Its printers are software pages that keep what they print.
class vuRecordingPlatform : public vuPlatformServices {
public:
  struct Message {
    std::string text;
    std::string caption;
    vuMessageButtons buttons;
    vuMessageIcon icon;
  };
  // A prepared file-dialog answer: chosen (with the path and filter) or cancelled. A filter index
  // of 0 keeps the one the dialog was opened with.
  struct FileAnswer {
    bool chosen = false;
    std::string path;
    int filterIndex = 0;
  };

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
  vuSystemTime GetSystemTime() override;

  std::vector<Message> messages;
  int answer = 0; // 0: the default button; otherwise the result to give

  // File dialogs as asked (open and save alike), answered from fileAnswers in order; once those
  // are used up, cancelled.
  std::vector<vuFileDialog> fileDialogs;
  std::vector<FileAnswer> fileAnswers;

  // Print dialogs as asked; accepted when printAccepts is set. Printers (from the dialog, or any
  // non-empty device name) are pages of printerWidth x printerHeight whose finished pages land in
  // printedPages, so they outlive the device context. The platform must outlive its printers.
  std::vector<vuPrintDialog> printDialogs;
  bool printAccepts = false;
  int printerWidth = 1275;
  int printerHeight = 1650;
  std::vector<std::string> printersCreated; // "device,driver,port" of every CreatePrinterDC
  std::vector<vuPrintedPage> printedPages;

  // Profile values by section and key (both matched without regard to case).
  struct ProfileValue {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<ProfileValue> profile;

  // Times the clock gives, in order; once used up, the system clock.
  std::vector<vuSystemTime> times;

private:
  bool AnswerFileDialog(vuFileDialog& dialog);
  std::unique_ptr<vuDeviceContext> MakePrinter();
  size_t nextFileAnswer_ = 0;
  size_t nextTime_ = 0;
};

// Installs a platform for the lifetime of the guard and restores the previous one afterwards.
class vuScopedPlatform {
public:
  explicit vuScopedPlatform(vuPlatformServices* services) : previous_(vuSetPlatform(services)) {}
  ~vuScopedPlatform() { vuSetPlatform(previous_); }
  vuScopedPlatform(const vuScopedPlatform&) = delete;
  vuScopedPlatform& operator=(const vuScopedPlatform&) = delete;

private:
  vuPlatformServices* previous_;
};
