#include "imagelib/vuPlatform.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <new>

#include "imagelib/vuSoftwareTarget.h"

int vuPlatformServices::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                                   vuMessageIcon icon) {
  (void)icon;
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return buttons == VU_MB_YESNOCANCEL || buttons == VU_MB_YESNO ? VU_IDYES : VU_IDOK;
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
  // A true-colour screen shows every colour as it is: nothing to load, nothing to repaint.
  if (!palette || screen.bitsPerPixel > 8) return 0;
  return systemPalette.Realize(*palette, background);
}

vuSystemTime vuPlatformServices::GetSystemTime() {
  using namespace std::chrono;
  auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  int64_t ofDay = sinceEpoch % (int64_t(24) * 3600 * 1000);
  vuSystemTime time;
  time.milliseconds = static_cast<int>(ofDay % 1000);
  time.second = static_cast<int>(ofDay / 1000 % 60);
  time.minute = static_cast<int>(ofDay / 60000 % 60);
  time.hour = static_cast<int>(ofDay / 3600000);
  return time;
}

int vuFileExtensionOffset(const std::string& path) {
  size_t nameStart = path.find_last_of('/');
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return static_cast<int>(path.size());
  if (dot + 1 == path.size()) return 0;
  return static_cast<int>(dot + 1);
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
  return buttons == VU_MB_YESNOCANCEL || buttons == VU_MB_YESNO ? VU_IDYES : VU_IDOK;
}

bool vuRecordingPlatform::AnswerFileDialog(vuFileDialog& dialog) {
  fileDialogs.push_back(dialog);
  if (nextFileAnswer_ >= fileAnswers.size()) return false;
  const FileAnswer& given = fileAnswers[nextFileAnswer_++];
  if (given.filterIndex > 0) dialog.filterIndex = given.filterIndex;
  if (!given.chosen) return false;
  dialog.path = given.path;
  dialog.extensionOffset = vuFileExtensionOffset(given.path);
  return true;
}

bool vuRecordingPlatform::GetOpenFileName(vuFileDialog& dialog) {
  return AnswerFileDialog(dialog);
}

bool vuRecordingPlatform::GetSaveFileName(vuFileDialog& dialog) {
  return AnswerFileDialog(dialog);
}

std::unique_ptr<vuDeviceContext> vuRecordingPlatform::MakePrinter() {
  auto printer = std::make_unique<vuSoftwareTarget>(printerWidth, printerHeight, 24);
  printer->SetPageSink(&printedPages);
  return printer;
}

std::unique_ptr<vuDeviceContext> vuRecordingPlatform::PrintDlg(const vuPrintDialog& dialog) {
  printDialogs.push_back(dialog);
  if (!printAccepts) return nullptr;
  return MakePrinter();
}

std::unique_ptr<vuDeviceContext> vuRecordingPlatform::CreatePrinterDC(const std::string& driver,
                                                                      const std::string& device,
                                                                      const std::string& port) {
  printersCreated.push_back(device + "," + driver + "," + port);
  if (device.empty()) return nullptr;
  return MakePrinter();
}

namespace {
bool SameWithoutCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}
} // namespace

std::string vuRecordingPlatform::GetProfileString(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& defaultValue) {
  for (const ProfileValue& entry : profile) {
    if (SameWithoutCase(entry.section, section) && SameWithoutCase(entry.key, key))
      return entry.value;
  }
  return defaultValue;
}

vuSystemTime vuRecordingPlatform::GetSystemTime() {
  if (nextTime_ < times.size()) return times[nextTime_++];
  return vuPlatformServices::GetSystemTime();
}
