// A slider and the number box that shows its value, as the program's dialogs pair them: moving
// the slider writes the box; a typed number is clamped into the slider's range (a clamped number
// is written back and selected) and moves the slider. Either way `changed` hears the new value.
// The box may ride under the slider's thumb at a fixed offset from the thumb's corner.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>

class QLineEdit;
class QSlider;
class QWidget;

// The slider's thumb in the slider's own coordinates.
QRect SliderThumbRect(const QSlider& slider);
// Moves `widget` to the thumb's top-left corner plus `offset` (coordinates of the widget's parent).
void RideUnderThumb(const QSlider& slider, QWidget& widget, QPoint offset);

class SliderNumberBox : public QObject {
  Q_OBJECT
public:
  enum class Selection { LastCharacter, WholeText };
  struct Riding {
    QPoint offset;
    bool onSlide = true; // follow the thumb when the slider moves (else only after typing)
  };

  SliderNumberBox(QSlider& slider, QLineEdit& box, Selection selection,
                  std::optional<Riding> riding = std::nullopt);

  int Value() const;
  // Puts both controls at a value (clamped), without telling `changed`.
  void SetValue(int value);
  // Places the box under the thumb (when it rides).
  void Ride();

  std::function<void(int)> changed;

private:
  void OnSliderChanged(int value);
  void OnTextEdited(const QString& text);

  QSlider& slider_;
  QLineEdit& box_;
  Selection selection_;
  std::optional<Riding> riding_;
  bool typing_ = false;
  bool setting_ = false;
};
