// The view with real mouse and key events: frame sizing, rubber-band zoom, the resets, arrow
// keys and crops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>

#include "AppTestSupport.h"
#include "app/CBackground.h"
#include "app/CChildFrame.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "imagelib/vuOSWinClass.h"

namespace {

using apptest::ImagePixels;
using apptest::Studio;

void Mouse(CTOVRAView* view, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  if (type == QEvent::MouseMove) held = Qt::LeftButton;
  QMouseEvent event(type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)),
                    type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &event);
}

void Drag(CTOVRAView* view, QPoint from, QPoint to) {
  Mouse(view, QEvent::MouseButtonPress, Qt::LeftButton, from);
  Mouse(view, QEvent::MouseMove, Qt::LeftButton, (from + to) / 2);
  Mouse(view, QEvent::MouseMove, Qt::LeftButton, to);
  Mouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, to);
  QApplication::processEvents();
}

void Key(CTOVRAView* view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(view, &event);
}

QMdiSubWindow* FrameOf(CTOVRAView* view) {
  return qobject_cast<QMdiSubWindow*>(view->parentWidget());
}

TEST(View, FrameFitsTheImageOrFillsTheArea) {
  Studio studio(24, 900, 700);
  CTOVRADoc* small = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(small, nullptr);
  // Fitted: the client area is the image plus four pixels.
  EXPECT_EQ(small->view->viewport()->size(), QSize(455, 304));

  std::string path = studio.Path("wide.ppm");
  apptest::WritePpm(path, 1200, 100, [](int x, int y) { return uint32_t(x ^ y); });
  CTOVRADoc* wide = studio.Open(path);
  ASSERT_NE(wide, nullptr);
  QMdiSubWindow* frame = FrameOf(wide->view);
  QSize client = studio.frame->MdiClientSize();
  EXPECT_EQ(frame->pos(), QPoint(0, 0));
  EXPECT_EQ(frame->width(), client.width() - 40);
}

TEST(View, DragZoomsToTheRectangleAndRightClickResets) {
  Studio studio;
  CTOVRADoc* document = studio.Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(document, nullptr);
  CTOVRAView* view = document->view;
  Drag(view, QPoint(64, 32), QPoint(192, 160)); // 128 pixels of a 512-wide image
  ZoomState& zoom = view->Zoom();
  EXPECT_FLOAT_EQ(zoom.zoom, 4.0f);
  EXPECT_EQ(zoom.totalWidth, 2048);
  EXPECT_EQ(zoom.zoomOriginX, 64);
  EXPECT_EQ(zoom.zoomOriginY, 32);
  EXPECT_EQ(view->horizontalScrollBar()->value(), 256);
  EXPECT_EQ(view->verticalScrollBar()->value(), 128);
  EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(studio.frame->Commands().IsChecked(ID_RESET_PAN_ZOOM));
  // Each image pixel from (64, 32) on is now a 4 x 4 block (checked at the blocks' middles).
  QImage grab = studio.Grab(view);
  std::vector<uint32_t> pixels = ImagePixels(*document->image);
  for (int row = 0; row < 10; ++row)
    for (int column = 0; column < 10; ++column)
      ASSERT_EQ(grab.pixel(4 * column + 2, 4 * row + 2) | 0xFF000000u,
                pixels[size_t(32 + row) * 512 + 64 + column])
          << column << "," << row;

  // Up shows rows further down: the position grows by ten.
  Key(view, Qt::Key_Up);
  EXPECT_EQ(view->verticalScrollBar()->value(), 138);
  Key(view, Qt::Key_Left);
  EXPECT_EQ(view->horizontalScrollBar()->value(), 246);
  // The keypad's arrows (Num Lock off) do nothing.
  Key(view, Qt::Key_Up, Qt::KeypadModifier);
  EXPECT_EQ(view->verticalScrollBar()->value(), 138);

  // A click without movement only marks the view zoomed.
  Drag(view, QPoint(10, 10), QPoint(10, 10));
  EXPECT_FLOAT_EQ(zoom.zoom, 4.0f);
  EXPECT_EQ(zoom.zoomed, 1);

  Mouse(view, QEvent::MouseButtonPress, Qt::RightButton, QPoint(5, 5));
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(zoom.zoom, 1.0f);
  EXPECT_EQ(zoom.zoomed, 0);
  EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
  EXPECT_EQ(view->viewport()->size(), QSize(512, 512));
  std::string why;
  EXPECT_TRUE(apptest::ShowsPixels(studio.Grab(view), pixels, 512, 512, &why)) << why;
}

TEST(View, ResetPanZoomCommandSizesTheFrameAgain) {
  Studio studio;
  CTOVRADoc* document = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(document, nullptr);
  CTOVRAView* view = document->view;
  Drag(view, QPoint(0, 0), QPoint(150, 100));
  ASSERT_GT(view->Zoom().zoom, 2.9f);
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_RESET_PAN_ZOOM));
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(view->Zoom().zoom, 1.0f);
  EXPECT_EQ(view->Zoom().zoomOriginX, 0);
  EXPECT_EQ(view->viewport()->size(), QSize(455, 304));
  EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
  EXPECT_FALSE(studio.frame->Commands().IsChecked(ID_RESET_PAN_ZOOM));
}

TEST(View, CropModeCutsTheSelectionOutAsANewImage) {
  Studio studio;
  std::string path = studio.Path("grid.ppm");
  auto colour = [](int x, int y) { return uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | 9u; };
  apptest::WritePpm(path, 100, 80, colour);
  CTOVRADoc* source = studio.Open(path);
  ASSERT_NE(source, nullptr);
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_MODE_CROP));
  // Dragged from the lower right to the upper left; the source stays unzoomed.
  Drag(source->view, QPoint(60, 50), QPoint(20, 10));
  EXPECT_FLOAT_EQ(source->view->Zoom().zoom, 1.0f);
  ASSERT_EQ(studio.app->documentCount, 2);
  CTOVRADoc* crop = studio.frame->ActiveDocument();
  ASSERT_NE(crop, source);
  ASSERT_EQ(crop->image->Width(), 40);
  ASSERT_EQ(crop->image->Height(), 40);
  std::vector<uint32_t> expected;
  for (int y = 10; y < 50; ++y)
    for (int x = 20; x < 60; ++x)
      expected.push_back(0xFF000000u | colour(x, y));
  EXPECT_EQ(ImagePixels(*crop->image), expected);
  EXPECT_EQ(crop->pathName, "Untitled");
}

TEST(View, ActivationMovesTheForeground) {
  Studio studio;
  CTOVRADoc* first = studio.Open(vutest::Sample("camera.pgm"));
  CTOVRADoc* second = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->view->foreground, 1);
  EXPECT_EQ(first->view->foreground, 0);
  Mouse(first->view, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(3, 3));
  Mouse(first->view, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(3, 3));
  EXPECT_EQ(studio.app->activeView, first->view);
  EXPECT_EQ(first->view->foreground, 1);
  EXPECT_EQ(second->view->foreground, 0);
}

} // namespace
