#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include "DesktopTestSupport.h"
#include "codec/vuWifRW.h"
#include "desktop/qt/WifImageHandler.h"
#include "support/Picture.h"

using namespace vutest;

namespace {

QByteArray ToQBytes(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
}

// Reads through the handler from an in-memory device, as QImageReader does with a plug-in.
QImage ReadThroughHandler(const QByteArray& bytes, bool* ok) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  WifImageHandler handler;
  handler.setDevice(&buffer);
  QImage image;
  *ok = handler.canRead() && handler.read(&image);
  return image;
}

QByteArray WriteThroughHandler(const QImage& image, int quality) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WifImageHandler handler;
  handler.setDevice(&buffer);
  if (quality >= 0) handler.setOption(QImageIOHandler::Quality, quality);
  if (!handler.write(image)) return {};
  return buffer.data();
}

} // namespace

TEST(WifQtQuality, QtScaleMapsOntoTheWifScale) {
  EXPECT_EQ(WifQualityFromQt(100), 1);
  EXPECT_EQ(WifQualityFromQt(80), 52);
  EXPECT_EQ(WifQualityFromQt(50), 128);
  EXPECT_EQ(WifQualityFromQt(0), 255);
  EXPECT_EQ(WifQualityFromQt(-1), 50); // no quality asked: the WIF default
  EXPECT_EQ(WifQualityFromQt(150), 1);
}

TEST(WifQtHandler, ReadsThePixelsOfTheFileReader) {
  TempDir dir;
  for (const std::string& path : {MakeWif(dir, "chelsea.ppm", "colour.wif", "-q 40"),
                                  MakeWif(dir, "camera.pgm", "grey.wif", "--tiles")}) {
    bool ok = false;
    const QImage image = ReadThroughHandler(ToQBytes(ReadFileBytes(path)), &ok);
    ASSERT_TRUE(ok) << path;
    vuImageOwner reference;
    ASSERT_EQ(reference.LoadImage(path.c_str()), 0);
    ASSERT_EQ(image.width(), reference.Width());
    ASSERT_EQ(image.height(), reference.Height());
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<uint8_t> got;
    for (int y = 0; y < rgb.height(); ++y)
      got.insert(got.end(), rgb.constScanLine(y), rgb.constScanLine(y) + 3 * rgb.width());
    EXPECT_EQ(got, RgbBytesTopDown(reference)) << path;
  }
}

TEST(WifQtHandler, WritesWhatTheConverterWritesAtTheMappedQuality) {
  TempDir dir;
  QImage source(QString::fromStdString(Sample("chelsea.ppm")));
  ASSERT_FALSE(source.isNull());
  const QByteArray written = WriteThroughHandler(source, 80);
  const std::string reference = MakeWif(dir, "chelsea.ppm", "q52.wif", "-q 52");
  EXPECT_EQ(written, ToQBytes(ReadFileBytes(reference)));
  // Grey pictures are written as grey files and read back as grey.
  const QImage grey(QString::fromStdString(Sample("camera.pgm")));
  bool ok = false;
  const QImage back = ReadThroughHandler(WriteThroughHandler(grey, -1), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(back.format(), QImage::Format_Grayscale8);
}

TEST(WifQtHandler, SixteenBitGreyKeepsItsDepth) {
  QImage deep(64, 48, QImage::Format_Grayscale16);
  for (int y = 0; y < deep.height(); ++y) {
    auto* row = reinterpret_cast<uint16_t*>(deep.scanLine(y));
    for (int x = 0; x < deep.width(); ++x)
      row[x] = static_cast<uint16_t>(x * 1000 + y * 37 + 11);
  }
  bool ok = false;
  const QImage back = ReadThroughHandler(WriteThroughHandler(deep, 100), &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(back.format(), QImage::Format_Grayscale16);
  int worst = 0;
  int64_t total = 0;
  for (int y = 0; y < deep.height(); ++y)
    for (int x = 0; x < deep.width(); ++x) {
      const int a = reinterpret_cast<const uint16_t*>(deep.constScanLine(y))[x];
      const int b = reinterpret_cast<const uint16_t*>(back.constScanLine(y))[x];
      worst = std::max(worst, std::abs(a - b));
      total += std::abs(a - b);
    }
  // Within one 8-bit step everywhere, and on average far below what keeping only 8 bits would
  // lose (64 of 16-bit units on average for these values).
  EXPECT_LT(worst, 257);
  EXPECT_LT(total / (deep.width() * deep.height()), 40);
}

TEST(WifQtHandler, SizeAndFormatComeFromTheHeaderAlone) {
  TempDir dir;
  const std::vector<uint8_t> wif = ReadFileBytes(MakeWif(dir, "chelsea.ppm", "colour.wif"));
  // Only the header is there: the size is known, the picture cannot be decoded.
  QBuffer buffer;
  buffer.setData(ToQBytes(std::vector<uint8_t>(wif.begin(), wif.begin() + 40)));
  buffer.open(QIODevice::ReadOnly);
  WifImageHandler handler;
  handler.setDevice(&buffer);
  EXPECT_EQ(handler.option(QImageIOHandler::Size).toSize(), QSize(451, 300));
  EXPECT_EQ(handler.option(QImageIOHandler::ImageFormat).value<QImage::Format>(),
            QImage::Format_RGB888);
  EXPECT_EQ(buffer.pos(), 0);
}

TEST(WifQtHandler, RefusesForeignAndBrokenData) {
  bool ok = true;
  const QImage png = ReadThroughHandler(QByteArray("\x89PNG\r\n\x1a\n0000", 12), &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(png.isNull());
  QByteArray broken("WIF2", 4);
  broken.append(36, '\0');
  ok = true;
  const QImage nothing = ReadThroughHandler(broken, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(nothing.isNull());
  // A null picture is not written.
  EXPECT_TRUE(WriteThroughHandler(QImage(), 50).isEmpty());
}
