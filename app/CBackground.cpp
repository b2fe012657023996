#include "app/CBackground.h"

#include <QMdiSubWindow>
#include <QPainter>

CBackground::CBackground(QWidget* parent)
    : QMdiArea(parent), picture_(":/vustudio/background.png") {
  setBackground(QColor(128, 128, 128));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QPoint CBackground::PictureOrigin(QSize client, QSize picture) {
  return QPoint((client.width() - picture.width()) / 2, (client.height() - picture.height()) / 2);
}

void CBackground::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  QSize client = viewport()->size();
  painter.fillRect(QRect(QPoint(0, 0), client), QColor(128, 128, 128));
  if (!picture_.isNull()) painter.drawImage(PictureOrigin(client, picture_.size()), picture_);
}

void CBackground::resizeEvent(QResizeEvent* event) {
  QMdiArea::resizeEvent(event);
  if (sizeMessages_ < 2) {
    ++sizeMessages_;
    return;
  }
  // The picture moves with the size: redraw the whole area and its windows now, so no stale
  // copy of it is left behind.
  viewport()->repaint();
  for (QMdiSubWindow* window : subWindowList())
    window->repaint();
}
