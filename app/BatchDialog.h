// The "Batch Conversion Parameters" dialog: a thin window over BatchModel. Lists, buttons, keys
// and menus call the model; the model's run reports each entry's state from its worker thread and
// the dialog repaints that entry and the progress bar on the interface thread.
#pragma once

#include <QDialog>
#include <map>
#include <vector>

#include "app/BatchModel.h"
#include "app/Preferences.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

// Control ids of the dialog.
enum BatchControl : int {
  IDC_DONE = 2,
  IDC_CHANGE_INPUT_FOLDER = 1010,
  IDC_CHANGE_OUTPUT_FOLDER = 1013,
  IDC_INPUT_LIST = 1021,
  IDC_FOLDER_LIST = 1022,
  IDC_OUTPUT_FOLDER = 1023,
  IDC_INPUT_FOLDER = 1024,
  IDC_INPUT_FILTER = 1025,
  IDC_OUTPUT_TYPE = 1026,
  IDC_CONVERT = 1028,
  IDC_OPTIONS = 1034,
  IDC_INFO = 1036,
  IDC_UP_FOLDER = 1037,
  IDC_REMOVE = 1038,
  IDC_REMOVE_ALL = 1039,
  IDC_ADD = 1040,
  IDC_ADD_ALL = 1041,
  IDC_AUTO_CONVERT = 1055,
};

class BatchDialog : public QDialog {
  Q_OBJECT
public:
  // Starts in the preferred input and output folders (the home folder when unset) with the
  // preferred filter and output type.
  explicit BatchDialog(const Preferences& preferences, QWidget* parent = nullptr);
  ~BatchDialog() override;

  BatchModel& Model() { return model_; }
  QWidget* Control(int id) const;
  QListWidget* FolderList() const { return folderList_; }
  QListWidget* InputList() const { return inputList_; }
  QProgressBar* Progress() const { return progress_; }
  QMenu* FolderMenu() const { return folderMenu_; }
  QMenu* InputMenu() const { return inputMenu_; }

  // What the buttons, menus, keys and double clicks do.
  void OnChangeInputFolder();
  void OnChangeOutputFolder();
  void OnUpFolder();
  void OnAdd();
  void OnAddAll();
  void OnRemove();
  void OnRemoveAll();
  void OnInfo();
  void OnOptions();
  void OnConvert();
  void OnFolderDoubleClicked();
  // The input folder as typed into its field.
  void OnInputFolderEdited();

  // While a run is going, closing waits for its current file and then closes.
  void done(int result) override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildControls();
  void Register(int id, QWidget* control);
  std::vector<int> SelectedRows(QListWidget* list) const;
  void RefreshFolderList();
  void RefreshInputList();
  void RefreshEntry(size_t index);
  void UpdateProgress();
  void UpdateButtons();
  void OnRunFinished();
  void ShowFolderProblem();

  BatchModel model_;
  std::map<int, QWidget*> controls_;
  QListWidget* folderList_ = nullptr;
  QListWidget* inputList_ = nullptr;
  QLineEdit* inputFolder_ = nullptr;
  QLineEdit* outputFolder_ = nullptr;
  QComboBox* inputFilter_ = nullptr;
  QComboBox* outputType_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* options_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* removeAll_ = nullptr;
  QCheckBox* autoConvert_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QMenu* folderMenu_ = nullptr;
  QMenu* inputMenu_ = nullptr;
  bool closePending_ = false;
  int closeResult_ = 0;
};
