#include "desktop/qt/WifImageHandler.h"

#include <QByteArray>
#include <QIODevice>
#include <QSize>

#include <cmath>
#include <cstring>
#include <vector>

#include "codec/vuWifRW.h"
#include "desktop/WifMemory.h"
#include "imagelib/vuImageOwner.h"

namespace {

// Enough for the header of any file: the WIF2 header is 40 bytes, an older file's header and
// comment are short.
constexpr qint64 kHeaderPeekBytes = 64 * 1024;

uint16_t Scale16(unsigned sample, int sampleBits) {
  if (sampleBits < 8 || sampleBits > 16) sampleBits = 16;
  const unsigned top = (1u << sampleBits) - 1;
  if (sample > top) sample = top;
  return static_cast<uint16_t>((sample * 65535u + top / 2) / top);
}

unsigned Little16(const uint8_t* p) {
  return p[0] | p[1] << 8;
}

} // namespace

int WifQualityFromQt(int qtQuality) {
  if (qtQuality < 0) return vuWifSaveOptions().quality;
  if (qtQuality > 100) qtQuality = 100;
  return 1 + static_cast<int>(std::lround(254.0 * (100 - qtQuality) / 100.0));
}

bool WifImageHandler::canRead(QIODevice* device) {
  if (!device) return false;
  const QByteArray head = device->peek(4);
  return vuLooksLikeWif(reinterpret_cast<const uint8_t*>(head.constData()),
                        static_cast<size_t>(head.size()));
}

bool WifImageHandler::canRead() const {
  if (!canRead(device())) return false;
  setFormat("wif");
  return true;
}

bool WifImageHandler::read(QImage* image) {
  if (!image || !device()) return false;
  const QByteArray bytes = device()->readAll();
  vuImageOwner decoded;
  if (vuLoadWifFromMemory(&decoded, reinterpret_cast<const uint8_t*>(bytes.constData()),
                          static_cast<size_t>(bytes.size())) != 0)
    return false;
  QImage result = WifToQImage(decoded);
  if (result.isNull()) return false;
  *image = std::move(result);
  return true;
}

