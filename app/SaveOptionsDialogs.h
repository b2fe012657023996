// The writers' options dialogs: "WIF Save Options" (quality, significant bits of 16-bit images,
// fast mode, view after compress, tiles) and "JPEG Save Options" (quality). Controls carry their
// resource ids as object names ("1000" the quality slider, "1001" its number box, ...).
#pragma once

#include <QDialog>
#include <memory>

#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class SliderNumberBox;

class WifSaveOptionsDialog : public QDialog {
  Q_OBJECT
public:
  // `sixteenBit` picks the variant with the "Significant Bits" slider, which starts at
  // `startBits` (8..16); `enableViewAfter` enables "View after compress"; the quality slider
  // starts at `startQuality` (clamped to 1..255).
  WifSaveOptionsDialog(bool sixteenBit, bool enableViewAfter, int startQuality = 50,
                       int startBits = 8, QWidget* parent = nullptr);
  ~WifSaveOptionsDialog() override;

  // The record the dialog fills from its controls ("Compress").
  vuWifSaveOptions Options() const;
  // Runs the dialog: a record made with new, or null when cancelled.
  vuWifSaveOptions* Ask();

  bool SixteenBit() const { return bitsSlider_ != nullptr; }
  QSlider* QualitySlider() const { return qualitySlider_; }
  QLineEdit* QualityBox() const { return qualityBox_; }
  QSlider* BitsSlider() const { return bitsSlider_; }
  QLabel* BitsLabel() const { return bitsLabel_; }

private:
  void MoveBitsLabel();

  QSlider* qualitySlider_ = nullptr;
  QLineEdit* qualityBox_ = nullptr;
  QSlider* bitsSlider_ = nullptr;
  QLabel* bitsLabel_ = nullptr;
  QCheckBox* fast_ = nullptr;
  QCheckBox* viewAfter_ = nullptr;
  QCheckBox* largeImage_ = nullptr;
  SliderNumberBox* quality_ = nullptr;
};

class JpegSaveOptionsDialog : public QDialog {
  Q_OBJECT
public:
  explicit JpegSaveOptionsDialog(QWidget* parent = nullptr);
  ~JpegSaveOptionsDialog() override;

  vuJpegSaveOptions Options() const;
  vuJpegSaveOptions* Ask();

  QSlider* QualitySlider() const { return qualitySlider_; }
  QLineEdit* QualityBox() const { return qualityBox_; }

private:
  QSlider* qualitySlider_ = nullptr;
  QLineEdit* qualityBox_ = nullptr;
  SliderNumberBox* quality_ = nullptr;
};
