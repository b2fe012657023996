#include "app/SaveOptionsDialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <algorithm>

#include "app/SliderNumberBox.h"

namespace {

// The dialogs are laid out at fixed places, as their templates are: the number boxes ride at
// fixed offsets from the sliders' thumbs, so the sliders sit where those offsets land below them.
constexpr int kMargin = 10;
constexpr int kWidth = 360;
constexpr int kSliderHeight = 24;

QLabel* Label(QWidget* parent, const char* text, QRect place,
              Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setGeometry(place);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

QSlider* Slider(QWidget* parent, const char* id, int minimum, int maximum, int top) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(id);
  slider->setRange(minimum, maximum);
  slider->setGeometry(kMargin, top, kWidth - 2 * kMargin, kSliderHeight);
  return slider;
}

QLineEdit* NumberBox(QWidget* parent, const char* id, int characters) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(id);
  box->setMaxLength(characters);
  box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
  box->resize(36, 22);
  return box;
}

QCheckBox* CheckBox(QWidget* parent, const char* id, const char* text, int top) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  box->setObjectName(id);
  box->setGeometry(kMargin, top, kWidth - 2 * kMargin, 22);
  return box;
}

// "Compress" (the default button) and "Cancel" at the bottom right.
void Buttons(QDialog* dialog, int top) {
  auto* compress = new QPushButton("Compress", dialog);
  compress->setObjectName("IDOK");
  compress->setDefault(true);
  compress->setGeometry(kWidth - 2 * 90 - kMargin - 6, top, 90, 28);
  auto* cancel = new QPushButton("Cancel", dialog);
  cancel->setObjectName("IDCANCEL");
  cancel->setGeometry(kWidth - 90 - kMargin, top, 90, 28);
  QObject::connect(compress, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace

WifSaveOptionsDialog::WifSaveOptionsDialog(bool sixteenBit, bool enableViewAfter, int startQuality,
                                           int startBits, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("WIF Save Options");
  setObjectName(sixteenBit ? "204" : "101");
  const int right = kWidth - kMargin - 120;
  Label(this, sixteenBit ? "High" : "High Quality", QRect(kMargin, 50, 120, 18));
  Label(this, sixteenBit ? "Low" : "Low Quality", QRect(right, 50, 120, 18), Qt::AlignRight);
  Label(this, "1", QRect(kMargin, 68, 40, 16));
  Label(this, "255", QRect(kWidth - kMargin - 40, 68, 40, 16), Qt::AlignRight);
  qualitySlider_ = Slider(this, "1000", 1, 255, 86);
  qualitySlider_->setValue(std::clamp(startQuality, 1, 255));
  qualityBox_ = NumberBox(this, "1001", 3);
  quality_ =
      new SliderNumberBox(*qualitySlider_, *qualityBox_, SliderNumberBox::Selection::LastCharacter,
                          SliderNumberBox::Riding{QPoint(10, 113), true});
  int top = 150;
  if (sixteenBit) {
    Label(this, "Significant Bits", QRect(kMargin, top, 200, 18));
    Label(this, "8", QRect(kMargin, 168, 40, 16));
    Label(this, "16", QRect(kWidth - kMargin - 40, 168, 40, 16), Qt::AlignRight);
    bitsSlider_ = Slider(this, "1051", 8, 16, 186);
    bitsSlider_->setValue(std::clamp(startBits, 8, 16));
    bitsLabel_ = new QLabel(QString::number(bitsSlider_->value()), this);
    bitsLabel_->setObjectName("1053");
    bitsLabel_->resize(30, 18);
    connect(bitsSlider_, &QSlider::valueChanged, this, [this](int value) {
      bitsLabel_->setText(QString::number(std::max(8, value)));
      MoveBitsLabel();
    });
    MoveBitsLabel();
    top = 245;
  }
  Label(this,
        sixteenBit ? "Note: The Tessary is a lossy  compressor."
                   : "Note: The Tessary is a LOSSY  compressor.",
        QRect(kMargin, top, kWidth - 2 * kMargin, 18));
  fast_ = CheckBox(this, "1054", sixteenBit ? "Fast mode" : "Fast Wavelet", top + 25);
  viewAfter_ = CheckBox(this, "1057", "View after compress", top + 50);
  viewAfter_->setEnabled(enableViewAfter);
  largeImage_ = CheckBox(this, "1058", "Large Image (compress by tiles)", top + 75);
  Buttons(this, top + 110);
  setFixedSize(kWidth, top + 150);
}

WifSaveOptionsDialog::~WifSaveOptionsDialog() = default;

void WifSaveOptionsDialog::MoveBitsLabel() {
  RideUnderThumb(*bitsSlider_, *bitsLabel_, QPoint(10, 213));
}

vuWifSaveOptions WifSaveOptionsDialog::Options() const {
  vuWifSaveOptions options; // quality 50, the constant slot 6, everything else 0
  options.fastMode = fast_->isChecked() ? 1 : 0;
  options.viewAfterCompress = viewAfter_->isEnabled() && viewAfter_->isChecked() ? 1 : 0;
  options.largeImage = largeImage_->isChecked() ? 1 : 0;
  // The box always holds a number of the slider's range once it has been typed in.
  bool ok = false;
  int typed = qualityBox_->text().toInt(&ok);
  options.quality = ok ? std::clamp(typed, 1, 255) : quality_->Value();
  if (bitsSlider_) options.significantBits = bitsSlider_->value();
  return options;
}

vuWifSaveOptions* WifSaveOptionsDialog::Ask() {
  if (exec() != QDialog::Accepted) return nullptr;
  return new vuWifSaveOptions(Options());
}

JpegSaveOptionsDialog::JpegSaveOptionsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("JPEG Save Options");
  setObjectName("180");
  Label(this, "Quality", QRect(kMargin, 30, 200, 18));
  Label(this, "Low", QRect(kMargin, 50, 120, 18));
  Label(this, "High", QRect(kWidth - kMargin - 120, 50, 120, 18), Qt::AlignRight);
  Label(this, "1", QRect(kMargin, 68, 40, 16));
  Label(this, "100", QRect(kWidth - kMargin - 40, 68, 40, 16), Qt::AlignRight);
  qualitySlider_ = Slider(this, "1000", 1, 100, 86);
  qualitySlider_->setValue(80);
  qualityBox_ = NumberBox(this, "1001", 3);
  // The box moves to the thumb when a number is typed, not when the slider is dragged.
  quality_ =
      new SliderNumberBox(*qualitySlider_, *qualityBox_, SliderNumberBox::Selection::LastCharacter,
                          SliderNumberBox::Riding{QPoint(10, 130), false});
  auto* viewAfter = CheckBox(this, "1057", "View after compress", 160);
  viewAfter->setEnabled(false); // a JPEG file is not opened after saving
  Buttons(this, 200);
  setFixedSize(kWidth, 240);
}

JpegSaveOptionsDialog::~JpegSaveOptionsDialog() = default;

vuJpegSaveOptions JpegSaveOptionsDialog::Options() const {
  vuJpegSaveOptions options; // quality 80 and the second value 6
  bool ok = false;
  int typed = qualityBox_->text().left(10).toInt(&ok);
  options.quality = ok ? std::clamp(typed, 1, 100) : quality_->Value();
  return options;
}

vuJpegSaveOptions* JpegSaveOptionsDialog::Ask() {
  if (exec() != QDialog::Accepted) return nullptr;
  return new vuJpegSaveOptions(Options());
}
