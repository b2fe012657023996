// Application-wide state of the desktop program: document count, active view, display choices,
// mouse mode, the open dialog's filter, preferences and the recent-file list.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/Preferences.h"

class QSettings;
class CTOVRADoc;
class CTOVRAView;

// Mouse modes (their command ids) and their cursor resources.
enum MouseMode : int {
  MOUSE_NONE = 0,
  MOUSE_ZOOM = 32835,
  MOUSE_PAN = 32837,
  MOUSE_SELECTION = 32839,
  MOUSE_CROP = 32849,
};
int MouseModeCursor(int mode);

class CTOVRAApp {
public:
  // The program's settings file; empty for the user's standard settings.
  explicit CTOVRAApp(const QString& settingsFile = QString());
  ~CTOVRAApp();
  CTOVRAApp(const CTOVRAApp&) = delete;
  CTOVRAApp& operator=(const CTOVRAApp&) = delete;

  static const char* Title() { return "The Tessary"; }
  static const char* Version() { return "2.00b"; }
  // "The Tessary V2.00b": the main window's and the about box's caption.
  static QString Caption();

  int documentCount = 0;
  CTOVRAView* activeView = nullptr;
  int colorReduction = 0; // a vuColorReduction: how 24-bit images are shown on 8-bit screens
  CTOVRADoc* cropSource = nullptr;
  int mouseMode = MOUSE_NONE;
  int cursorResource = 184;
  int lastOpenFilterIndex = 1;
  Preferences preferences;

  void SetMouseMode(int mode);

  // The most recently used files, newest first, at most four.
  static constexpr int kRecentFiles = 4;
  const QStringList& RecentFiles() const { return recentFiles_; }
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);

  QSettings& Settings() { return *settings_; }
  void SavePreferences();

  // Saves a document for the close prompt; true when it was saved. Installed by the main frame.
  std::function<bool(CTOVRADoc&)> saveDocument;

private:
  void SaveRecentFiles();
  std::unique_ptr<QSettings> settings_;
  QStringList recentFiles_;
};
