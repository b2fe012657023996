// The general preferences: kept in the program's settings and used as the defaults they name.
#pragma once

#include <QString>

class QSettings;

struct Preferences {
  QString inputFolder;  // where the open and batch dialogs start
  int inputFilter = 1;  // the open dialog's filter at start (1-based index into its list)
  QString outputFolder; // where the batch dialog writes
  int outputType = 1;   // the batch dialog's output type (a file type number; 1 is WIF)
  bool previewOpenDialog = false;
  bool autoConvert = false;  // answer the "must be converted" questions with Yes
  int defaultQuality = 50;   // WIF save options, 1..255
  int colorReduction = 0;    // 0 median cut, 1 quick dither
  int defaultContrast = 0;   // -100..100
  int defaultBrightness = 0; // -100..100

  // Reads the stored values, clamping each into its range; missing ones keep the defaults.
  void Load(QSettings& settings);
  void Save(QSettings& settings) const;
};
