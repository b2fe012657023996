#include "app/Cursors.h"

#include <QPainter>
#include <QPixmap>

namespace {
QCursor Magnifier() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 4));
  painter.drawEllipse(QRectF(3, 3, 16, 16));
  painter.drawLine(QPointF(17, 17), QPointF(28, 28));
  painter.setPen(QPen(Qt::black, 2));
  painter.drawEllipse(QRectF(3, 3, 16, 16));
  painter.drawLine(QPointF(17, 17), QPointF(28, 28));
  painter.end();
  return QCursor(picture, 11, 11);
}
} // namespace

QCursor CursorForResource(int resource) {
  switch (resource) {
  case 167:
    return Magnifier();
  case 154:
    return QCursor(Qt::OpenHandCursor);
  default:
    return QCursor(Qt::CrossCursor);
  }
}
