#include "app/QtPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QThread>

#include "app/FolderChooser.h"
#include "app/OpenImageDialog.h"
#include "app/Preferences.h"
#include "app/QtDeviceContext.h"
#include "app/SaveOptionsDialogs.h"
#include "imagelib/vuImage.h"

QWidget* DialogOwner(void* owner) {
  return owner ? static_cast<QWidget*>(owner) : QApplication::activeWindow();
}

QtPlatform::QtPlatform(int screenDepth) {
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screen.width = primary->geometry().width();
    screen.height = primary->geometry().height();
    screen.bitsPerPixel = primary->depth();
  }
  if (screenDepth > 0) screen.bitsPerPixel = screenDepth;
}

int QtPlatform::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                           vuMessageIcon icon) {
  // Work on other threads (the batch run) asks through the interface thread and waits there.
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
    int pressed = VU_IDCANCEL;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { pressed = MessageBox(text, caption, buttons, icon); },
        Qt::BlockingQueuedConnection);
    return pressed;
  }
  QMessageBox box(DialogOwner(nullptr));
  box.setText(QString::fromUtf8(text ? text : ""));
  box.setWindowTitle(QString::fromUtf8(caption ? caption : ""));
  switch (icon) {
  case VU_ICON_ERROR:
    box.setIcon(QMessageBox::Critical);
    break;
  case VU_ICON_QUESTION:
    box.setIcon(QMessageBox::Question);
    break;
  case VU_ICON_WARNING:
    box.setIcon(QMessageBox::Warning);
    break;
  case VU_ICON_INFORMATION:
    box.setIcon(QMessageBox::Information);
    break;
  default:
    break;
  }
  if (buttons == VU_MB_YESNOCANCEL) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
  } else if (buttons == VU_MB_YESNO) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else if (buttons == VU_MB_OKCANCEL) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  switch (box.exec()) {
  case QMessageBox::Yes:
    return VU_IDYES;
  case QMessageBox::No:
    return VU_IDNO;
  case QMessageBox::Cancel:
    return VU_IDCANCEL;
  default:
    if (buttons == VU_MB_YESNO) return VU_IDNO;
    return buttons == VU_MB_YESNOCANCEL ? VU_IDCANCEL : VU_IDOK;
  }
}

bool QtPlatform::GetOpenFileName(vuFileDialog& dialog) {
  if (dialog.selectFolder) return ChooseFolder(dialog);
  OpenImageDialog box(dialog, DialogOwner(dialog.owner));
  bool chosen = box.exec() == QDialog::Accepted && !box.selectedFiles().isEmpty();
  dialog.filterIndex = box.FilterIndex();
  if (!chosen) return false;
  dialog.path = QFile::encodeName(box.selectedFiles().first()).toStdString();
  dialog.extensionOffset = vuFileExtensionOffset(dialog.path);
  return true;
}

bool QtPlatform::GetSaveFileName(vuFileDialog& dialog) {
  QFileDialog box(DialogOwner(dialog.owner), QString::fromStdString(dialog.title));
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  box.setOption(QFileDialog::DontConfirmOverwrite, !dialog.promptOverwrite);
  box.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.selectFolder) {
    box.setFileMode(QFileDialog::Directory);
    box.setOption(QFileDialog::ShowDirsOnly, true);
  }
  QStringList filters;
  for (const vuFileFilter& filter : dialog.filters)
    filters << QtNameFilter(filter);
  if (!filters.isEmpty()) {
    box.setNameFilters(filters);
    box.selectNameFilter(filters[std::clamp(dialog.filterIndex, 1, int(filters.size())) - 1]);
  }
  if (!dialog.initialFolder.empty()) box.setDirectory(QString::fromStdString(dialog.initialFolder));
  if (!dialog.initialName.empty()) box.selectFile(QString::fromStdString(dialog.initialName));
  bool chosen = box.exec() == QDialog::Accepted && !box.selectedFiles().isEmpty();
  int index = int(filters.indexOf(box.selectedNameFilter()));
  dialog.filterIndex = index < 0 ? 1 : index + 1;
  if (!chosen) return false;
  dialog.path = QFile::encodeName(box.selectedFiles().first()).toStdString();
  dialog.extensionOffset = vuFileExtensionOffset(dialog.path);
  return true;
}

std::unique_ptr<vuDeviceContext> QtPlatform::PrintDlg(const vuPrintDialog& dialog) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setCopyCount(dialog.copies);
  QPrintDialog box(printer.get(), DialogOwner(dialog.owner));
  box.setOption(QAbstractPrintDialog::PrintPageRange, dialog.pageNumbers);
  box.setOption(QAbstractPrintDialog::PrintSelection, dialog.selection);
  box.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  if (box.exec() != QDialog::Accepted) return nullptr;
  return std::make_unique<QtPrinterContext>(printer.release(), true);
}

std::unique_ptr<vuDeviceContext> QtPlatform::CreatePrinterDC(const std::string& driver,
                                                             const std::string& device,
                                                             const std::string& port) {
  (void)driver;
  (void)port;
  QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(device));
  if (info.isNull()) return nullptr;
  return std::make_unique<QtPrinterContext>(new QPrinter(info, QPrinter::HighResolution), true);
}

std::string QtPlatform::GetProfileString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) {
  // The default printer is the one entry of the system profile the program reads.
  if (QString::fromStdString(section).compare("windows", Qt::CaseInsensitive) == 0 &&
      QString::fromStdString(key).compare("device", Qt::CaseInsensitive) == 0) {
    QString name = QPrinterInfo::defaultPrinterName();
    if (!name.isEmpty()) return (name + ",qt,local").toStdString();
  }
  return defaultValue;
}

vuJpegSaveOptions* QtPlatform::AskJpegSaveOptions() {
  JpegSaveOptionsDialog dialog(DialogOwner(nullptr));
  return dialog.Ask();
}

vuWifSaveOptions* QtPlatform::AskWifSaveOptions(const vuImage& image, int enableViewAfter) {
  bool sixteenBit = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
  // The slider starts at the bits the picture really has: fewer would cut its brighter samples.
  int bits = image.sampleBits >= 8 && image.sampleBits <= 16 ? image.sampleBits : 16;
  WifSaveOptionsDialog dialog(sixteenBit, enableViewAfter != 0,
                              preferences ? preferences->defaultQuality : 50, bits,
                              DialogOwner(nullptr));
  return dialog.Ask();
}
