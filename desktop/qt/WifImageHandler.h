// Reading and writing WIF files for every Qt program (QImageReader, QImageWriter): both file
// generations are read, WIF2 is written.
//
// Quality: Qt's scale runs from 0 (smallest file) to 100 (best picture), the WIF scale from 1
// (finest) to 255 (coarsest). A Qt quality q becomes the WIF quality 1 + round(254 x (100 - q) /
// 100): 100 -> 1, 80 -> 52, 50 -> 128, 0 -> 255. Without a quality (-1) the WIF default, 50, is
// used, as vuconvert does.
#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QVariant>

class QIODevice;

class WifImageHandler : public QImageIOHandler {
public:
  WifImageHandler() = default;

  bool canRead() const override;
  bool read(QImage* image) override;
  bool write(const QImage& image) override;
  QVariant option(ImageOption option) const override;
  void setOption(ImageOption option, const QVariant& value) override;
  bool supportsOption(ImageOption option) const override;

  // True when the device's next bytes start a WIF file (the device position is unchanged).
  static bool canRead(QIODevice* device);

private:
  int quality_ = -1;
};

// The WIF quality for a Qt quality (see above).
int WifQualityFromQt(int qtQuality);

class vuImage;
// A decoded image as a QImage: 8-bit grey as Grayscale8, 16-bit grey as Grayscale16 and 48-bit
// colour as RGBX64 (samples scaled from their significant bits to the full 16 bits), everything
// else as RGB888. A null QImage when the image is empty or memory is short.
QImage WifToQImage(const vuImage& image);
// The picture a QImage holds as an image the WIF writer takes: grey stays grey, 16-bit channels
// stay 16-bit (16 significant bits), everything else becomes 24-bit colour (alpha is dropped).
// False when the QImage is null or memory is short.
bool QImageToWif(const QImage& source, vuImage* image);
