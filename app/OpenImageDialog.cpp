#include "app/OpenImageDialog.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "imagelib/vuBitmapRender.h"
#include "imagelib/vuImageOwner.h"

namespace {
const QSize kPreviewBox(160, 120);
const char* const kFieldNames[] = {"Width",           "Height",    "Bits Per Pixel",
                                   "Raw Bitmap Size", "File Size", "Compression Ratio"};
} // namespace

std::vector<vuFileFilter> OpenDialogFilters() {
  // Patterns match without regard to case. Besides the historic three-letter forms, the lists
  // carry the long extensions (.jpeg, .tiff) and PNG, which files on this system use too; "All
  // Files" is "*", since "*.*" would hide names without a dot.
  return {
      {"All Image Formats",
       "*.WIF;*.VUW;*.BMP;*.TGA;*.TIF;*.TIFF;*.PNG;*.PCX;*.PGM;*.PPM;*.JPG;*.JPE;*.JPEG;*.GIF"},
      {"VU Wavelet Image File (WIF,VUW)", "*.WIF;*.VUW"},
      {"Windows Bitmap (BMP)", "*.bmp"},
      {"PC Paintbrush File (PCX)", "*.pcx"},
      {"Portable Pixel Map (PPM)", "*.ppm"},
      {"Portable Grey Map (PGM)", "*.pgm"},
      {"Targa (TGA)", "*.tga"},
      {"TIFF (TIF)", "*.tif;*.tiff"},
      {"Portable Network Graphics (PNG)", "*.png"},
      {"JPEG (JPG)", "*.JPG;*.JPE;*.JPEG"},
      {"Graphics Interchange Format (GIF)", "*.gif"},
      {"All Files *.*", "*"},
  };
}

QString QtNameFilter(const vuFileFilter& filter) {
  QString patterns = QString::fromStdString(filter.patterns);
  patterns.replace(';', ' ');
  return QString("%1 (%2)").arg(QString::fromStdString(filter.description), patterns);
}

QString ImageFacts::Ratio() const {
  if (fileSize <= 0) return QString();
  return QString::asprintf("%.2f:1", double(rawSize) / double(fileSize));
}

QImage RenderPicture(vuImage& image, QSize box) {
  if (!image.header || box.isEmpty()) return QImage();
  if ((image.format == BM_48BIT || image.format == BM_16BIT_GRAY) && !image.altHeader) {
    int significant = image.sampleBits > 8 ? image.sampleBits : 16;
    image.CreateAlt16bitImage(significant - 8, significant - 1);
  }
  bool alternate = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
  const vuBitmapInfoHeader* header = alternate ? image.altHeader : image.header;
  if (!header) return QImage();
  const vuRGBA* colors = alternate ? image.altPalette : image.palette;
  const uint8_t* rows = alternate ? image.altBits : image.bits;
  QSize size = QSize(header->width, header->height).scaled(box, Qt::KeepAspectRatio);
  size = size.expandedTo(QSize(1, 1));
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(Qt::white);
  vuPixelBuffer buffer{reinterpret_cast<uint32_t*>(picture.bits()), picture.width(),
                       picture.height(), int(picture.bytesPerLine() / 4)};
  vuRenderBitmap(*header, colors, rows, vuDrawRect{0, 0, header->width, header->height},
                 vuDrawRect{0, 0, size.width(), size.height()}, nullptr, buffer);
  return picture;
}

ImageFacts ExamineImageFile(const QString& path, bool decode, QSize previewBox) {
  ImageFacts facts;
  QFileInfo info(path);
  if (!info.isFile()) return facts;
  QByteArray name = QFile::encodeName(path);
  vuImageOwner image;
  facts.supported = image.GetFileType(name.constData()) > 0;
  if (!facts.supported || !decode) return facts;
  if (image.LoadImage(name.constData()) != 0 || !image.header) return facts;
  facts.loaded = true;
  facts.width = image.Width();
  facts.height = image.Height();
  facts.bitsPerPixel = image.Depth();
  facts.rawSize = qint64(image.Depth()) * image.Width() * image.Height() / 8;
  facts.fileSize = info.size();
  facts.picture = RenderPicture(image, previewBox);
  return facts;
}

OpenImageDialog::OpenImageDialog(const vuFileDialog& request, QWidget* parent)
    : QFileDialog(parent), previewEnabled_(request.preview) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::ReadOnly, true);
  setWindowTitle(QString::fromStdString(request.title));
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  for (const vuFileFilter& filter : request.filters)
    nameFilters_ << QtNameFilter(filter);
  setNameFilters(nameFilters_);
  if (!nameFilters_.isEmpty()) {
    int index = std::clamp(request.filterIndex, 1, int(nameFilters_.size()));
    selectNameFilter(nameFilters_[index - 1]);
  }
  if (!request.initialFolder.empty()) setDirectory(QString::fromStdString(request.initialFolder));
  if (!request.initialName.empty()) selectFile(QString::fromStdString(request.initialName));

  // The status panel beside the file list.
  auto* panel = new QGroupBox("File Status", this);
  panel->setObjectName("FileStatus");
  auto* column = new QVBoxLayout(panel);
  status_ = new QLabel(panel);
  status_->setObjectName("Status");
  column->addWidget(status_);
  previewPanel_ = new QWidget(panel);
  auto* form = new QFormLayout(previewPanel_);
  form->setContentsMargins(0, 0, 0, 0);
  picture_ = new QLabel(previewPanel_);
  picture_->setFixedSize(kPreviewBox);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  form->addRow(picture_);
  for (const char* name : kFieldNames) {
    auto* value = new QLabel(previewPanel_);
    value->setObjectName(name);
    form->addRow(QString(name), value);
  }
  disablePreview_ = new QPushButton("Disable Preview", previewPanel_);
  connect(disablePreview_, &QPushButton::clicked, this, &OpenImageDialog::DisablePreview);
  form->addRow(disablePreview_);
  column->addWidget(previewPanel_);
  column->addStretch(1);
  previewPanel_->setVisible(previewEnabled_);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);

  connect(this, &QFileDialog::currentChanged, this, &OpenImageDialog::ShowFile);
}

int OpenImageDialog::FilterIndex() const {
  int index = int(nameFilters_.indexOf(selectedNameFilter()));
  return index < 0 ? 1 : index + 1;
}

QString OpenImageDialog::StatusText() const {
  return status_->text();
}

QLabel* OpenImageDialog::Field(const QString& name) const {
  return previewPanel_->findChild<QLabel*>(name);
}

void OpenImageDialog::ShowFile(const QString& path) {
  ImageFacts facts = ExamineImageFile(path, previewEnabled_, kPreviewBox);
  status_->setText(facts.supported ? "Supported Image" : "Unsupported or Invalid Image");
  if (!previewEnabled_) return;
  previewPicture_ = facts.picture;
  picture_->setPixmap(QPixmap::fromImage(previewPicture_));
  auto number = [&](qint64 value) { return facts.loaded ? QString::number(value) : QString(); };
  Field("Width")->setText(number(facts.width));
  Field("Height")->setText(number(facts.height));
  Field("Bits Per Pixel")->setText(number(facts.bitsPerPixel));
  Field("Raw Bitmap Size")->setText(number(facts.rawSize));
  Field("File Size")->setText(number(facts.fileSize));
  Field("Compression Ratio")->setText(facts.loaded ? facts.Ratio() : QString());
}

void OpenImageDialog::DisablePreview() {
  previewEnabled_ = false;
  previewPicture_ = QImage();
  previewPanel_->setVisible(false);
}
