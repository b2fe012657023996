// The open dialog: filters, the remembered filter, failed opens, the status panel and preview.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <set>

#include "AppTestSupport.h"
#include "app/CTOVRADoc.h"
#include "app/OpenImageDialog.h"
#include "imagelib/vuImageOwner.h"

namespace {

using apptest::Studio;

TEST(OpenDialog, FiltersInOrder) {
  std::vector<std::string> descriptions;
  for (const vuFileFilter& filter : OpenDialogFilters())
    descriptions.push_back(filter.description);
  EXPECT_EQ(descriptions,
            (std::vector<std::string>{
                "All Image Formats", "VU Wavelet Image File (WIF,VUW)", "Windows Bitmap (BMP)",
                "PC Paintbrush File (PCX)", "Portable Pixel Map (PPM)", "Portable Grey Map (PGM)",
                "Targa (TGA)", "TIFF (TIF)", "Portable Network Graphics (PNG)", "JPEG (JPG)",
                "Graphics Interchange Format (GIF)", "All Files *.*"}));
  EXPECT_NE(OpenDialogFilters()[0].patterns.find("*.PNG"), std::string::npos);
  EXPECT_EQ(QtNameFilter(OpenDialogFilters()[7]), "TIFF (TIF) (*.tif *.tiff)");
}

TEST(OpenDialog, RemembersTheFilterEvenAfterCancel) {
  Studio studio;
  studio.platform.fileAnswers.push_back({false, "", 7}); // Targa shown, then cancelled
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_OPEN));
  studio.platform.fileAnswers.push_back({true, vutest::Sample("camera.pgm"), 6});
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_OPEN));
  ASSERT_EQ(studio.platform.fileDialogs.size(), 2u);
  const vuFileDialog& first = studio.platform.fileDialogs[0];
  EXPECT_EQ(first.title, "Select Image File");
  EXPECT_EQ(first.filterIndex, 1);
  EXPECT_TRUE(first.mustExist);
  EXPECT_EQ(first.filters.size(), 12u);
  EXPECT_EQ(studio.platform.fileDialogs[1].filterIndex, 7);
  EXPECT_EQ(studio.app->lastOpenFilterIndex, 6);
  EXPECT_EQ(studio.app->documentCount, 1);
  EXPECT_TRUE(studio.platform.messages.empty());
}

TEST(OpenDialog, FailedOpenIsReportedTwice) {
  Studio studio;
  std::string path = studio.Path("letter.bmp");
  std::ofstream(path) << "Dear reader,\nthis is not a bitmap.\n";
  studio.platform.fileAnswers.push_back({true, path, 3});
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_OPEN));
  EXPECT_EQ(studio.platform.Texts(),
            (std::vector<std::string>{"The Tessary|Unsupported Image File",
                                      "The Tessary|Invalid or Unsupported Image Selected"}));
  EXPECT_EQ(studio.platform.messages[1].buttons, VU_MB_OKCANCEL);
  EXPECT_EQ(studio.app->documentCount, 0);
  EXPECT_EQ(studio.app->lastOpenFilterIndex, 3);
}

vuFileDialog Request(const std::string& folder, int filterIndex, bool preview) {
  vuFileDialog request;
  request.title = "Select Image File";
  request.filters = OpenDialogFilters();
  request.filterIndex = filterIndex;
  request.initialFolder = folder;
  request.mustExist = true;
  request.preview = preview;
  return request;
}

// The names the dialog's list offers (shown and selectable) once the folder has been read.
std::set<std::string> OfferedNames(OpenImageDialog& dialog, size_t expectedAtLeast) {
  auto* list = dialog.findChild<QListView*>("listView");
  std::set<std::string> names;
  if (!list) return names;
  (void)QTest::qWaitFor(
      [&] {
        QAbstractItemModel* model = list->model();
        names.clear();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
          QModelIndex index = model->index(row, 0, list->rootIndex());
          if (model->flags(index) & Qt::ItemIsEnabled)
            names.insert(model->data(index).toString().toStdString());
        }
        return names.size() >= expectedAtLeast;
      },
      5000);
  return names;
}

TEST(OpenDialog, PatternsMatchWithoutRegardToCase) {
  vutest::TempDir folder;
  for (const char* name : {"photo.jpg", "HOLIDAY.JPG", "scan.Jpeg", "cat.ppm", "notes.txt"})
    std::ofstream(folder.Path(name)) << "x";
  OpenImageDialog dialog(Request(folder.Root().string(), 10, false));
  EXPECT_EQ(dialog.windowTitle(), "Select Image File");
  EXPECT_EQ(dialog.FilterIndex(), 10);
  EXPECT_EQ(OfferedNames(dialog, 3),
            (std::set<std::string>{"HOLIDAY.JPG", "photo.jpg", "scan.Jpeg"}));
  dialog.selectNameFilter(QtNameFilter(OpenDialogFilters()[0]));
  EXPECT_EQ(dialog.FilterIndex(), 1);
  EXPECT_EQ(OfferedNames(dialog, 4),
            (std::set<std::string>{"HOLIDAY.JPG", "cat.ppm", "photo.jpg", "scan.Jpeg"}));
}

TEST(OpenDialog, StatusPanelAndPreview) {
  vutest::TempDir folder;
  std::ofstream(folder.Path("notes.bmp")) << "not a picture";
  OpenImageDialog dialog(Request(folder.Root().string(), 1, true));
  dialog.ShowFile(QString::fromStdString(vutest::Sample("camera.pgm")));
  EXPECT_EQ(dialog.StatusText(), "Supported Image");
  EXPECT_EQ(dialog.Field("Width")->text(), "512");
  EXPECT_EQ(dialog.Field("Height")->text(), "512");
  EXPECT_EQ(dialog.Field("Bits Per Pixel")->text(), "8");
  EXPECT_EQ(dialog.Field("Raw Bitmap Size")->text(), "262144");
  EXPECT_EQ(dialog.Field("File Size")->text(), "262159");
  EXPECT_EQ(dialog.Field("Compression Ratio")->text(), "1.00:1");
  ASSERT_EQ(dialog.PreviewPicture().size(), QSize(120, 120));
  // The preview is the picture scaled: its middle matches the image's middle.
  vuImageOwner camera;
  ASSERT_EQ(camera.LoadImage(vutest::Sample("camera.pgm").c_str()), 0);
  uint8_t grey = 0;
  camera.GetColor(256, 511 - 256, &grey);
  EXPECT_NEAR(qGray(dialog.PreviewPicture().pixel(60, 60)), grey, 40);

  dialog.ShowFile(QString::fromStdString(folder.Path("notes.bmp")));
  EXPECT_EQ(dialog.StatusText(), "Unsupported or Invalid Image");
  EXPECT_EQ(dialog.Field("Width")->text(), "");

  auto* disable = dialog.findChild<QPushButton*>();
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    if (button->text() == "Disable Preview") disable = button;
  ASSERT_EQ(disable->text(), "Disable Preview");
  disable->click();
  EXPECT_FALSE(dialog.PreviewEnabled());
  dialog.ShowFile(QString::fromStdString(vutest::Sample("chelsea.ppm")));
  EXPECT_EQ(dialog.StatusText(), "Supported Image");
  EXPECT_TRUE(dialog.PreviewPicture().isNull());
}

} // namespace
