#include "app/BatchIcons.h"

#include <QPainter>
#include <QPixmap>
#include <functional>

#include "app/BatchModel.h"

namespace {
constexpr int kSize = 20;

QIcon Paint(const std::function<void(QPainter&)>& draw) {
  QPixmap picture(kSize, kSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter);
  painter.end();
  return QIcon(picture);
}

void Folder(QPainter& painter) {
  painter.setPen(QPen(QColor(140, 100, 20), 1));
  painter.setBrush(QColor(235, 190, 80));
  painter.drawPolygon(QPolygonF() << QPointF(1.5, 4.5) << QPointF(7.5, 4.5) << QPointF(9.5, 6.5)
                                  << QPointF(18.5, 6.5) << QPointF(18.5, 16.5)
                                  << QPointF(1.5, 16.5));
  painter.setBrush(QColor(250, 215, 120));
  painter.drawRect(QRectF(1.5, 8.5, 17, 8));
}

void Arrow(QPainter& painter, QColor colour) {
  painter.setPen(QPen(colour, 2));
  painter.drawLine(QPointF(10, 15), QPointF(10, 8));
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(QPolygonF() << QPointF(10, 3) << QPointF(5.5, 9) << QPointF(14.5, 9));
}

// A drive box with a mark that tells its kind.
void Drive(QPainter& painter, int type) {
  if (type == BATCH_DRIVE_OPTICAL) {
    painter.setPen(QPen(QColor(90, 90, 110), 1));
    painter.setBrush(QColor(215, 220, 235));
    painter.drawEllipse(QRectF(1.5, 1.5, 17, 17));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(7.5, 7.5, 5, 5));
    return;
  }
  QColor body = type == BATCH_DRIVE_RAM ? QColor(60, 140, 70) : QColor(150, 150, 160);
  painter.setPen(QPen(QColor(60, 60, 70), 1));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(1.5, 6.5, 17, 8), 2, 2);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(80, 220, 80));
  painter.drawRect(QRectF(14, 10, 2, 2)); // the activity light
  painter.setPen(QPen(QColor(40, 40, 50), 1));
  switch (type) {
  case BATCH_DRIVE_REMOVABLE: // a slot for the medium
    painter.drawLine(QPointF(4, 10.5), QPointF(11, 10.5));
    break;
  case BATCH_DRIVE_REMOTE: // a network cable under the box
    painter.setPen(QPen(QColor(30, 70, 160), 1.5));
    painter.drawLine(QPointF(10, 15), QPointF(10, 19));
    painter.drawLine(QPointF(4, 19), QPointF(16, 19));
    break;
  case BATCH_DRIVE_RAM: // memory chip pins
    for (int x = 4; x <= 16; x += 3)
      painter.drawLine(QPointF(x, 15), QPointF(x, 17.5));
    break;
  case BATCH_DRIVE_UNKNOWN:
  case 1:
    painter.drawText(QRectF(1, 6, 12, 9), Qt::AlignCenter, "?");
    break;
  default:
    break;
  }
}

// A page with a folded corner, a coloured band and the format's letters.
void ImageFile(QPainter& painter, const QString& letters, QColor band) {
  painter.setPen(QPen(QColor(70, 70, 70), 1));
  painter.setBrush(Qt::white);
  painter.drawPolygon(QPolygonF() << QPointF(3.5, 0.5) << QPointF(12.5, 0.5) << QPointF(16.5, 4.5)
                                  << QPointF(16.5, 19.5) << QPointF(3.5, 19.5));
  painter.drawPolyline(QPolygonF()
                       << QPointF(12.5, 0.5) << QPointF(12.5, 4.5) << QPointF(16.5, 4.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(band);
  painter.drawRect(QRectF(0, 9, 20, 8));
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(7);
  font.setStretch(letters.size() > 3 ? QFont::Condensed : QFont::Unstretched);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 9, 20, 8), Qt::AlignCenter, letters);
}

void Check(QPainter& painter) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(30, 150, 50));
  painter.drawEllipse(QRectF(1, 1, 18, 18));
  painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QPolygonF() << QPointF(5.5, 10) << QPointF(8.5, 13.5) << QPointF(14.5, 6));
}

void Cross(QPainter& painter) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 40, 40));
  painter.drawEllipse(QRectF(1, 1, 18, 18));
  painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(6.5, 6.5), QPointF(13.5, 13.5));
  painter.drawLine(QPointF(13.5, 6.5), QPointF(6.5, 13.5));
}

