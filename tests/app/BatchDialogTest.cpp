// The batch dialog's window: its controls and texts, keys, menus, the Remove buttons' visibility,
// and a run that repaints each entry from the worker thread; and the Convert command that opens
// it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <set>

#include "AppTestSupport.h"
#include "app/BatchDialog.h"
#include "app/BatchIcons.h"
#include "app/FolderChooser.h"
#include "formats/vuRegistry.h"

namespace fs = std::filesystem;

namespace {

class BatchDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(dir.Path("in/sub"));
    fs::create_directories(dir.Path("out"));
    for (const char* name : {"camera.pgm", "chelsea.ppm"})
      fs::copy_file(vutest::Sample(name), dir.Path(std::string("in/") + name));
    preferences.inputFolder = QString::fromStdString(dir.Path("in"));
    preferences.outputFolder = QString::fromStdString(dir.Path("out"));
    preferences.outputType = VU_TYPE_PNG;
    dialog = std::make_unique<BatchDialog>(preferences);
    dialog->Model().drives = [] { return std::vector<BatchDrive>{{"/", "disk", 3}}; };
    dialog->show();
  }

  QString Text(int id) const {
    QWidget* control = dialog->Control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* field = qobject_cast<QLineEdit*>(control)) return field->text();
    if (auto* box = qobject_cast<QComboBox*>(control)) return box->currentText();
    return QString();
  }
  QStringList Items(QListWidget* list) const {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
      texts << list->item(i)->text();
    return texts;
  }
  void Select(QListWidget* list, const QString& text) {
    for (QListWidgetItem* item : list->findItems(text, Qt::MatchExactly))
      item->setSelected(true);
  }
  // Lets the worker's reports arrive until the run has ended.
  bool WaitForRun() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      if (!dialog->Model().Running() && Text(IDC_CONVERT) == "Convert / Compress" &&
          dialog->Control(IDC_CONVERT)->isEnabled())
        return true;
    }
    return false;
  }

  vutest::TempDir dir;
  apptest::TestPlatform platform;
  vuScopedPlatform installed{&platform};
  Preferences preferences;
  std::unique_ptr<BatchDialog> dialog;
};

