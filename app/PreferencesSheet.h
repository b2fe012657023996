// "General Preferences": four pages of defaults (General, Compression, Viewing, Image
// Processing). OK hands the edited values back; the caller stores them.
#pragma once

#include <QDialog>

#include "app/Preferences.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTabWidget;

class PreferencesSheet : public QDialog {
  Q_OBJECT
public:
  PreferencesSheet(const Preferences& values, QWidget* parent = nullptr);

  // The values as the pages show them now.
  Preferences Values() const;
  QTabWidget* Pages() const { return pages_; }

  // The output types the General page offers (file type numbers), in order.
  static const std::vector<std::pair<int, const char*>>& OutputTypes();

private:
  QWidget* GeneralPage();
  QWidget* CompressionPage();
  QWidget* ViewingPage();
  QWidget* ImageProcessingPage();
  QWidget* FolderRow(QLineEdit*& field, const QString& name);

  Preferences values_;
  QTabWidget* pages_;
  QLineEdit* inputFolder_ = nullptr;
  QComboBox* inputType_ = nullptr;
  QLineEdit* outputFolder_ = nullptr;
  QComboBox* outputType_ = nullptr;
  QCheckBox* previewOpen_ = nullptr;
  QCheckBox* autoConvert_ = nullptr;
  QSpinBox* waveletLevels_ = nullptr;
  QSlider* quality_ = nullptr;
  QComboBox* colorReduction_ = nullptr;
  QCheckBox* interactiveFiltering_ = nullptr;
  QSpinBox* contrast_ = nullptr;
  QSpinBox* brightness_ = nullptr;
};
