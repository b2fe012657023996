#include "app/FolderChooser.h"

#include <QFileDialog>
#include <QLineEdit>

#include "app/OpenImageDialog.h"
#include "app/QtPlatform.h"

bool ChooseFolder(vuFileDialog& dialog) {
  QFileDialog box(DialogOwner(dialog.owner), QString::fromStdString(dialog.title));
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
  // The name field follows the folder being browsed, so "Set Directory" takes that folder.
  auto follow = [&box](const QString& folder) {
    if (auto* name = box.findChild<QLineEdit*>("fileNameEdit")) name->setText(folder);
  };
  QObject::connect(&box, &QFileDialog::directoryEntered, &box, follow);
  follow(box.directory().absolutePath());
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  dialog.path = QFile::encodeName(box.selectedFiles().first()).toStdString();
  dialog.extensionOffset = vuFileExtensionOffset(dialog.path);
  return true;
}
