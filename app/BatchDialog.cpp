#include "app/BatchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/BatchIcons.h"
#include "app/CTOVRAApp.h"

namespace {
const char* const kConvertText = "Convert / Compress";
const char* const kStopText = "Stop";

// The open dialog's filter (1-based) as the batch dialog's filter of the same files.
std::string FilterForOpenIndex(int index) {
  static const char* const names[] = {"All Images Types",
                                      "WIF,VUW",
                                      "BMP",
                                      "PCX",
                                      "PPM",
                                      "PGM",
                                      "TGA",
                                      "TIFF",
                                      "PNG",
                                      "JPEG",
                                      "GIF",
                                      "All Files"};
  return index >= 1 && index <= 12 ? names[index - 1] : "All Images Types";
}

QString Local(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string Native(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

std::string ExistingFolderOr(const QString& folder, const QString& fallback) {
  return Native(!folder.isEmpty() && QDir(folder).exists() ? folder : fallback);
}
} // namespace

BatchDialog::BatchDialog(const Preferences& preferences, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Batch Conversion Parameters");
  model_.defaultQuality = preferences.defaultQuality;
  BuildControls();

  model_.onEntryChanged = [this](size_t index) {
    QMetaObject::invokeMethod(
        this, [this, index] { RefreshEntry(index); }, Qt::QueuedConnection);
  };
  model_.onFinished = [this] {
    QMetaObject::invokeMethod(
        this, [this] { OnRunFinished(); }, Qt::QueuedConnection);
  };

  std::string filter = FilterForOpenIndex(preferences.inputFilter);
  inputFilter_->setCurrentText(QString::fromStdString(filter));
  model_.SetInputFilter(filter);
  std::string input = ExistingFolderOr(preferences.inputFolder, QDir::homePath());
  model_.SetInputFolder(input);
  inputFolder_->setText(Local(model_.InputFolder()));
  model_.SetOutputFolder(ExistingFolderOr(preferences.outputFolder, Local(input)));
  outputFolder_->setText(Local(model_.OutputFolder()));
  std::string type = BatchModel::OutputTypeName(preferences.outputType);
  if (type.empty()) type = "WIF";
  outputType_->setCurrentText(QString::fromStdString(type));
  model_.SetOutputType(BatchModel::OutputTypeOf(type));

  connect(inputFilter_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    model_.SetInputFilter(text.toStdString());
    RefreshFolderList();
  });
  connect(outputType_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    model_.SetOutputType(BatchModel::OutputTypeOf(text.toStdString()));
    UpdateButtons();
  });
  connect(inputFolder_, &QLineEdit::editingFinished, this, &BatchDialog::OnInputFolderEdited);
  connect(outputFolder_, &QLineEdit::editingFinished, this, [this] {
    model_.SetOutputFolder(Native(outputFolder_->text()));
    outputFolder_->setText(Local(model_.OutputFolder()));
  });
  RefreshFolderList();
  RefreshInputList();
}

BatchDialog::~BatchDialog() {
  model_.onEntryChanged = nullptr;
  model_.onFinished = nullptr;
}

void BatchDialog::Register(int id, QWidget* control) {
  controls_[id] = control;
  control->setObjectName(QString("control%1").arg(id));
}