TEST_F(BatchDialogTest, ControlsLabelsAndToolTips) {
  EXPECT_EQ(dialog->windowTitle(), "Batch Conversion Parameters");
  EXPECT_EQ(Text(IDC_CHANGE_INPUT_FOLDER), "Change Folder");
  EXPECT_EQ(Text(IDC_CHANGE_OUTPUT_FOLDER), "Change Folder");
  EXPECT_EQ(Text(IDC_OPTIONS), "Options");
  EXPECT_EQ(Text(IDC_REMOVE), "Remove");
  EXPECT_EQ(Text(IDC_REMOVE_ALL), "Remove ALL");
  EXPECT_EQ(Text(IDC_ADD), "Add ----->");
  EXPECT_EQ(Text(IDC_ADD_ALL), " ALL----->");
  EXPECT_EQ(Text(IDC_AUTO_CONVERT), "Auto-Convert");
  EXPECT_EQ(Text(IDC_CONVERT), "Convert / Compress");
  EXPECT_EQ(Text(IDC_DONE), "Done");
  std::map<int, QString> tips = {{IDC_INFO, "Image Info"},
                                 {IDC_UP_FOLDER, "Move Up To Parent Folder"},
                                 {IDC_REMOVE, "Remove Selected Images From List"},
                                 {IDC_REMOVE_ALL, "Remove All Images From List"},
                                 {IDC_ADD, "Add Selected Images To List"},
                                 {IDC_ADD_ALL, "Add All Images To List"}};
  for (const auto& [id, tip] : tips)
    EXPECT_EQ(dialog->Control(id)->toolTip(), tip) << id;
  QStringList labels;
  for (QLabel* label : dialog->findChildren<QLabel*>())
    labels << label->text();
  for (const char* label : {"Supported Images", "Input Image List", "Current Input Folder",
                            "List Files of Type", "Current Output Folder", "Type for Output Files"})
    EXPECT_TRUE(labels.contains(label)) << label;
  auto* filter = qobject_cast<QComboBox*>(dialog->Control(IDC_INPUT_FILTER));
  QStringList filters;
  for (int i = 0; i < filter->count(); ++i)
    filters << filter->itemText(i);
  EXPECT_EQ(filters, (QStringList{"All Files", "All Images Types", "BMP", "GIF", "JPEG", "PCX",
                                  "PGM", "PNG", "PPM", "TGA", "TIFF", "WIF,VUW"}));
  // Started from the preferences: folders, type (PNG has no options), the filter of all images.
  EXPECT_EQ(Text(IDC_INPUT_FOLDER).toStdString(), dir.Path("in"));
  EXPECT_EQ(Text(IDC_OUTPUT_FOLDER).toStdString(), dir.Path("out"));
  EXPECT_EQ(Text(IDC_OUTPUT_TYPE), "PNG");
  EXPECT_EQ(Text(IDC_INPUT_FILTER), "All Images Types");
  EXPECT_FALSE(dialog->Control(IDC_OPTIONS)->isVisible());
  EXPECT_EQ(Items(dialog->FolderList()), (QStringList{"..", "sub", "camera.pgm", "chelsea.ppm"}));
  // Each kind of item has its own picture.
  std::set<QByteArray> pictures;
  for (int i = 0; i < dialog->FolderList()->count(); ++i) {
    QImage picture = dialog->FolderList()->item(i)->icon().pixmap(20).toImage();
    pictures.insert(
        QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
  }
  EXPECT_EQ(pictures.size(), 4u);
}

TEST_F(BatchDialogTest, AddRemoveKeysMenusAndRemoveButtons) {
  QListWidget* folders = dialog->FolderList();
  QListWidget* entries = dialog->InputList();
  EXPECT_FALSE(dialog->Control(IDC_REMOVE)->isVisible());
  EXPECT_FALSE(dialog->Control(IDC_REMOVE_ALL)->isVisible());
  QStringList folderMenu, inputMenu;
  for (QAction* action : dialog->FolderMenu()->actions())
    folderMenu << action->text();
  for (QAction* action : dialog->InputMenu()->actions())
    inputMenu << action->text();
  EXPECT_EQ(folderMenu, (QStringList{"Add Selected Item(s) To List", "Add All Item(s) To List",
                                     "Image Information"}));
  EXPECT_EQ(inputMenu, (QStringList{"Delete Selected Item(s)", "Delete Whole List"}));

  Select(folders, "camera.pgm");
  QTest::mouseClick(static_cast<QAbstractButton*>(dialog->Control(IDC_ADD)), Qt::LeftButton);
  QString camera = QString::fromStdString(dir.Path("in/camera.pgm"));
  QString chelsea = QString::fromStdString(dir.Path("in/chelsea.ppm"));
  EXPECT_EQ(Items(entries), QStringList{camera});
  EXPECT_TRUE(dialog->Control(IDC_REMOVE)->isVisible());
  EXPECT_TRUE(dialog->Control(IDC_REMOVE_ALL)->isVisible());
  dialog->FolderMenu()->actions()[1]->trigger(); // Add All: no second camera entry
  EXPECT_EQ(Items(entries), (QStringList{camera, chelsea}));

  entries->item(0)->setSelected(true);
  entries->setFocus();
  QTest::keyClick(entries, Qt::Key_Delete);
  EXPECT_EQ(Items(entries), QStringList{chelsea});
  EXPECT_TRUE(dialog->Control(IDC_REMOVE)->isVisible());
  entries->item(0)->setSelected(true);
  dialog->InputMenu()->actions()[0]->trigger();
  EXPECT_TRUE(Items(entries).isEmpty());
  EXPECT_FALSE(dialog->Control(IDC_REMOVE)->isVisible());

  // Double click on an image adds it, on an entry removes it.
  QListWidgetItem* image = folders->findItems("chelsea.ppm", Qt::MatchExactly)[0];
  folders->clearSelection();
  image->setSelected(true);
  dialog->OnFolderDoubleClicked();
  EXPECT_EQ(Items(entries), QStringList{chelsea});
  entries->item(0)->setSelected(true);
  emit entries->itemDoubleClicked(entries->item(0));
  EXPECT_TRUE(Items(entries).isEmpty());

  // Backspace in the folder list goes up; a double click on the subfolder goes in.
  folders->setFocus();
  QTest::keyClick(folders, Qt::Key_Backspace);
  EXPECT_EQ(Text(IDC_INPUT_FOLDER).toStdString(), dir.Root().string());
  QTest::mouseClick(static_cast<QAbstractButton*>(dialog->Control(IDC_UP_FOLDER)), Qt::LeftButton);
  EXPECT_EQ(Text(IDC_INPUT_FOLDER).toStdString(), dir.Root().parent_path().string());
}

TEST_F(BatchDialogTest, ImageInformationAndFolderChoosers) {
  Select(dialog->FolderList(), "camera.pgm");
  Select(dialog->FolderList(), "sub");
  dialog->FolderMenu()->actions()[2]->trigger();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "Image Information");
  EXPECT_EQ(platform.messages[0].text,
            dir.Path("in/camera.pgm") +
                "\nWidth:512\nHeight:512\nBits Per Pixel:8\nFile Size:262159\n"
                "Compression Ratio:1.00:1");

  platform.fileAnswers = {{true, dir.Path("in/sub"), 0}, {false, "", 0}, {true, dir.Path("in"), 0}};
  QTest::mouseClick(static_cast<QAbstractButton*>(dialog->Control(IDC_CHANGE_INPUT_FOLDER)),
                    Qt::LeftButton);
  EXPECT_EQ(Text(IDC_INPUT_FOLDER).toStdString(), dir.Path("in/sub"));
  EXPECT_EQ(Items(dialog->FolderList()), QStringList{".."});
  QTest::mouseClick(static_cast<QAbstractButton*>(dialog->Control(IDC_CHANGE_OUTPUT_FOLDER)),
                    Qt::LeftButton);
  EXPECT_EQ(Text(IDC_OUTPUT_FOLDER).toStdString(), dir.Path("out")); // "Don't Set Directory"
  QTest::mouseClick(static_cast<QAbstractButton*>(dialog->Control(IDC_CHANGE_OUTPUT_FOLDER)),
                    Qt::LeftButton);
  EXPECT_EQ(dialog->Model().OutputFolder(), dir.Path("in"));
  ASSERT_EQ(platform.fileDialogs.size(), 3u);
  EXPECT_EQ(platform.fileDialogs[0].title, "Select Input Directory File");
  EXPECT_TRUE(platform.fileDialogs[0].selectFolder);
  EXPECT_EQ(platform.fileDialogs[0].initialFolder, dir.Path("in"));
  EXPECT_EQ(platform.fileDialogs[1].title, "Select Output Directory File");
  ASSERT_EQ(platform.fileDialogs[1].filters.size(), 1u);
  EXPECT_EQ(platform.fileDialogs[1].filters[0].description, "Folders");

  // A typed folder refills the list when the field is left; one that cannot be read is told.
  auto* field = qobject_cast<QLineEdit*>(dialog->Control(IDC_INPUT_FOLDER));
  field->setText(QString::fromStdString(dir.Path("missing")));
  emit field->editingFinished();
  EXPECT_EQ(platform.messages.back().text, "The folder cannot be read:\n" + dir.Path("missing"));
  field->setText(QString::fromStdString(dir.Path("in")));
  emit field->editingFinished();
  EXPECT_EQ(dialog->FolderList()->count(), 4);
}