bool WifImageHandler::write(const QImage& image) {
  if (!device()) return false;
  vuImageOwner source;
  if (!QImageToWif(image, &source)) return false;
  vuWifSaveOptions options;
  options.quality = WifQualityFromQt(quality_);
  std::vector<uint8_t> bytes;
  if (vuWifEncodeImage(source, options, &bytes) != 0) return false;
  return device()->write(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

QVariant WifImageHandler::option(ImageOption option) const {
  if (option == Quality) return quality_;
  if (option != Size && option != ImageFormat) return {};
  if (!device() || device()->isSequential()) return {};
  const QByteArray head = device()->peek(kHeaderPeekBytes);
  vuFileInfo info;
  if (vuWifInfoFromMemory(reinterpret_cast<const uint8_t*>(head.constData()),
                          static_cast<size_t>(head.size()), &info) != 0)
    return {};
  if (option == Size) return QSize(info.width, info.height);
  switch (info.bitsPerPixel) {
  case 8:
    return QImage::Format_Grayscale8;
  case 16:
    return QImage::Format_Grayscale16;
  case 48:
    return QImage::Format_RGBX64;
  default:
    return QImage::Format_RGB888;
  }
}

void WifImageHandler::setOption(ImageOption option, const QVariant& value) {
  if (option == Quality) quality_ = value.toInt();
}

bool WifImageHandler::supportsOption(ImageOption option) const {
  return option == Size || option == ImageFormat || option == Quality;
}

QImage WifToQImage(const vuImage& image) {
  if (!image.header || !image.bits) return {};
  const int width = image.Width();
  const int height = image.Height();
  QImage::Format format = QImage::Format_RGB888;
  if (image.format == BM_8BIT_GRAY) format = QImage::Format_Grayscale8;
  if (image.format == BM_16BIT_GRAY) format = QImage::Format_Grayscale16;
  if (image.format == BM_48BIT) format = QImage::Format_RGBX64;
  QImage result(width, height, format);
  if (result.isNull()) return {};
  if (format == QImage::Format_RGB888) {
    vuPlainPixels plain;
    if (!vuToPlainPixels(image, &plain)) return {};
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int line = 0; line < height; ++line)
      std::memcpy(result.scanLine(line), plain.samples.data() + line * rowBytes, rowBytes);
    return result;
  }
  for (int line = 0; line < height; ++line) {
    const uint8_t* src = image.Row(height - 1 - line);
    uchar* dst = result.scanLine(line);
    if (format == QImage::Format_Grayscale8) {
      std::memcpy(dst, src, static_cast<size_t>(width));
    } else if (format == QImage::Format_Grayscale16) {
      auto* out = reinterpret_cast<uint16_t*>(dst);
      for (int x = 0; x < width; ++x)
        out[x] = Scale16(Little16(src + 2 * x), image.sampleBits);
    } else {
      // RGBX64: red, green, blue, 0xffff in native 16-bit words; the file holds blue first.
      auto* out = reinterpret_cast<uint16_t*>(dst);
      for (int x = 0; x < width; ++x) {
        out[4 * x] = Scale16(Little16(src + 6 * x + 4), image.sampleBits);
        out[4 * x + 1] = Scale16(Little16(src + 6 * x + 2), image.sampleBits);
        out[4 * x + 2] = Scale16(Little16(src + 6 * x), image.sampleBits);
        out[4 * x + 3] = 0xffff;
      }
    }
  }
  return result;
}

bool QImageToWif(const QImage& source, vuImage* image) {
  if (source.isNull() || !image) return false;
  const int width = source.width();
  const int height = source.height();
  const QPixelFormat pixel = source.pixelFormat();
  const bool grey = source.isGrayscale();
  const bool deep = pixel.redSize() > 8 || pixel.blueSize() > 8 || source.depth() > 32 ||
                    source.format() == QImage::Format_Grayscale16;
  QImage converted;
  if (grey && deep) {
    converted = source.convertToFormat(QImage::Format_Grayscale16);
    image->AllocateBitmap(width, height, 256, BM_16BIT_GRAY);
  } else if (grey) {
    converted = source.convertToFormat(QImage::Format_Grayscale8);
    image->AllocateBitmap(width, height, 256, BM_8BIT_GRAY);
  } else if (deep) {
    converted = source.convertToFormat(QImage::Format_RGBX64);
    image->AllocateBitmap(width, height, 0, BM_48BIT);
  } else {
    converted = source.convertToFormat(QImage::Format_RGB888);
    image->AllocateBitmap(width, height, 0, BM_24BIT);
  }
  if (converted.isNull() || !image->header) {
    image->Delete();
    return false;
  }
  if (image->format == BM_16BIT_GRAY || image->format == BM_48BIT) image->sampleBits = 16;
  for (int line = 0; line < height; ++line) {
    const uchar* src = converted.constScanLine(line);
    uint8_t* dst = image->Row(height - 1 - line);
    switch (image->format) {
    case BM_8BIT_GRAY:
      std::memcpy(dst, src, static_cast<size_t>(width));
      break;
    case BM_16BIT_GRAY: {
      const auto* in = reinterpret_cast<const uint16_t*>(src);
      for (int x = 0; x < width; ++x) {
        dst[2 * x] = static_cast<uint8_t>(in[x]);
        dst[2 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
      }
      break;
    }
    case BM_48BIT: {
      const auto* in = reinterpret_cast<const uint16_t*>(src);
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) {
          // Blue first in the image, red first in the QImage.
          const uint16_t value = in[4 * x + 2 - c];
          dst[6 * x + 2 * c] = static_cast<uint8_t>(value);
          dst[6 * x + 2 * c + 1] = static_cast<uint8_t>(value >> 8);
        }
      break;
    }
    default:
      for (int x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
    }
  }
  return true;
}
