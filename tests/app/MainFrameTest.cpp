// The main window's own behaviour: dropped files, the background, the about box and the print
// preview.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QUrl>

#include "AppTestSupport.h"
#include "app/CBackground.h"
#include "app/CTOVRADoc.h"

namespace {

using apptest::Studio;

TEST(MainFrame, DroppedFilesOpenAsDocuments) {
  Studio studio;
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString(vutest::Sample("camera.pgm"))),
                 QUrl::fromLocalFile(QString::fromStdString(vutest::Sample("chelsea.ppm")))});
  QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(studio.frame.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(300, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(studio.frame.get(), &drop);
  EXPECT_EQ(studio.app->documentCount, 2);
  EXPECT_EQ(studio.frame->ChildFrames().size(), 2u);
  EXPECT_TRUE(studio.app->RecentFiles()[0].endsWith("chelsea.ppm"));
  delete data;
}

TEST(MainFrame, BackgroundIsGreyWithThePictureInTheMiddle) {
  Studio studio;
  CBackground& background = studio.frame->Background();
  const QImage& picture = background.Picture();
  ASSERT_FALSE(picture.isNull());
  QSize client = background.viewport()->size();
  QPoint origin = CBackground::PictureOrigin(client, picture.size());
  EXPECT_EQ(origin, QPoint((client.width() - picture.width()) / 2,
                           (client.height() - picture.height()) / 2));
  QImage shown = background.viewport()->grab().toImage();
  EXPECT_EQ(shown.pixel(2, 2) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(shown.pixel(client.width() - 3, client.height() - 3) & 0xFFFFFF, 0x808080u);
  int differing = 0;
  for (int y = 0; y < picture.height(); y += 7)
    for (int x = 0; x < picture.width(); x += 7)
      differing += (shown.pixel(origin.x() + x, origin.y() + y) & 0xFFFFFF) !=
                   (picture.pixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
  // Resizes are counted up to two; every later one repaints at once.
  studio.frame->resize(studio.frame->size() + QSize(10, 10));
  studio.frame->resize(studio.frame->size() + QSize(10, 10));
  QApplication::processEvents();
  EXPECT_EQ(background.SizeMessages(), 2);
}

TEST(MainFrame, AboutBoxCarriesTheCaptionAndVersion) {
  Studio studio;
  QString title, text;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->findChild<QLabel*>("AboutText")->text();
    qobject_cast<QDialog*>(box)->accept();
  });
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_APP_ABOUT));
  EXPECT_EQ(title, "The Tessary V2.00b");
  EXPECT_TRUE(text.contains("2.00b")) << text.toStdString();
}

TEST(MainFrame, PrintPreviewShowsOnePage) {
  Studio studio;
  ASSERT_NE(studio.Open(vutest::Sample("chelsea.ppm")), nullptr);
  int pages = -1;
  QTimer::singleShot(0, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(preview, nullptr);
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(widget, nullptr);
    widget->updatePreview();
    pages = widget->pageCount();
    preview->reject();
  });
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT_PREVIEW));
  EXPECT_EQ(pages, 1);
}

} // namespace
