// The platform-service layer: the few system services the library calls (message boxes, logical
// palettes). The default implementation is headless; programs install their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct vuRGBA;
struct vuWifSaveOptions;
struct vuJpegSaveOptions;
class vuImage;

enum vuMessageButtons { VU_MB_OK = 0, VU_MB_OKCANCEL = 1, VU_MB_YESNOCANCEL = 3 };
enum vuMessageIcon {
  VU_ICON_NONE = 0,
  VU_ICON_ERROR = 0x10,
  VU_ICON_QUESTION = 0x20,
  VU_ICON_WARNING = 0x30,
  VU_ICON_INFORMATION = 0x40
};
// The pressed button (the Windows numbering).
enum vuMessageResult { VU_IDOK = 1, VU_IDCANCEL = 2, VU_IDYES = 6, VU_IDNO = 7 };

// One entry of a logical palette.
struct vuPaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
};

// A logical palette as the display realises it.
struct vuLogicalPalette {
  uint16_t version = 0x300;
  std::vector<vuPaletteEntry> entries;
};
using vuPaletteHandle = vuLogicalPalette*;

class vuPlatformServices {
public:
  virtual ~vuPlatformServices() = default;

  // A modal message box; returns the pressed button. Headless: "caption: text" on standard error,
  // answered with the default button (OK, or Yes for Yes/No/Cancel).
  virtual int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                         vuMessageIcon icon);

  // Logical palettes. CreatePalette copies the entries; the handle is released with DeletePalette.
  virtual vuPaletteHandle CreatePalette(uint16_t version, int count, const vuPaletteEntry* entries);
  virtual void DeletePalette(vuPaletteHandle palette);
  // Realises the palette in the foreground or background; returns the number of changed entries.
  virtual int RealizePalette(vuPaletteHandle palette, bool background);

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

// Headless services that record every message box, for tests and batch runs.
class vuRecordingPlatform : public vuPlatformServices {
public:
  struct Message {
    std::string text;
    std::string caption;
    vuMessageButtons buttons;
    vuMessageIcon icon;
  };
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override;

  std::vector<Message> messages;
  int answer = 0; // 0: the default button; otherwise the result to give
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