TEST_F(BatchDialogTest, RunRepaintsEachEntryAndCanBeStopped) {
  dialog->OnAddAll();
  ASSERT_EQ(dialog->InputList()->count(), 2);
  QImage waiting = dialog->InputList()->item(0)->icon().pixmap(20).toImage();
  EXPECT_EQ(waiting, BatchStateIconImage(BATCH_WAITING, false).pixmap(20).toImage());
  dialog->OnConvert();
  EXPECT_EQ(Text(IDC_CONVERT), "Stop");
  EXPECT_FALSE(dialog->Control(IDC_ADD)->isEnabled());
  ASSERT_TRUE(WaitForRun());
  EXPECT_TRUE(dialog->Control(IDC_ADD)->isEnabled());
  QImage saved = BatchStateIconImage(BATCH_SAVED, false).pixmap(20).toImage();
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(dialog->InputList()->item(i)->icon().pixmap(20).toImage(), saved) << i;
  EXPECT_EQ(dialog->Progress()->value(), 2);
  EXPECT_EQ(dialog->Progress()->maximum(), 2);
  EXPECT_TRUE(fs::exists(dir.Path("out/camera.png")));
  EXPECT_TRUE(fs::exists(dir.Path("out/chelsea.png")));

  // Stop clicked while the first file is being worked on (the worker waits for the click): the
  // second stays waiting until Convert again.
  fs::remove(dir.Path("out/chelsea.png"));
  dialog->Model().onEntryChanged = [this](size_t) {
    QMetaObject::invokeMethod(
        dialog.get(),
        [this] {
          if (Text(IDC_CONVERT) == "Stop") dialog->OnConvert();
        },
        Qt::BlockingQueuedConnection);
  };
  dialog->OnConvert();
  ASSERT_TRUE(WaitForRun());
  EXPECT_TRUE(dialog->Model().Resuming());
  EXPECT_EQ(dialog->Model().Entry(1).state, BATCH_WAITING);
  EXPECT_FALSE(fs::exists(dir.Path("out/chelsea.png")));
  EXPECT_EQ(dialog->Progress()->value(), 1);
  dialog->OnConvert();
  ASSERT_TRUE(WaitForRun());
  EXPECT_TRUE(fs::exists(dir.Path("out/chelsea.png")));
  EXPECT_EQ(dialog->Progress()->value(), 2);
}

