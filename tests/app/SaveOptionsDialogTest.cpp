// The options dialogs of the WIF and JPEG writers: their controls, the number box clamped to the
// quality range, the box riding under the slider's thumb, and the records they fill.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "app/SaveOptionsDialogs.h"

namespace {

QStringList Texts(QWidget& dialog) {
  QStringList texts;
  for (QLabel* label : dialog.findChildren<QLabel*>())
    texts << label->text();
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
    texts << button->text();
  return texts;
}

void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

TEST(WifSaveOptionsDialog, EightBitTemplate) {
  WifSaveOptionsDialog dialog(false, true);
  EXPECT_EQ(dialog.windowTitle(), "WIF Save Options");
  EXPECT_FALSE(dialog.SixteenBit());
  QStringList texts = Texts(dialog);
  for (const char* text :
       {"1", "255", "High Quality", "Low Quality", "Note: The Tessary is a LOSSY  compressor.",
        "Fast Wavelet", "View after compress", "Large Image (compress by tiles)", "Compress",
        "Cancel"})
    EXPECT_TRUE(texts.contains(text)) << text;
  QSlider* slider = dialog.QualitySlider();
  QLineEdit* box = dialog.QualityBox();
  EXPECT_EQ(slider->objectName(), "1000");
  EXPECT_EQ(box->objectName(), "1001");
  EXPECT_EQ(slider->minimum(), 1);
  EXPECT_EQ(slider->maximum(), 255);
  EXPECT_EQ(slider->value(), 50);
  EXPECT_EQ(box->text(), "50");
  EXPECT_EQ(box->maxLength(), 3);
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("1057")->isEnabled());
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("1058")->isChecked());

  // The record as created: quality 50, slot 1 = 6, the rest 0.
  vuWifSaveOptions options = dialog.Options();
  EXPECT_EQ(options.quality, 50);
  EXPECT_EQ(options.constant, 6);
  EXPECT_EQ(options.significantBits + options.fastMode + options.viewAfterCompress +
                options.largeImage,
            0);
}

TEST(WifSaveOptionsDialog, QualityBoxClampsAndRidesUnderTheThumb) {
  WifSaveOptionsDialog dialog(false, true);
  dialog.show();
  QSlider* slider = dialog.QualitySlider();
  QLineEdit* box = dialog.QualityBox();
  Type(box, "0");
  EXPECT_EQ(box->text(), "1");
  EXPECT_EQ(box->selectedText(), "1");
  EXPECT_EQ(slider->value(), 1);
  const int leftmost = box->x();
  Type(box, "999");
  EXPECT_EQ(box->text(), "255");
  EXPECT_EQ(box->selectedText(), "5"); // the last character
  EXPECT_EQ(slider->value(), 255);
  EXPECT_GT(box->x(), leftmost + 200);
  // A number in range is left as typed.
  Type(box, "17");
  EXPECT_EQ(box->text(), "17");
  EXPECT_EQ(slider->value(), 17);
  // Moving the slider writes the box, which follows the thumb.
  slider->setValue(128);
  EXPECT_EQ(box->text(), "128");
  const int middle = box->x();
  EXPECT_GT(middle, leftmost + 60);
  EXPECT_LT(middle, leftmost + 200);
  EXPECT_GT(box->y(), slider->geometry().bottom()); // under the slider

  dialog.findChild<QCheckBox*>("1054")->setChecked(true);
  dialog.findChild<QCheckBox*>("1057")->setChecked(true);
  dialog.findChild<QCheckBox*>("1058")->setChecked(true);
  vuWifSaveOptions options = dialog.Options();
  EXPECT_EQ(options.quality, 128);
  EXPECT_EQ(options.fastMode, 1);
  EXPECT_EQ(options.viewAfterCompress, 1);
  EXPECT_EQ(options.largeImage, 1);
}

