// The area behind the document windows: mid grey with the program's picture in the middle.
#pragma once

#include <QImage>
#include <QMdiArea>

class CBackground : public QMdiArea {
  Q_OBJECT
public:
  explicit CBackground(QWidget* parent = nullptr);

  const QImage& Picture() const { return picture_; }
  // Where the picture goes in a client area of the given size.
  static QPoint PictureOrigin(QSize client, QSize picture);
  // Size messages seen, counting up to 2: from the third on, every resize repaints at once.
  int SizeMessages() const { return sizeMessages_; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QImage picture_;
  int sizeMessages_ = 0;
};
