#include "imagelib/vuPlatform.h"

#include <cstdio>
#include <new>

int vuPlatformServices::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                                   vuMessageIcon icon) {
  (void)icon;
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return buttons == VU_MB_YESNOCANCEL ? VU_IDYES : VU_IDOK;
}

vuPaletteHandle vuPlatformServices::CreatePalette(uint16_t version, int count,
                                                  const vuPaletteEntry* entries) {
  if (count < 0) return nullptr;
  auto* palette = new (std::nothrow) vuLogicalPalette;
  if (!palette) return nullptr;
  palette->version = version;
  palette->entries.assign(entries, entries + count);
  return palette;
}

void vuPlatformServices::DeletePalette(vuPaletteHandle palette) {
  delete palette;
}

int vuPlatformServices::RealizePalette(vuPaletteHandle palette, bool background) {
  (void)background;
  // A true-colour device maps every entry at once.
  return palette ? static_cast<int>(palette->entries.size()) : 0;
}

namespace {
vuPlatformServices headlessPlatform;
vuPlatformServices* currentPlatform = &headlessPlatform;
} // namespace

vuPlatformServices& vuPlatform() {
  return *currentPlatform;
}

vuPlatformServices* vuSetPlatform(vuPlatformServices* services) {
  vuPlatformServices* previous = currentPlatform;
  currentPlatform = services ? services : &headlessPlatform;
  return previous;
}

int vuRecordingPlatform::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                                    vuMessageIcon icon) {
  messages.push_back(Message{text ? text : "", caption ? caption : "", buttons, icon});
  if (answer != 0) return answer;
  return buttons == VU_MB_YESNOCANCEL ? VU_IDYES : VU_IDOK;
}
