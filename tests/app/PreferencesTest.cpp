// General Preferences: the four pages as the sheet shows them, and values that are stored and used.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/PreferencesSheet.h"

namespace {

using apptest::Studio;

std::vector<std::string> TextsOf(QWidget* page) {
  std::vector<std::string> texts;
  for (QObject* child : page->findChildren<QObject*>()) {
    if (auto* group = qobject_cast<QGroupBox*>(child))
      texts.push_back(group->title().toStdString());
    if (auto* check = qobject_cast<QCheckBox*>(child)) texts.push_back(check->text().toStdString());
    if (auto* label = qobject_cast<QLabel*>(child)) texts.push_back(label->text().toStdString());
  }
  return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(Preferences, SheetShowsFourPagesWithTheirControls) {
  PreferencesSheet sheet{Preferences()};
  EXPECT_EQ(sheet.windowTitle(), "General Preferences");
  QTabWidget* pages = sheet.Pages();
  ASSERT_EQ(pages->count(), 4);
  EXPECT_EQ(pages->tabText(0), "General");
  EXPECT_EQ(pages->tabText(1), "Compression");
  EXPECT_EQ(pages->tabText(2), "Viewing");
  EXPECT_EQ(pages->tabText(3), "Image Processing");
  std::vector<std::string> general = TextsOf(pages->widget(0));
  for (const char* text :
       {"Input Preferences", "Default Output Preferences", "Default Folder", "Default Input Type",
        "Default Output Type", "Previewing Open Dialog", "Auto Convert Images For Compression"})
    EXPECT_TRUE(Has(general, text)) << text;
  std::vector<std::string> compression = TextsOf(pages->widget(1));
  for (const char* text :
       {"Wavelet Options", "Default Wavelet Levels", "Quantizer Options", "Default Quality"})
    EXPECT_TRUE(Has(compression, text)) << text;
  EXPECT_TRUE(Has(TextsOf(pages->widget(2)), "Default Color Reduction Method"));
  auto* reduction = pages->widget(2)->findChild<QComboBox*>();
  ASSERT_EQ(reduction->count(), 2);
  EXPECT_EQ(reduction->itemText(0), "Median Cut");
  EXPECT_EQ(reduction->itemText(1), "Quick Dither");
  std::vector<std::string> processing = TextsOf(pages->widget(3));
  for (const char* text : {"Interactive Filtering", "Default Contrast", "Default Brightnes"})
    EXPECT_TRUE(Has(processing, text)) << text;
  // What the format fixes is shown but cannot be changed, and says why.
  auto* levels = pages->widget(1)->findChild<QSpinBox*>();
  EXPECT_FALSE(levels->isEnabled());
  EXPECT_FALSE(levels->toolTip().isEmpty());
}

TEST(Preferences, StoredByOkAndUsedAtTheNextStart) {
  Studio studio;
  // Answer the sheet as a user would: change values, then OK.
  QTimer::singleShot(0, [] {
    auto* sheet = qobject_cast<PreferencesSheet*>(QApplication::activeModalWidget());
    ASSERT_NE(sheet, nullptr);
    sheet->findChild<QLineEdit*>("InputFolder")->setText("/srv/pictures");
    QWidget* general = sheet->Pages()->widget(0);
    general->findChildren<QComboBox*>()[0]->setCurrentIndex(6); // Targa
    for (QCheckBox* box : general->findChildren<QCheckBox*>())
      if (box->text() == "Previewing Open Dialog") box->setChecked(true);
    sheet->Pages()->widget(1)->findChild<QSlider*>()->setValue(80);
    sheet->Pages()->widget(2)->findChild<QComboBox*>()->setCurrentIndex(1);
    sheet->accept();
  });
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_GENERAL_PREFERENCES));
  EXPECT_EQ(studio.app->preferences.defaultQuality, 80);
  EXPECT_TRUE(studio.app->preferences.previewOpenDialog);

  // A new start reads them back: the open dialog starts where the user said, with the preview,
  // and colour images are dithered on palette screens.
  CTOVRAApp restarted(QString::fromStdString(studio.Path("settings.ini")));
  EXPECT_EQ(restarted.preferences.inputFolder, "/srv/pictures");
  EXPECT_EQ(restarted.preferences.defaultQuality, 80);
  EXPECT_EQ(restarted.colorReduction, 1);
  EXPECT_EQ(restarted.lastOpenFilterIndex, 7);
  CMainFrame frame(restarted);
  ASSERT_TRUE(frame.Commands().Trigger(ID_FILE_OPEN));
  const vuFileDialog& asked = studio.platform.fileDialogs.back();
  EXPECT_EQ(asked.initialFolder, "/srv/pictures");
  EXPECT_EQ(asked.filterIndex, 7);
  EXPECT_TRUE(asked.preview);
}

TEST(Preferences, CancelStoresNothing) {
  Studio studio;
  QTimer::singleShot(0, [] {
    auto* sheet = qobject_cast<PreferencesSheet*>(QApplication::activeModalWidget());
    ASSERT_NE(sheet, nullptr);
    sheet->Pages()->widget(1)->findChild<QSlider*>()->setValue(200);
    sheet->reject();
  });
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_GENERAL_PREFERENCES));
  EXPECT_EQ(studio.app->preferences.defaultQuality, 50);
  QSettings stored(QString::fromStdString(studio.Path("settings.ini")), QSettings::IniFormat);
  EXPECT_FALSE(stored.contains("Preferences/DefaultQuality"));
}

TEST(Preferences, RecentFilesAreKeptAcrossStarts) {
  Studio studio;
  for (const char* name : {"camera.pgm", "chelsea.ppm", "astronaut.ppm", "camera.pgm"})
    ASSERT_NE(studio.Open(vutest::Sample(name)), nullptr);
  CTOVRAApp restarted(QString::fromStdString(studio.Path("settings.ini")));
  ASSERT_EQ(restarted.RecentFiles().size(), 3);
  EXPECT_TRUE(restarted.RecentFiles()[0].endsWith("camera.pgm"));
  EXPECT_TRUE(restarted.RecentFiles()[1].endsWith("astronaut.ppm"));
  CMainFrame frame(restarted);
  EXPECT_TRUE(frame.Action(ID_FILE_MRU_FIRST + 2)->isEnabled());
  EXPECT_FALSE(frame.Action(ID_FILE_MRU_FIRST + 3)->isVisible());
  ASSERT_TRUE(frame.Commands().Trigger(ID_FILE_MRU_FIRST + 1));
  EXPECT_EQ(restarted.documentCount, 1);
}

} // namespace
