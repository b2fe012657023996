// Zoom, scroll and frame arithmetic of the view.
#include <gtest/gtest.h>

#include <Qt>

#include "app/ZoomState.h"

namespace {

TEST(ZoomState, RectangleZoomSetsScaleScrollSizeAndOrigin) {
  ZoomState zoom;
  zoom.SetScrollSizes(512, 400);
  zoom.BeginDrag(100, 40);
  zoom.DragTo(228, 140);
  EXPECT_TRUE(zoom.ZoomToRectangle(512, 400));
  EXPECT_FLOAT_EQ(zoom.zoom, 4.0f);
  EXPECT_EQ(zoom.totalWidth, 2048);
  EXPECT_EQ(zoom.totalHeight, 1600);
  EXPECT_EQ(zoom.scrollX, 400);
  EXPECT_EQ(zoom.scrollY, 160);
  EXPECT_EQ(zoom.zoomOriginX, 100);
  EXPECT_EQ(zoom.zoomOriginY, 40);
  EXPECT_EQ(zoom.zoomed, 1);
  EXPECT_EQ(zoom.dragging, 0);

  // A second drag is read at the new scale; the ratio is against the image width again and the
  // origin accumulates.
  zoom.BeginDrag(40, 20);
  zoom.DragTo(168, 100); // 32 image pixels wide
  EXPECT_TRUE(zoom.ZoomToRectangle(512, 400));
  EXPECT_FLOAT_EQ(zoom.zoom, 16.0f);
  EXPECT_EQ(zoom.zoomOriginX, 110);
  EXPECT_EQ(zoom.zoomOriginY, 45);
  EXPECT_EQ(zoom.scrollX, 110 * 16);
  EXPECT_EQ(zoom.scrollY, 45 * 16);
}

TEST(ZoomState, ClickOrThinDragOnlyMarksZoomed) {
  ZoomState zoom;
  zoom.SetScrollSizes(300, 200);
  zoom.BeginDrag(50, 60);
  EXPECT_FALSE(zoom.ZoomToRectangle(300, 200));
  EXPECT_EQ(zoom.zoomed, 1);
  EXPECT_FLOAT_EQ(zoom.zoom, 1.0f);
  EXPECT_EQ(zoom.scrollX, 0);
  // Less than one image pixel wide at scale 4.
  zoom.zoom = 4.0f;
  zoom.BeginDrag(40, 10);
  zoom.DragTo(42, 90);
  EXPECT_FALSE(zoom.ZoomToRectangle(300, 200));
  EXPECT_FLOAT_EQ(zoom.zoom, 4.0f);
}

TEST(ZoomState, BackwardDragIsNormalised) {
  ZoomState forward, backward;
  forward.SetScrollSizes(512, 512);
  backward.SetScrollSizes(512, 512);
  forward.BeginDrag(100, 40);
  forward.DragTo(228, 140);
  backward.BeginDrag(228, 140);
  backward.DragTo(100, 40);
  ASSERT_TRUE(forward.ZoomToRectangle(512, 512));
  ASSERT_TRUE(backward.ZoomToRectangle(512, 512));
  EXPECT_FLOAT_EQ(backward.zoom, 4.0f);
  EXPECT_EQ(backward.scrollX, forward.scrollX);
  EXPECT_EQ(backward.scrollY, forward.scrollY);
  EXPECT_EQ(backward.dragStartX, 100);
  EXPECT_EQ(backward.dragEndY, 140);
}

TEST(ZoomState, ZoomAfterScrollingStartsWhereTheUserLooks) {
  ZoomState zoom;
  zoom.SetScrollSizes(512, 512);
  zoom.BeginDrag(0, 0);
  zoom.DragTo(256, 256);
  ASSERT_TRUE(zoom.ZoomToRectangle(512, 512)); // scale 2, showing from (0, 0)
  zoom.ScrollTo(200, 100, 400, 400);           // the user scrolls to image (100, 50)
  zoom.BeginDrag(0, 0);
  zoom.DragTo(128, 128); // 64 image pixels from the visible corner
  ASSERT_TRUE(zoom.ZoomToRectangle(512, 512));
  EXPECT_FLOAT_EQ(zoom.zoom, 8.0f);
  EXPECT_EQ(zoom.zoomOriginX, 100);
  EXPECT_EQ(zoom.zoomOriginY, 50);
  EXPECT_EQ(zoom.scrollX, 800);
  EXPECT_EQ(zoom.scrollY, 400);
}

TEST(ZoomState, ResetsReturnToScaleOne) {
  ZoomState zoom;
  zoom.SetScrollSizes(512, 384);
  zoom.BeginDrag(0, 0);
  zoom.DragTo(128, 10);
  ASSERT_TRUE(zoom.ZoomToRectangle(512, 384));
  zoom.Reset(512, 384);
  EXPECT_EQ(zoom.zoomed, 0);
  EXPECT_FLOAT_EQ(zoom.zoom, 1.0f);
  EXPECT_EQ(zoom.zoomOriginX, 0);
  EXPECT_EQ(zoom.scrollX, 0);
  EXPECT_TRUE(zoom.scrollBarsHidden);
  EXPECT_EQ(zoom.totalWidth, 512);

  zoom.BeginDrag(0, 0);
  zoom.DragTo(256, 10);
  ASSERT_TRUE(zoom.ZoomToRectangle(512, 384));
  zoom.ResetPanZoom(512, 384);
  EXPECT_FLOAT_EQ(zoom.zoom, 1.0f);
  EXPECT_FALSE(zoom.scrollBarsHidden);
  EXPECT_EQ(zoom.rangeX, 511);
  EXPECT_EQ(zoom.rangeY, 383);
}

TEST(ZoomState, ArrowKeysStepTenPixelsWithUpGoingDown) {
  ZoomState zoom;
  zoom.SetScrollSizes(1000, 1000); // ranges 999: a 300-pixel page reaches 700
  zoom.ScrollTo(50, 50, 300, 300);
  EXPECT_TRUE(zoom.ArrowKey(Qt::Key_Up, 300, 300));
  EXPECT_EQ(zoom.scrollY, 60);
  EXPECT_TRUE(zoom.ArrowKey(Qt::Key_Down, 300, 300));
  EXPECT_TRUE(zoom.ArrowKey(Qt::Key_Down, 300, 300));
  EXPECT_EQ(zoom.scrollY, 40);
  EXPECT_TRUE(zoom.ArrowKey(Qt::Key_Right, 300, 300));
  EXPECT_EQ(zoom.scrollX, 60);
  EXPECT_TRUE(zoom.ArrowKey(Qt::Key_Left, 300, 300));
  EXPECT_EQ(zoom.scrollX, 50);
  EXPECT_FALSE(zoom.ArrowKey(Qt::Key_PageUp, 300, 300));
  // The position stays within what the page can reach.
  zoom.ScrollTo(5, 695, 300, 300);
  zoom.ArrowKey(Qt::Key_Left, 300, 300);
  zoom.ArrowKey(Qt::Key_Up, 300, 300);
  EXPECT_EQ(zoom.scrollX, 0);
  EXPECT_EQ(zoom.scrollY, 700);
}

TEST(FramePlacement, FitsOrFillsTheClientArea) {
  FramePlacement fits = ComputeFramePlacement(300, 200, 1000, 800, true);
  EXPECT_EQ(fits.width, 304);
  EXPECT_EQ(fits.height, 204);
  EXPECT_FALSE(fits.moveToOrigin);
  FramePlacement wide = ComputeFramePlacement(1200, 200, 1000, 800, true);
  EXPECT_EQ(wide.width, 960);
  EXPECT_EQ(wide.height, 204);
  EXPECT_TRUE(wide.moveToOrigin);
  EXPECT_EQ(ComputeFramePlacement(300, 900, 1000, 800, true).height, 730);
  EXPECT_EQ(ComputeFramePlacement(300, 900, 1000, 800, false).height, 750);
}

} // namespace
