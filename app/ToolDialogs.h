// The image tools' dialogs: "Adjust Brightness/Contrast" (168) and its single-slider form "Adjust
// Contrast" (166), with a live preview; "Select Display Bit Range" (203). Controls carry their
// resource ids as object names.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class SliderNumberBox;

// What the tone dialogs hand back: the four values of their record.
struct ToneRecord {
  int brightness = 0;
  int contrast = 0;
  int contrastFirst = 1;
  int accepted = 0;
};

class ToneDialog : public QDialog {
  Q_OBJECT
public:
  // `contrastOnly` makes the "Adjust Contrast" form. `preview` is called with the record after
  // every change while "Preview" is checked. The sliders start at the given values.
  ToneDialog(bool contrastOnly, int startBrightness, int startContrast,
             std::function<void(const ToneRecord&)> preview, QWidget* parent = nullptr);
  ~ToneDialog() override;

  const ToneRecord& Record() const { return record_; }
  // Runs the dialog; the record says whether it was accepted.
  ToneRecord Ask();

  QSlider* BrightnessSlider() const { return brightnessSlider_; }
  QLineEdit* BrightnessBox() const { return brightnessBox_; }
  QSlider* ContrastSlider() const { return contrastSlider_; }
  QLineEdit* ContrastBox() const { return contrastBox_; }
  QCheckBox* PreviewBox() const { return previewBox_; }
  QCheckBox* ContrastFirstBox() const { return contrastFirstBox_; }

  void done(int result) override;

private:
  void Changed();

  std::function<void(const ToneRecord&)> preview_;
  ToneRecord record_;
  QSlider* brightnessSlider_ = nullptr;
  QLineEdit* brightnessBox_ = nullptr;
  QSlider* contrastSlider_ = nullptr;
  QLineEdit* contrastBox_ = nullptr;
  QCheckBox* previewBox_ = nullptr;
  QCheckBox* contrastFirstBox_ = nullptr;
};

class DisplayBitsDialog : public QDialog {
  Q_OBJECT
public:
  // The slider starts at the document's lowest shown bit + 1.
  explicit DisplayBitsDialog(int displayBitLow, QWidget* parent = nullptr);

  // The slider's position after OK, 0 after Cancel.
  int Ask();

  QSlider* Slider() const { return slider_; }
  QLabel* LowLabel() const { return lowLabel_; }
  QLabel* HighLabel() const { return highLabel_; }

private:
  void Moved(int position);

  QSlider* slider_ = nullptr;
  QLabel* lowLabel_ = nullptr;
  QLabel* highLabel_ = nullptr;
};