QWidget* BatchDialog::Control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void BatchDialog::BuildControls() {
  auto button = [this](int id, const char* text, void (BatchDialog::*slot)()) {
    auto* made = new QPushButton(text, this);
    made->setAutoDefault(false);
    Register(id, made);
    connect(made, &QPushButton::clicked, this, slot);
    return made;
  };
  auto picture = [this](int id, const QIcon& icon, const char* tip, void (BatchDialog::*slot)()) {
    auto* made = new QToolButton(this);
    made->setIcon(icon);
    made->setIconSize(QSize(20, 20));
    made->setToolTip(tip);
    Register(id, made);
    connect(made, &QToolButton::clicked, this, slot);
    return made;
  };

  folderList_ = new QListWidget(this);
  Register(IDC_FOLDER_LIST, folderList_);
  folderList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  folderList_->setIconSize(QSize(20, 20));
  folderList_->setContextMenuPolicy(Qt::CustomContextMenu);
  folderList_->installEventFilter(this);
  connect(folderList_, &QListWidget::itemDoubleClicked, this, &BatchDialog::OnFolderDoubleClicked);

  inputList_ = new QListWidget(this);
  Register(IDC_INPUT_LIST, inputList_);
  inputList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  inputList_->setIconSize(QSize(20, 20));
  inputList_->setContextMenuPolicy(Qt::CustomContextMenu);
  inputList_->installEventFilter(this);
  connect(inputList_, &QListWidget::itemDoubleClicked, this, &BatchDialog::OnRemove);

  folderMenu_ = new QMenu(this);
  connect(folderMenu_->addAction("Add Selected Item(s) To List"), &QAction::triggered, this,
          &BatchDialog::OnAdd);
  connect(folderMenu_->addAction("Add All Item(s) To List"), &QAction::triggered, this,
          &BatchDialog::OnAddAll);
  connect(folderMenu_->addAction("Image Information"), &QAction::triggered, this,
          &BatchDialog::OnInfo);
  inputMenu_ = new QMenu(this);
  connect(inputMenu_->addAction("Delete Selected Item(s)"), &QAction::triggered, this,
          &BatchDialog::OnRemove);
  connect(inputMenu_->addAction("Delete Whole List"), &QAction::triggered, this,
          &BatchDialog::OnRemoveAll);
  connect(folderList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    folderMenu_->popup(folderList_->viewport()->mapToGlobal(at));
  });
  connect(inputList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (!model_.Running()) inputMenu_->popup(inputList_->viewport()->mapToGlobal(at));
  });

  inputFolder_ = new QLineEdit(this);
  Register(IDC_INPUT_FOLDER, inputFolder_);
  outputFolder_ = new QLineEdit(this);
  Register(IDC_OUTPUT_FOLDER, outputFolder_);
  inputFilter_ = new QComboBox(this);
  Register(IDC_INPUT_FILTER, inputFilter_);
  for (const std::string& name : BatchModel::InputFilters())
    inputFilter_->addItem(QString::fromStdString(name));
  outputType_ = new QComboBox(this);
  Register(IDC_OUTPUT_TYPE, outputType_);
  for (const std::string& name : BatchModel::OutputTypeNames())
    outputType_->addItem(QString::fromStdString(name));

  QPushButton* changeInput =
      button(IDC_CHANGE_INPUT_FOLDER, "Change Folder", &BatchDialog::OnChangeInputFolder);
  QPushButton* changeOutput =
      button(IDC_CHANGE_OUTPUT_FOLDER, "Change Folder", &BatchDialog::OnChangeOutputFolder);
  options_ = button(IDC_OPTIONS, "Options", &BatchDialog::OnOptions);
  remove_ = button(IDC_REMOVE, "Remove", &BatchDialog::OnRemove);
  remove_->setToolTip("Remove Selected Images From List");
  removeAll_ = button(IDC_REMOVE_ALL, "Remove ALL", &BatchDialog::OnRemoveAll);
  removeAll_->setToolTip("Remove All Images From List");
  QPushButton* add = button(IDC_ADD, "Add ----->", &BatchDialog::OnAdd);
  add->setToolTip("Add Selected Images To List");
  QPushButton* addAll = button(IDC_ADD_ALL, " ALL----->", &BatchDialog::OnAddAll);
  addAll->setToolTip("Add All Images To List");
  convert_ = button(IDC_CONVERT, kConvertText, &BatchDialog::OnConvert);
  QPushButton* doneButton = new QPushButton("Done", this);
  doneButton->setAutoDefault(false);
  Register(IDC_DONE, doneButton);
  connect(doneButton, &QPushButton::clicked, this, &QDialog::accept);
  QToolButton* info = picture(IDC_INFO, BatchInfoButtonImage(), "Image Info", &BatchDialog::OnInfo);
  QToolButton* up = picture(IDC_UP_FOLDER, BatchUpFolderButtonImage(), "Move Up To Parent Folder",
                            &BatchDialog::OnUpFolder);

  // Every image is converted to a format the output type stores; there is nothing to switch off.
  autoConvert_ = new QCheckBox("Auto-Convert", this);
  Register(IDC_AUTO_CONVERT, autoConvert_);
  autoConvert_->setChecked(true);
  autoConvert_->setEnabled(false);
  autoConvert_->setToolTip("Images are always converted to a pixel format the output type stores");

  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setFormat("%v of %m");
  progress_->setRange(0, 1);
  progress_->setValue(0);

  // Input side on the left, the list to convert on the right, Add / Remove between them.
  auto* grid = new QGridLayout(this);
  auto* inputBox = new QVBoxLayout;
  inputBox->addWidget(new QLabel("Current Input Folder", this));
  auto* inputRow = new QHBoxLayout;
  inputRow->addWidget(inputFolder_, 1);
  inputRow->addWidget(changeInput);
  inputBox->addLayout(inputRow);
  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(new QLabel("List Files of Type", this));
  filterRow->addWidget(inputFilter_, 1);
  filterRow->addWidget(info);
  filterRow->addWidget(up);
  inputBox->addLayout(filterRow);
  inputBox->addWidget(new QLabel("Supported Images", this));
  inputBox->addWidget(folderList_, 1);
  grid->addLayout(inputBox, 0, 0);

  auto* middle = new QVBoxLayout;
  middle->addStretch(1);
  middle->addWidget(add);
  middle->addWidget(addAll);
  middle->addSpacing(16);
  middle->addWidget(remove_);
  middle->addWidget(removeAll_);
  middle->addStretch(1);
  grid->addLayout(middle, 0, 1);

  auto* listBox = new QVBoxLayout;
  listBox->addWidget(new QLabel("Input Image List", this));
  listBox->addWidget(inputList_, 1);
  grid->addLayout(listBox, 0, 2);

  auto* outputBox = new QGridLayout;
  outputBox->addWidget(new QLabel("Current Output Folder", this), 0, 0);
  outputBox->addWidget(outputFolder_, 0, 1);
  outputBox->addWidget(changeOutput, 0, 2);
  outputBox->addWidget(new QLabel("Type for Output Files", this), 1, 0);
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(outputType_);
  typeRow->addWidget(options_);
  typeRow->addWidget(autoConvert_);
  typeRow->addStretch(1);
  outputBox->addLayout(typeRow, 1, 1, 1, 2);
  grid->addLayout(outputBox, 1, 0, 1, 3);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(progress_, 1);
  bottom->addWidget(convert_);
  bottom->addWidget(doneButton);
  grid->addLayout(bottom, 2, 0, 1, 3);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(2, 1);
  resize(760, 480);
}

