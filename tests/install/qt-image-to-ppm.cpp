// Reads an image through QImageReader (so through whatever image plug-ins Qt finds) and writes
// its pixels as a binary PPM with the header the converter writes. Prints the format and size the
// reader announced before decoding.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: qt-image-to-ppm IMAGE OUTPUT.ppm\n");
    return 2;
  }
  QImageReader reader(QString::fromLocal8Bit(argv[1]));
  const QSize announced = reader.size();
  std::printf("format %s size %dx%d\n", reader.format().constData(), announced.width(),
              announced.height());
  const QImage image = reader.read();
  if (image.isNull()) {
    std::fprintf(stderr, "qt-image-to-ppm: %s: %s\n", argv[1],
                 reader.errorString().toLocal8Bit().constData());
    return 1;
  }
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  QFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly)) return 1;
  out.write(QByteArray("P6 ") + QByteArray::number(rgb.width()) + " " +
            QByteArray::number(rgb.height()) + " 255\n");
  for (int y = 0; y < rgb.height(); ++y)
    out.write(reinterpret_cast<const char*>(rgb.constScanLine(y)), 3 * rgb.width());
  return out.error() == QFile::NoError ? 0 : 1;
}