void Hourglass(QPainter& painter) {
  painter.setPen(QPen(QColor(90, 90, 90), 1.5));
  painter.drawLine(QPointF(5, 2.5), QPointF(15, 2.5));
  painter.drawLine(QPointF(5, 17.5), QPointF(15, 17.5));
  painter.setBrush(QColor(225, 225, 225));
  painter.drawPolygon(QPolygonF() << QPointF(6, 3) << QPointF(14, 3) << QPointF(6, 17)
                                  << QPointF(14, 17));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 170, 90));
  painter.drawPolygon(QPolygonF() << QPointF(7.5, 16.5) << QPointF(12.5, 16.5) << QPointF(10, 12));
}

// Two arrows chasing each other: the file is being read or written.
void Working(QPainter& painter) {
  QColor blue(30, 90, 190);
  painter.setPen(QPen(blue, 2.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 140 * 16);
  painter.drawArc(QRectF(3, 3, 14, 14), 210 * 16, 140 * 16);
  painter.setPen(Qt::NoPen);
  painter.setBrush(blue);
  painter.drawPolygon(QPolygonF() << QPointF(2, 6) << QPointF(7, 6) << QPointF(3.5, 11));
  painter.drawPolygon(QPolygonF() << QPointF(18, 14) << QPointF(13, 14) << QPointF(16.5, 9));
}

// Three colour squares turning into grey: the pixel format is being changed.
void Converting(QPainter& painter) {
  painter.setPen(QPen(QColor(60, 60, 60), 1));
  const QColor colours[] = {QColor(220, 50, 50), QColor(50, 170, 60), QColor(50, 90, 210),
                            QColor(110, 110, 110)};
  for (int i = 0; i < 4; ++i) {
    painter.setBrush(colours[i]);
    painter.drawRect(QRectF(1.5 + (i % 2) * 9, 1.5 + (i / 2) * 9, 8, 8));
  }
}
} // namespace

QIcon BatchFolderIconImage(int icon) {
  switch (icon) {
  case BATCH_ICON_FOLDER:
    return Paint(Folder);
  case BATCH_ICON_PARENT:
    return Paint([](QPainter& painter) {
      Folder(painter);
      Arrow(painter, QColor(20, 60, 150));
    });
  case BATCH_ICON_BMP:
    return Paint([](QPainter& p) { ImageFile(p, "BMP", QColor(30, 110, 200)); });
  case BATCH_ICON_GIF:
    return Paint([](QPainter& p) { ImageFile(p, "GIF", QColor(140, 60, 170)); });
  case BATCH_ICON_JPEG:
    return Paint([](QPainter& p) { ImageFile(p, "JPG", QColor(210, 110, 20)); });
  case BATCH_ICON_PCX:
    return Paint([](QPainter& p) { ImageFile(p, "PCX", QColor(120, 120, 40)); });
  case BATCH_ICON_PGM:
    return Paint([](QPainter& p) { ImageFile(p, "PGM", QColor(100, 100, 100)); });
  case BATCH_ICON_PPM:
    return Paint([](QPainter& p) { ImageFile(p, "PPM", QColor(190, 40, 90)); });
  case BATCH_ICON_TARGA:
    return Paint([](QPainter& p) { ImageFile(p, "TGA", QColor(20, 140, 130)); });
  case BATCH_ICON_TIFF:
    return Paint([](QPainter& p) { ImageFile(p, "TIFF", QColor(70, 70, 160)); });
  case BATCH_ICON_WIF:
    return Paint([](QPainter& p) { ImageFile(p, "WIF", QColor(20, 60, 150)); });
  case BATCH_ICON_PNG:
    return Paint([](QPainter& p) { ImageFile(p, "PNG", QColor(40, 150, 60)); });
  default:
    if (icon >= BATCH_ICON_DRIVE_FIRST && icon <= BATCH_ICON_DRIVE_LAST)
      return Paint([icon](QPainter& p) { Drive(p, icon - BATCH_ICON_DRIVE_FIRST); });
    return QIcon();
  }
}

QIcon BatchStateIconImage(int state, bool failed) {
  if (failed) return Paint(Cross);
  switch (state) {
  case BATCH_WAITING:
    return Paint(Hourglass);
  case BATCH_WORKING:
    return Paint(Working);
  case BATCH_SAVED:
    return Paint(Check);
  case BATCH_CONVERTING:
    return Paint(Converting);
  default:
    return QIcon();
  }
}

QIcon BatchInfoButtonImage() {
  return Paint([](QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 60, 150));
    painter.drawEllipse(QRectF(1, 1, 18, 18));
    QFont font = painter.font();
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, "i");
  });
}

QIcon BatchUpFolderButtonImage() {
  return BatchFolderIconImage(BATCH_ICON_PARENT);
}
