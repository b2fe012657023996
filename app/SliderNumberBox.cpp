#include "app/SliderNumberBox.h"

#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

QRect SliderThumbRect(const QSlider& slider) {
  QStyleOptionSlider option;
  option.initFrom(&slider);
  option.subControls = QStyle::SC_None;
  option.activeSubControls = QStyle::SC_None;
  option.orientation = slider.orientation();
  option.maximum = slider.maximum();
  option.minimum = slider.minimum();
  option.tickPosition = slider.tickPosition();
  option.tickInterval = slider.tickInterval();
  option.upsideDown = slider.invertedAppearance();
  option.direction = slider.layoutDirection();
  option.sliderPosition = slider.sliderPosition();
  option.sliderValue = slider.value();
  option.singleStep = slider.singleStep();
  option.pageStep = slider.pageStep();
  return slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                        &slider);
}

void RideUnderThumb(const QSlider& slider, QWidget& widget, QPoint offset) {
  widget.move(SliderThumbRect(slider).topLeft() + offset);
}

SliderNumberBox::SliderNumberBox(QSlider& slider, QLineEdit& box, Selection selection,
                                 std::optional<Riding> riding)
    : QObject(&slider), slider_(slider), box_(box), selection_(selection), riding_(riding) {
  box_.setText(QString::number(slider_.value()));
  connect(&slider_, &QSlider::valueChanged, this, &SliderNumberBox::OnSliderChanged);
  connect(&box_, &QLineEdit::textEdited, this, &SliderNumberBox::OnTextEdited);
  Ride();
}

int SliderNumberBox::Value() const {
  return slider_.value();
}

void SliderNumberBox::SetValue(int value) {
  setting_ = true;
  slider_.setValue(value);
  box_.setText(QString::number(slider_.value()));
  setting_ = false;
  Ride();
}

void SliderNumberBox::Ride() {
  if (riding_) RideUnderThumb(slider_, box_, riding_->offset);
}

void SliderNumberBox::OnSliderChanged(int value) {
  if (typing_ || setting_) return;
  box_.setText(QString::number(value));
  if (riding_ && riding_->onSlide) Ride();
  if (changed) changed(value);
}

void SliderNumberBox::OnTextEdited(const QString& text) {
  // What cannot be read as a number counts as 0, as the box's number always did.
  bool ok = false;
  int typed = text.trimmed().toInt(&ok);
  if (!ok) typed = 0;
  const int clamped = std::clamp(typed, slider_.minimum(), slider_.maximum());
  typing_ = true;
  slider_.setValue(clamped);
  typing_ = false;
  Ride();
  if (clamped != typed) {
    box_.setText(QString::number(clamped));
    if (selection_ == Selection::LastCharacter)
      box_.setSelection(int(box_.text().size()) - 1, 1);
    else
      box_.selectAll();
  }
  if (changed) changed(clamped);
}
