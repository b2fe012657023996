#include "app/FolderChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "app/OpenImageDialog.h"
#include "app/QtPlatform.h"

namespace {
// A file dialog whose accepting button takes the folder being browsed, or the folder typed or
// selected in its name field when that is one.
class FolderDialog : public QFileDialog {
public:
  using QFileDialog::QFileDialog;
  QString chosen;

  void accept() override {
    QString current = directory().absolutePath();
    auto* name = findChild<QLineEdit*>("fileNameEdit");
    QString text = name ? name->text().trimmed() : QString();
    QString typed = text.isEmpty() || text == QDir(current).dirName()
                        ? current
                        : QDir::cleanPath(QDir(current).absoluteFilePath(text));
    chosen = QFileInfo(typed).isDir() ? typed : current;
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
  if (box.exec() != QDialog::Accepted || box.chosen.isEmpty()) return false;
  dialog.path = QFile::encodeName(box.chosen).toStdString();
  dialog.extensionOffset = vuFileExtensionOffset(dialog.path);
  return true;
}
