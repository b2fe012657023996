// The program's open dialog: every image format the program reads, a status panel that says
// whether the selected file is an image the program knows, and (when asked) a preview of it.
#pragma once

#include <QFileDialog>
#include <QImage>
#include <vector>

#include "imagelib/vuPlatform.h"

class QLabel;
class QPushButton;
class vuImage;

// The open dialog's filters, in order.
std::vector<vuFileFilter> OpenDialogFilters();
// A filter as Qt writes it: "Description (*.A *.B)".
QString QtNameFilter(const vuFileFilter& filter);

// The facts the preview shows about a file.
struct ImageFacts {
  bool supported = false; // the file's signature names a format the program reads
  bool loaded = false;    // it decoded, so the fields below are known
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  qint64 rawSize = 0;
  qint64 fileSize = 0;
  QImage picture; // scaled into the preview box
  QString Ratio() const;
};
// Reads a file for the status panel; with `decode` also its picture and sizes.
ImageFacts ExamineImageFile(const QString& path, bool decode, QSize previewBox);
// Draws an image (its 8-bit copy for 16-bit samples) scaled to fit a box, keeping its shape.
QImage RenderPicture(vuImage& image, QSize box);

class OpenImageDialog : public QFileDialog {
  Q_OBJECT
public:
  OpenImageDialog(const vuFileDialog& request, QWidget* parent = nullptr);

  // The filter shown (1-based), as it is now.
  int FilterIndex() const;
  // What the status panel shows for the current selection.
  QString StatusText() const;
  bool PreviewEnabled() const { return previewEnabled_; }
  QLabel* Field(const QString& name) const;
  const QImage& PreviewPicture() const { return previewPicture_; }
  // Shows a file in the status panel (and the preview), as a change of selection does.
  void ShowFile(const QString& path);

private:
  void DisablePreview();

  QStringList nameFilters_;
  QLabel* status_ = nullptr;
  QLabel* picture_ = nullptr;
  QWidget* previewPanel_ = nullptr;
  QPushButton* disablePreview_ = nullptr;
  QImage previewPicture_;
  bool previewEnabled_ = false;
};