TEST(WifSaveOptionsDialog, SixteenBitTemplateHasTheSignificantBitsSlider) {
  WifSaveOptionsDialog dialog(true, false, 90);
  dialog.show();
  ASSERT_TRUE(dialog.SixteenBit());
  QStringList texts = Texts(dialog);
  for (const char* text : {"High", "Low", "Significant Bits",
                           "Note: The Tessary is a lossy  compressor.", "Fast mode"})
    EXPECT_TRUE(texts.contains(text)) << text;
  EXPECT_FALSE(texts.contains("Fast Wavelet"));
  EXPECT_EQ(dialog.QualitySlider()->value(), 90); // the preferred quality
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("1057")->isEnabled());
  QSlider* bits = dialog.BitsSlider();
  EXPECT_EQ(bits->objectName(), "1051");
  EXPECT_EQ(bits->minimum(), 8);
  EXPECT_EQ(bits->maximum(), 16);
  EXPECT_EQ(bits->value(), 8);
  EXPECT_EQ(dialog.BitsLabel()->text(), "8");
  EXPECT_EQ(dialog.Options().significantBits, 8);
  const int left = dialog.BitsLabel()->x();
  bits->setValue(12);
  EXPECT_EQ(dialog.BitsLabel()->text(), "12");
  EXPECT_GT(dialog.BitsLabel()->x(), left);
  EXPECT_GT(dialog.BitsLabel()->y(), bits->geometry().bottom());
  // A 12-bit picture's dialog starts at its 12 bits.
  WifSaveOptionsDialog twelve(true, true, 50, 12);
  EXPECT_EQ(twelve.Options().significantBits, 12);
  EXPECT_EQ(twelve.BitsLabel()->text(), "12");
  // "View after compress" cannot be asked for when the caller does not offer it.
  dialog.findChild<QCheckBox*>("1057")->setChecked(true);
  vuWifSaveOptions options = dialog.Options();
  EXPECT_EQ(options.significantBits, 12);
  EXPECT_EQ(options.viewAfterCompress, 0);
}

TEST(WifSaveOptionsDialog, CompressGivesTheRecordAndCancelGivesNone) {
  WifSaveOptionsDialog accepted(false, true);
  Type(accepted.QualityBox(), "33");
  QTimer::singleShot(0, [&] { accepted.findChild<QPushButton*>("IDOK")->click(); });
  std::unique_ptr<vuWifSaveOptions> record(accepted.Ask());
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->quality, 33);

  WifSaveOptionsDialog cancelled(false, true);
  QTimer::singleShot(0, [&] { cancelled.findChild<QPushButton*>("IDCANCEL")->click(); });
  EXPECT_EQ(cancelled.Ask(), nullptr);
}

TEST(JpegSaveOptionsDialog, QualityOneToHundredStartingAtEighty) {
  JpegSaveOptionsDialog dialog;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "JPEG Save Options");
  QStringList texts = Texts(dialog);
  for (const char* text :
       {"Quality", "1", "100", "Low", "High", "View after compress", "Compress", "Cancel"})
    EXPECT_TRUE(texts.contains(text)) << text;
  QSlider* slider = dialog.QualitySlider();
  QLineEdit* box = dialog.QualityBox();
  EXPECT_EQ(slider->minimum(), 1);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->value(), 80);
  EXPECT_EQ(box->text(), "80");
  vuJpegSaveOptions options = dialog.Options();
  EXPECT_EQ(options.quality, 80);
  EXPECT_EQ(options.reserved, 6);
  Type(box, "150");
  EXPECT_EQ(box->text(), "100");
  EXPECT_EQ(box->selectedText(), "0");
  EXPECT_EQ(slider->value(), 100);
  slider->setValue(42);
  EXPECT_EQ(box->text(), "42");
  EXPECT_EQ(dialog.Options().quality, 42);

  QTimer::singleShot(0, [&] { dialog.findChild<QPushButton*>("IDCANCEL")->click(); });
  EXPECT_EQ(dialog.Ask(), nullptr);
}

} // namespace
