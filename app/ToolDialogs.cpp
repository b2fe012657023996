#include "app/ToolDialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <algorithm>

#include "app/SliderNumberBox.h"

namespace {

constexpr int kMargin = 10;
constexpr int kWidth = 360;

QLabel* Label(QWidget* parent, const QString& text, QRect place,
              Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(place);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

// One tone slider (-100..100) with its caption, end and middle labels and its number box.
SliderNumberBox* ToneControl(QDialog* dialog, const char* caption, const char* sliderId,
                             const char* boxId, int top, int start, QSlider** slider,
                             QLineEdit** box) {
  const int sliderWidth = kWidth - 3 * kMargin - 50;
  Label(dialog, caption, QRect(kMargin, top, 200, 18));
  *slider = new QSlider(Qt::Horizontal, dialog);
  (*slider)->setObjectName(sliderId);
  (*slider)->setRange(-100, 100);
  (*slider)->setValue(std::clamp(start, -100, 100));
  (*slider)->setGeometry(kMargin, top + 20, sliderWidth, 24);
  Label(dialog, "-100", QRect(kMargin, top + 44, 40, 16));
  Label(dialog, "0", QRect(kMargin + sliderWidth / 2 - 20, top + 44, 40, 16), Qt::AlignHCenter);
  Label(dialog, "+100", QRect(kMargin + sliderWidth - 40, top + 44, 40, 16), Qt::AlignRight);
  *box = new QLineEdit(dialog);
  (*box)->setObjectName(boxId);
  (*box)->setMaxLength(4);
  (*box)->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]*"), *box));
  (*box)->setGeometry(kWidth - kMargin - 50, top + 20, 50, 22);
  return new SliderNumberBox(**slider, **box, SliderNumberBox::Selection::WholeText);
}

void OkCancel(QDialog* dialog, int top) {
  auto* ok = new QPushButton("OK", dialog);
  ok->setObjectName("IDOK");
  ok->setDefault(true);
  ok->setGeometry(kWidth - 2 * 90 - kMargin - 6, top, 90, 28);
  auto* cancel = new QPushButton("Cancel", dialog);
  cancel->setObjectName("IDCANCEL");
  cancel->setGeometry(kWidth - 90 - kMargin, top, 90, 28);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace

ToneDialog::ToneDialog(bool contrastOnly, int startBrightness, int startContrast,
                       std::function<void(const ToneRecord&)> preview, QWidget* parent)
    : QDialog(parent), preview_(std::move(preview)) {
  setWindowTitle(contrastOnly ? "Adjust Contrast" : "Adjust Brightness/Contrast");
  setObjectName(contrastOnly ? "166" : "168");
  int top = kMargin;
  if (!contrastOnly) {
    auto* brightness = ToneControl(this, "Brightness", "1005", "1006", top, startBrightness,
                                   &brightnessSlider_, &brightnessBox_);
    brightness->changed = [this](int value) {
      record_.brightness = value;
      Changed();
    };
    record_.brightness = brightnessSlider_->value();
    top += 75;
  }
  auto* contrast = ToneControl(this, "Contrast", "1003", "1004", top, startContrast,
                               &contrastSlider_, &contrastBox_);
  contrast->changed = [this](int value) {
    record_.contrast = value;
    Changed();
  };
  record_.contrast = contrastSlider_->value();
  top += 75;
  previewBox_ = new QCheckBox("Preview", this);
  previewBox_->setObjectName("1000");
  previewBox_->setChecked(true);
  previewBox_->setGeometry(kMargin, top, 150, 22);
  connect(previewBox_, &QCheckBox::toggled, this, [this] { Changed(); });
  if (!contrastOnly) {
    contrastFirstBox_ = new QCheckBox("Apply Contrast First", this);
    contrastFirstBox_->setObjectName("1007");
    contrastFirstBox_->setGeometry(kMargin + 160, top, 180, 22);
    connect(contrastFirstBox_, &QCheckBox::toggled, this, [this] { Changed(); });
  }
  // The record starts with apply-contrast-first set; the box, unchecked, decides from the first
  // change on.
  record_.contrastFirst = 1;
  OkCancel(this, top + 35);
  setFixedSize(kWidth, top + 75);
  // Preferred start values other than 0 are shown at once.
  if (record_.brightness != 0 || record_.contrast != 0) Changed();
}

ToneDialog::~ToneDialog() = default;

void ToneDialog::Changed() {
  record_.contrastFirst = contrastFirstBox_ && contrastFirstBox_->isChecked() ? 1 : 0;
  if (previewBox_->isChecked() && preview_) preview_(record_);
}

void ToneDialog::done(int result) {
  record_.contrastFirst = contrastFirstBox_ && contrastFirstBox_->isChecked() ? 1 : 0;
  record_.accepted = result == QDialog::Accepted ? 1 : 0;
  QDialog::done(result);
}

ToneRecord ToneDialog::Ask() {
  exec();
  return record_;
}

DisplayBitsDialog::DisplayBitsDialog(int displayBitLow, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Select Display Bit Range");
  setObjectName("203");
  Label(this, "Bits shown of the 16-bit samples", QRect(kMargin, kMargin, 300, 18));
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName("1000");
  slider_->setRange(1, 16);
  slider_->setGeometry(kMargin, 85, kWidth - 2 * kMargin - 80, 24);
  lowLabel_ = new QLabel(this);
  lowLabel_->setObjectName("1050");
  lowLabel_->resize(30, 18);
  highLabel_ = new QLabel(this);
  highLabel_->setObjectName("1051");
  highLabel_->resize(30, 18);
  connect(slider_, &QSlider::valueChanged, this, &DisplayBitsDialog::Moved);
  slider_->setValue(displayBitLow + 1);
  Moved(slider_->value());
  OkCancel(this, 160);
  setFixedSize(kWidth, 200);
}

void DisplayBitsDialog::Moved(int position) {
  // Eight bits from the chosen one must fit the sixteen: the slider stops at 9.
  if (position > 9) {
    slider_->setValue(9);
    return;
  }
  lowLabel_->setText(QString::number(position));
  highLabel_->setText(QString::number(position + 7));
  RideUnderThumb(*slider_, *lowLabel_, QPoint(15, 115));
  RideUnderThumb(*slider_, *highLabel_, QPoint(124, 115));
}

int DisplayBitsDialog::Ask() {
  return exec() == QDialog::Accepted ? slider_->value() : 0;
}
