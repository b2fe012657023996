#include "app/FolderChooser.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "app/OpenImageDialog.h"
#include "app/QtPlatform.h"

namespace {
// A file dialog whose accepting button takes the folder being browsed, whatever is selected in it.
class FolderDialog : public QFileDialog {
public:
  using QFileDialog::QFileDialog;
  QString chosen;

  void accept() override {
    chosen = directory().absolutePath();
    QDialog::accept();
  }
};
} // namespace

bool ChooseFolder(vuFileDialog& dialog) {
  FolderDialog box(DialogOwner(dialog.owner), QString::fromStdString(dialog.title));
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  box.setOption(QFileDialog::ShowDirsOnly, true);
  box.setFileMode(QFileDialog::Directory);
  box.setAcceptMode(QFileDialog::AcceptOpen);
  box.setLabelText(QFileDialog::FileName, "Folder:");
  box.setLabelText(QFileDialog::Accept, "Set Directory");
  box.setLabelText(QFileDialog::Reject, "Don't Set Directory");
  QStringList filters;
  for (const vuFileFilter& filter : dialog.filters)
    filters << QtNameFilter(filter);
  if (!filters.isEmpty()) box.setNameFilters(filters);
  if (!dialog.initialFolder.empty())
    box.setDirectory(QFile::decodeName(QByteArray::fromStdString(dialog.initialFolder)));
  // The name field shows the folder being browsed; the dialog's own updates of the field on a
  // change of folder come first, so ours follows them.
  auto follow = [&box] {
    QTimer::singleShot(0, &box, [&box] {
      if (auto* name = box.findChild<QLineEdit*>("fileNameEdit"))
        name->setText(box.directory().absolutePath());
    });
  };
  QObject::connect(&box, &QFileDialog::directoryEntered, &box, follow);
  follow();
  if (box.exec() != QDialog::Accepted || box.chosen.isEmpty()) return false;
  dialog.path = QFile::encodeName(box.chosen).toStdString();
  dialog.extensionOffset = vuFileExtensionOffset(dialog.path);
  return true;
}
