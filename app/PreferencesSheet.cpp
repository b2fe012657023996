#include "app/PreferencesSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/OpenImageDialog.h"

namespace {
QComboBox* ComboOf(const QStringList& items, int current) {
  auto* box = new QComboBox;
  box->addItems(items);
  box->setCurrentIndex(std::clamp(current, 0, int(items.size()) - 1));
  return box;
}
} // namespace

const std::vector<std::pair<int, const char*>>& PreferencesSheet::OutputTypes() {
  static const std::vector<std::pair<int, const char*>> types = {
      {1, "VU Wavelet Image File (WIF)"},
      {2, "Windows Bitmap (BMP)"},
      {3, "PC Paintbrush File (PCX)"},
      {4, "Portable Pixel Map (PPM)"},
      {5, "Portable Grey Map (PGM)"},
      {7, "TIFF (TIF)"},
      {8, "Targa (TGA)"},
      {12, "JPEG (JPG)"},
      {13, "Portable Network Graphics (PNG)"}};
  return types;
}

PreferencesSheet::PreferencesSheet(const Preferences& values, QWidget* parent)
    : QDialog(parent), values_(values), pages_(new QTabWidget(this)) {
  setWindowTitle("General Preferences");
  pages_->addTab(GeneralPage(), "General");
  pages_->addTab(CompressionPage(), "Compression");
  pages_->addTab(ViewingPage(), "Viewing");
  pages_->addTab(ImageProcessingPage(), "Image Processing");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QWidget* PreferencesSheet::FolderRow(QLineEdit*& field, const QString& name) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  field = new QLineEdit;
  field->setObjectName(name);
  auto* browse = new QPushButton("Browse");
  QLineEdit* target = field;
  connect(browse, &QPushButton::clicked, this, [this, target] {
    QString folder = QFileDialog::getExistingDirectory(this, "Default Folder", target->text());
    if (!folder.isEmpty()) target->setText(folder);
  });
  layout->addWidget(field, 1);
  layout->addWidget(browse);
  return row;
}

QWidget* PreferencesSheet::GeneralPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);

  auto* input = new QGroupBox("Input Preferences");
  auto* inputForm = new QFormLayout(input);
  inputForm->addRow("Default Folder", FolderRow(inputFolder_, "InputFolder"));
  inputFolder_->setText(values_.inputFolder);
  QStringList inputTypes;
  for (const vuFileFilter& filter : OpenDialogFilters())
    inputTypes << QString::fromStdString(filter.description);
  inputType_ = ComboOf(inputTypes, values_.inputFilter - 1);
  inputForm->addRow("Default Input Type", inputType_);
  layout->addWidget(input);

  auto* output = new QGroupBox("Default Output Preferences");
  auto* outputForm = new QFormLayout(output);
  outputForm->addRow("Default Folder", FolderRow(outputFolder_, "OutputFolder"));
  outputFolder_->setText(values_.outputFolder);
  QStringList outputTypes;
  int current = 0;
  for (size_t i = 0; i < OutputTypes().size(); ++i) {
    outputTypes << OutputTypes()[i].second;
    if (OutputTypes()[i].first == values_.outputType) current = int(i);
  }
  outputType_ = ComboOf(outputTypes, current);
  outputForm->addRow("Default Output Type", outputType_);
  layout->addWidget(output);

  previewOpen_ = new QCheckBox("Previewing Open Dialog");
  previewOpen_->setChecked(values_.previewOpenDialog);
  layout->addWidget(previewOpen_);
  autoConvert_ = new QCheckBox("Auto Convert Images For Compression");
  autoConvert_->setChecked(values_.autoConvert);
  layout->addWidget(autoConvert_);
  layout->addStretch(1);
  return page;
}

QWidget* PreferencesSheet::CompressionPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* wavelet = new QGroupBox("Wavelet Options");
  auto* waveletForm = new QFormLayout(wavelet);
  waveletLevels_ = new QSpinBox;
  waveletLevels_->setRange(1, 7);
  waveletLevels_->setValue(5);
  waveletLevels_->setEnabled(false);
  waveletLevels_->setToolTip("The number of wavelet levels is fixed by the file format.");
  waveletForm->addRow("Default Wavelet Levels", waveletLevels_);
  layout->addWidget(wavelet);

  auto* quantizer = new QGroupBox("Quantizer Options");
  auto* quantizerForm = new QFormLayout(quantizer);
  quality_ = new QSlider(Qt::Horizontal);
  quality_->setRange(1, 255);
  quality_->setValue(values_.defaultQuality);
  auto* qualityValue = new QLabel(QString::number(values_.defaultQuality));
  connect(quality_, &QSlider::valueChanged, qualityValue,
          [qualityValue](int value) { qualityValue->setNum(value); });
  auto* row = new QWidget;
  auto* rowLayout = new QHBoxLayout(row);
  rowLayout->setContentsMargins(0, 0, 0, 0);
  rowLayout->addWidget(quality_, 1);
  rowLayout->addWidget(qualityValue);
  quantizerForm->addRow("Default Quality", row);
  layout->addWidget(quantizer);
  layout->addStretch(1);
  return page;
}

QWidget* PreferencesSheet::ViewingPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  colorReduction_ = ComboOf({"Median Cut", "Quick Dither"}, values_.colorReduction);
  form->addRow("Default Color Reduction Method", colorReduction_);
  return page;
}

QWidget* PreferencesSheet::ImageProcessingPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  interactiveFiltering_ = new QCheckBox("Interactive Filtering");
  interactiveFiltering_->setEnabled(false);
  interactiveFiltering_->setToolTip("Filters are applied to the whole image at once.");
  form->addRow(interactiveFiltering_);
  contrast_ = new QSpinBox;
  contrast_->setRange(-100, 100);
  contrast_->setValue(values_.defaultContrast);
  form->addRow("Default Contrast", contrast_);
  brightness_ = new QSpinBox;
  brightness_->setRange(-100, 100);
  brightness_->setValue(values_.defaultBrightness);
  form->addRow("Default Brightnes", brightness_);
  return page;
}

Preferences PreferencesSheet::Values() const {
  Preferences values = values_;
  values.inputFolder = inputFolder_->text();
  values.inputFilter = inputType_->currentIndex() + 1;
  values.outputFolder = outputFolder_->text();
  values.outputType = OutputTypes()[std::max(0, outputType_->currentIndex())].first;
  values.previewOpenDialog = previewOpen_->isChecked();
  values.autoConvert = autoConvert_->isChecked();
  values.defaultQuality = quality_->value();
  values.colorReduction = colorReduction_->currentIndex();
  values.defaultContrast = contrast_->value();
  values.defaultBrightness = brightness_->value();
  return values;
}
