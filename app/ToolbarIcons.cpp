#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/CommandTable.h"

namespace {
constexpr int kSize = 24;

// A curved arrow around the centre, clockwise or not.
void RotateArrow(QPainter& painter, bool clockwise) {
  painter.setPen(QPen(QColor(20, 60, 150), 2.5));
  QRectF arc(5, 5, 14, 14);
  painter.drawArc(arc, clockwise ? 200 * 16 : -20 * 16, clockwise ? -250 * 16 : 250 * 16);
  QPolygonF head;
  if (clockwise)
    head << QPointF(18, 4) << QPointF(21, 11) << QPointF(14, 10);
  else
    head << QPointF(6, 4) << QPointF(3, 11) << QPointF(10, 10);
  painter.setBrush(QColor(20, 60, 150));
  painter.setPen(Qt::NoPen);
  painter.drawPolygon(head);
}

// A triangle and its mirror image across the middle line.
void FlipPicture(QPainter& painter, bool vertical) {
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  if (vertical)
    painter.drawLine(2, 12, 22, 12);
  else
    painter.drawLine(12, 2, 12, 22);
  painter.setPen(Qt::NoPen);
  QPolygonF solid, mirror;
  if (vertical) {
    solid << QPointF(4, 10) << QPointF(20, 10) << QPointF(12, 2);
    mirror << QPointF(4, 14) << QPointF(20, 14) << QPointF(12, 22);
  } else {
    solid << QPointF(10, 4) << QPointF(10, 20) << QPointF(2, 12);
    mirror << QPointF(14, 4) << QPointF(14, 20) << QPointF(22, 12);
  }
  painter.setBrush(QColor(20, 60, 150));
  painter.drawPolygon(solid);
  painter.setBrush(QColor(150, 180, 230));
  painter.drawPolygon(mirror);
}

void Letters(QPainter& painter, const QString& text, QColor color) {
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(text.size() > 1 ? 10 : 15);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void Page(QPainter& painter) {
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(5.5, 2.5, 13, 19));
}

void Draw(QPainter& painter, int id) {
  switch (id) {
  case ID_FILE_OPEN:
    painter.setPen(QPen(QColor(120, 90, 20), 1));
    painter.setBrush(QColor(240, 200, 90));
    painter.drawRect(QRectF(2.5, 7.5, 19, 13));
    painter.setBrush(QColor(250, 225, 130));
    painter.drawPolygon(QPolygonF() << QPointF(5, 11) << QPointF(23, 11) << QPointF(20, 20.5)
                                    << QPointF(2.5, 20.5));
    break;
  case ID_APP_ABOUT:
    painter.setBrush(QColor(20, 60, 150));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 20, 20));
    Letters(painter, "?", Qt::white);
    break;
  case ID_FILE_SAVE_AS:
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(60, 80, 140));
    painter.drawRect(QRectF(3.5, 3.5, 17, 17));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(7.5, 3.5, 9, 6));
    painter.drawRect(QRectF(6.5, 13.5, 11, 7));
    break;
  case ID_COMPRESS:
    Page(painter);
    Letters(painter, "W", QColor(20, 60, 150));
    break;
  case ID_CONVERT:
    Page(painter);
    painter.setPen(QPen(QColor(20, 120, 40), 2));
    painter.drawLine(8, 9, 16, 9);
    painter.drawLine(13, 6, 16, 9);
    painter.drawLine(8, 15, 16, 15);
    painter.drawLine(11, 12, 8, 15);
    break;
  case ID_FILE_PRINT:
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(6.5, 2.5, 11, 8));
    painter.setBrush(QColor(170, 170, 170));
    painter.drawRect(QRectF(2.5, 9.5, 19, 8));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(6.5, 15.5, 11, 6));
    break;
  case ID_ROTATE_COUNTER_CLOCKWISE:
    RotateArrow(painter, false);
    break;
  case ID_ROTATE_CLOCKWISE:
    RotateArrow(painter, true);
    break;
  case ID_FLIP_VERTICAL:
    FlipPicture(painter, true);
    break;
  case ID_FLIP_HORIZONTAL:
    FlipPicture(painter, false);
    break;
  case ID_BRIGHTNESS_CONTRAST: {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(3, 3, 18, 18));
    painter.setBrush(Qt::black);
    QPainterPath half;
    half.moveTo(12, 3);
    half.arcTo(QRectF(3, 3, 18, 18), 90, 180);
    painter.drawPath(half);
    break;
  }
  case ID_INVERT: {
    QLinearGradient ramp(2, 0, 22, 0);
    ramp.setColorAt(0, Qt::black);
    ramp.setColorAt(1, Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(ramp);
    painter.drawRect(QRectF(2.5, 3.5, 19, 7));
    ramp.setColorAt(0, Qt::white);
    ramp.setColorAt(1, Qt::black);
    painter.setBrush(ramp);
    painter.drawRect(QRectF(2.5, 13.5, 19, 7));
    break;
  }
  case ID_SET_DISPLAY_BITS:
    Letters(painter, "16", QColor(20, 60, 150));
    break;
  case ID_MODE_SELECTION:
    painter.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
    painter.drawRect(QRectF(3.5, 5.5, 17, 13));
    break;
  case ID_MODE_CROP:
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(6, 2, 6, 18);
    painter.drawLine(6, 18, 22, 18);
    painter.drawLine(2, 6, 18, 6);
    painter.drawLine(18, 6, 18, 22);
    break;
  case ID_RESET_PAN_ZOOM:
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(150, 180, 230));
    painter.drawRect(QRectF(4.5, 4.5, 15, 15));
    Letters(painter, "1:1", Qt::black);
    break;
  case ID_ZOOM_NOTE:
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(3, 3, 12, 12));
    painter.drawLine(13, 13, 21, 21);
    break;
  case ID_PAN_NOTE:
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(12, 2, 12, 22);
    painter.drawLine(2, 12, 22, 12);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF() << QPointF(12, 1) << QPointF(9, 5) << QPointF(15, 5));
    painter.drawPolygon(QPolygonF() << QPointF(12, 23) << QPointF(9, 19) << QPointF(15, 19));
    painter.drawPolygon(QPolygonF() << QPointF(1, 12) << QPointF(5, 9) << QPointF(5, 15));
    painter.drawPolygon(QPolygonF() << QPointF(23, 12) << QPointF(19, 9) << QPointF(19, 15));
    break;
  default:
    break;
  }
}
} // namespace

QIcon CommandIcon(int id) {
  QPixmap picture(kSize, kSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, id);
  painter.end();
  return QIcon(picture);
}