std::vector<int> BatchDialog::SelectedRows(QListWidget* list) const {
  std::vector<int> rows;
  for (QListWidgetItem* item : list->selectedItems())
    rows.push_back(list->row(item));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void BatchDialog::RefreshFolderList() {
  folderList_->clear();
  for (const BatchFolderItem& item : model_.FolderItems())
    new QListWidgetItem(BatchFolderIconImage(item.icon), Local(item.text), folderList_);
  inputFolder_->setText(Local(model_.InputFolder()));
}

void BatchDialog::RefreshInputList() {
  inputList_->clear();
  for (const BatchEntry& entry : model_.Entries()) {
    auto* item = new QListWidgetItem(Local(entry.path), inputList_);
    item->setIcon(BatchStateIconImage(entry.state, !entry.problem.empty()));
    item->setToolTip(QString::fromStdString(entry.problem));
  }
  UpdateProgress();
  UpdateButtons();
}

void BatchDialog::RefreshEntry(size_t index) {
  QListWidgetItem* item = inputList_->item(int(index));
  if (!item) return;
  BatchEntry entry = model_.Entry(index);
  item->setIcon(BatchStateIconImage(entry.state, !entry.problem.empty()));
  item->setToolTip(QString::fromStdString(entry.problem));
  UpdateProgress();
}

void BatchDialog::UpdateProgress() {
  std::vector<BatchEntry> entries = model_.Entries();
  int done = int(std::count_if(entries.begin(), entries.end(), [](const BatchEntry& entry) {
    return entry.state == BATCH_SAVED || !entry.problem.empty();
  }));
  progress_->setRange(0, std::max<int>(1, int(entries.size())));
  progress_->setValue(done);
  progress_->setTextVisible(!entries.empty());
}

void BatchDialog::UpdateButtons() {
  bool running = model_.Running();
  bool visible = model_.RemoveButtonsVisible();
  remove_->setVisible(visible);
  removeAll_->setVisible(visible);
  options_->setVisible(model_.OptionsButtonVisible());
  // While files are converted the list and the output stay as they are.
  for (int id : {IDC_ADD, IDC_ADD_ALL, IDC_REMOVE, IDC_REMOVE_ALL, IDC_OPTIONS, IDC_OUTPUT_TYPE,
                 IDC_OUTPUT_FOLDER, IDC_CHANGE_OUTPUT_FOLDER})
    Control(id)->setEnabled(!running);
  folderMenu_->actions()[0]->setEnabled(!running);
  folderMenu_->actions()[1]->setEnabled(!running);
}

void BatchDialog::ShowFolderProblem() {
  std::string text = "The folder cannot be read:\n" + model_.InputFolder();
  vuPlatform().MessageBox(text.c_str(), CTOVRAApp::Title(), VU_MB_OK, VU_ICON_WARNING);
}

void BatchDialog::OnInputFolderEdited() {
  std::string typed = Native(inputFolder_->text());
  if (typed == model_.InputFolder()) return;
  bool readable = model_.SetInputFolder(typed);
  RefreshFolderList();
  if (!readable) ShowFolderProblem();
}

void BatchDialog::OnChangeInputFolder() {
  vuFileDialog dialog;
  dialog.owner = this;
  dialog.title = "Select Input Directory File";
  dialog.initialFolder = model_.InputFolder();
  dialog.selectFolder = true;
  if (!vuPlatform().GetOpenFileName(dialog)) return;
  bool readable = model_.SetInputFolder(dialog.path);
  RefreshFolderList();
  if (!readable) ShowFolderProblem();
}

void BatchDialog::OnChangeOutputFolder() {
  if (model_.Running()) return;
  vuFileDialog dialog;
  dialog.owner = this;
  dialog.title = "Select Output Directory File";
  dialog.filters = {{"Folders", "*"}};
  dialog.initialFolder = model_.OutputFolder();
  dialog.selectFolder = true;
  if (!vuPlatform().GetOpenFileName(dialog)) return;
  model_.SetOutputFolder(dialog.path);
  outputFolder_->setText(Local(model_.OutputFolder()));
}

void BatchDialog::OnUpFolder() {
  model_.UpFolder();
  RefreshFolderList();
}

void BatchDialog::OnFolderDoubleClicked() {
  std::string before = model_.InputFolder();
  size_t entries = model_.EntryCount();
  model_.Activate(SelectedRows(folderList_));
  if (model_.InputFolder() != before || model_.FolderItems().size() != size_t(folderList_->count()))
    RefreshFolderList();
  if (model_.EntryCount() != entries) RefreshInputList();
}

void BatchDialog::OnAdd() {
  if (model_.Add(SelectedRows(folderList_)) > 0) RefreshInputList();
}

void BatchDialog::OnAddAll() {
  if (model_.AddAll() > 0) RefreshInputList();
}

void BatchDialog::OnRemove() {
  if (model_.Running()) return;
  model_.Remove(SelectedRows(inputList_));
  RefreshInputList();
}

void BatchDialog::OnRemoveAll() {
  if (model_.Running()) return;
  model_.RemoveAll();
  RefreshInputList();
}

void BatchDialog::OnInfo() {
  for (const std::string& text : model_.ImageInformation(SelectedRows(folderList_)))
    vuPlatform().MessageBox(text.c_str(), "Image Information", VU_MB_OK, VU_ICON_INFORMATION);
}

void BatchDialog::OnOptions() {
  model_.FetchOptions();
}

void BatchDialog::OnConvert() {
  if (model_.Running()) {
    // The run ends after the file it is working on; until then the button cannot restart it.
    model_.RequestStop();
    convert_->setText(kConvertText);
    convert_->setEnabled(false);
    return;
  }
  if (!model_.ConvertOrStop()) return;
  convert_->setText(kStopText);
  RefreshInputList();
}

void BatchDialog::OnRunFinished() {
  if (model_.Running()) return; // the report of a run that a quick click has followed already
  model_.Wait();
  convert_->setText(kConvertText);
  convert_->setEnabled(true);
  RefreshInputList();
  if (closePending_) {
    closePending_ = false;
    QDialog::done(closeResult_);
  }
}

void BatchDialog::done(int result) {
  if (model_.Running()) {
    model_.RequestStop();
    convert_->setEnabled(false);
    closePending_ = true;
    closeResult_ = result;
    return;
  }
  QDialog::done(result);
}

bool BatchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == inputList_ && key == Qt::Key_Delete) {
      OnRemove();
      return true;
    }
    if (watched == folderList_ && key == Qt::Key_Backspace) {
      OnUpFolder();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
