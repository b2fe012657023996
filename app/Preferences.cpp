#include "app/Preferences.h"

#include <QSettings>
#include <algorithm>

namespace {
int ReadInt(QSettings& settings, const char* key, int fallback, int low, int high) {
  bool ok = false;
  int value = settings.value(key, fallback).toInt(&ok);
  return ok ? std::clamp(value, low, high) : fallback;
}
} // namespace

void Preferences::Load(QSettings& settings) {
  settings.beginGroup("Preferences");
  inputFolder = settings.value("InputFolder", inputFolder).toString();
  inputFilter = ReadInt(settings, "InputFilter", inputFilter, 1, 12);
  outputFolder = settings.value("OutputFolder", outputFolder).toString();
  outputType = ReadInt(settings, "OutputType", outputType, 1, 13);
  previewOpenDialog = settings.value("PreviewOpenDialog", previewOpenDialog).toBool();
  autoConvert = settings.value("AutoConvert", autoConvert).toBool();
  defaultQuality = ReadInt(settings, "DefaultQuality", defaultQuality, 1, 255);
  colorReduction = ReadInt(settings, "ColorReduction", colorReduction, 0, 1);
  defaultContrast = ReadInt(settings, "DefaultContrast", defaultContrast, -100, 100);
  defaultBrightness = ReadInt(settings, "DefaultBrightness", defaultBrightness, -100, 100);
  settings.endGroup();
}

void Preferences::Save(QSettings& settings) const {
  settings.beginGroup("Preferences");
  settings.setValue("InputFolder", inputFolder);
  settings.setValue("InputFilter", inputFilter);
  settings.setValue("OutputFolder", outputFolder);
  settings.setValue("OutputType", outputType);
  settings.setValue("PreviewOpenDialog", previewOpenDialog);
  settings.setValue("AutoConvert", autoConvert);
  settings.setValue("DefaultQuality", defaultQuality);
  settings.setValue("ColorReduction", colorReduction);
  settings.setValue("DefaultContrast", defaultContrast);
  settings.setValue("DefaultBrightness", defaultBrightness);
  settings.endGroup();
  settings.sync();
}
