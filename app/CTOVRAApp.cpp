#include "app/CTOVRAApp.h"

#include <QFileInfo>
#include <QSettings>

int MouseModeCursor(int mode) {
  switch (mode) {
  case MOUSE_ZOOM:
    return 167;
  case MOUSE_PAN:
    return 154;
  default:
    return 184;
  }
}

CTOVRAApp::CTOVRAApp(const QString& settingsFile)
    : settings_(settingsFile.isEmpty()
                    ? std::make_unique<QSettings>("Tessary", "vustudio")
                    : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat)) {
  preferences.Load(*settings_);
  colorReduction = preferences.colorReduction;
  lastOpenFilterIndex = preferences.inputFilter;
  settings_->beginGroup("Recent File List");
  for (int i = 1; i <= kRecentFiles; ++i) {
    QString path = settings_->value(QString("File%1").arg(i)).toString();
    if (!path.isEmpty() && !recentFiles_.contains(path)) recentFiles_.append(path);
  }
  settings_->endGroup();
}

CTOVRAApp::~CTOVRAApp() = default;

QString CTOVRAApp::Caption() {
  return QString("%1 V%2").arg(Title(), Version());
}

void CTOVRAApp::SetMouseMode(int mode) {
  mouseMode = mode;
  cursorResource = MouseModeCursor(mode);
}

void CTOVRAApp::AddRecentFile(const QString& path) {
  QString full = QFileInfo(path).absoluteFilePath();
  recentFiles_.removeAll(full);
  recentFiles_.prepend(full);
  while (recentFiles_.size() > kRecentFiles)
    recentFiles_.removeLast();
  SaveRecentFiles();
}

void CTOVRAApp::RemoveRecentFile(const QString& path) {
  if (recentFiles_.removeAll(path) > 0) SaveRecentFiles();
}

void CTOVRAApp::SavePreferences() {
  preferences.Save(*settings_);
}

void CTOVRAApp::SaveRecentFiles() {
  settings_->beginGroup("Recent File List");
  settings_->remove("");
  for (int i = 0; i < recentFiles_.size(); ++i)
    settings_->setValue(QString("File%1").arg(i + 1), recentFiles_[i]);
  settings_->endGroup();
  settings_->sync();
}