TEST_F(BatchDialogTest, ClosingDuringARunWaitsForTheCurrentFile) {
  dialog->OnAddAll();
  dialog->OnConvert();
  ASSERT_TRUE(dialog->Model().Running() || dialog->Model().Entry(1).state == BATCH_SAVED);
  dialog->accept();
  QElapsedTimer clock;
  clock.start();
  while (dialog->isVisible() && clock.elapsed() < 60000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(dialog->Model().Running());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST(BatchCommand, ConvertOpensTheDialogWithOrWithoutADocument) {
  apptest::Studio studio;
  EXPECT_TRUE(studio.frame->Action(ID_CONVERT)->isVisible());
  QString title;
  QTimer::singleShot(0, [&] {
    if (auto* opened = qobject_cast<BatchDialog*>(QApplication::activeModalWidget())) {
      title = opened->windowTitle();
      opened->reject();
    }
  });
  EXPECT_TRUE(studio.frame->Commands().Trigger(ID_CONVERT));
  EXPECT_EQ(title, "Batch Conversion Parameters");
}

} // namespace

namespace {

// Runs the folder chooser; once it shows, browses to `browse`, notes its texts, types `typed`
// (when given) and presses the button named `press`.
bool RunChooser(vuFileDialog& request, const QString& browse, const QString& press,
                QStringList* shown, const QString& typed = QString()) {
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!box) return;
    box->setDirectory(browse);
    QApplication::processEvents();
    auto* name = box->findChild<QLineEdit*>("fileNameEdit");
    *shown = {box->windowTitle(), box->labelText(QFileDialog::FileName),
              box->labelText(QFileDialog::Accept), box->labelText(QFileDialog::Reject)};
    if (name && !typed.isEmpty()) name->setText(typed);
    for (QAbstractButton* button : box->findChildren<QAbstractButton*>())
      if (button->text() == press) {
        button->click();
        break;
      }
    if (box->isVisible()) box->reject(); // the button was disabled
  });
  return ChooseFolder(request);
}

TEST(FolderChooser, SetDirectoryTakesTheBrowsedFolder) {
  vutest::TempDir dir;
  fs::create_directories(dir.Path("a/b"));
  QString inner = QString::fromStdString(dir.Path("a/b"));
  vuFileDialog request;
  request.title = "Select Input Directory File";
  request.initialFolder = dir.Path("a");
  request.selectFolder = true;
  QStringList shown;
  ASSERT_TRUE(RunChooser(request, inner, "Set Directory", &shown));
  EXPECT_EQ(request.path, dir.Path("a/b"));
  EXPECT_EQ(shown, (QStringList{"Select Input Directory File", "Folder:", "Set Directory",
                                "Don't Set Directory"}));
  // A folder typed into the name field, relative to the one browsed, is taken instead.
  ASSERT_TRUE(
      RunChooser(request, QString::fromStdString(dir.Path("a")), "Set Directory", &shown, "b"));
  EXPECT_EQ(request.path, dir.Path("a/b"));
  // A name that is no folder leaves nothing to set.
  request.path.clear();
  EXPECT_FALSE(RunChooser(request, inner, "Set Directory", &shown, "no such folder"));
  EXPECT_TRUE(request.path.empty());
  EXPECT_FALSE(RunChooser(request, inner, "Don't Set Directory", &shown));
  EXPECT_TRUE(request.path.empty());
}

} // namespace
