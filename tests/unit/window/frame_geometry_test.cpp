#include "window/frame_geometry.h"

#include <gtest/gtest.h>

namespace tavilune {
namespace {

TEST(FrameGeometryTest, PicturePlusThicknessOnEverySide) {
  FrameLayout layout = LayOutFrame(200, 100, 3);
  EXPECT_EQ(layout.windowWidth, 206);
  EXPECT_EQ(layout.windowHeight, 106);
  EXPECT_EQ(layout.picture, (Rect{3, 3, 203, 103}));
  EXPECT_TRUE(layout.barsVisible);
  EXPECT_EQ(layout.top, (Rect{0, 0, 206, 3}));
  EXPECT_EQ(layout.bottom, (Rect{0, 103, 206, 106}));
  EXPECT_EQ(layout.left, (Rect{0, 3, 3, 103}));
  EXPECT_EQ(layout.right, (Rect{203, 3, 206, 103}));
}

TEST(FrameGeometryTest, NoFrameAndNegativeThicknessShowThePictureAlone) {
  for (int thickness : {0, -4}) {
    FrameLayout layout = LayOutFrame(200, 100, thickness);
    EXPECT_FALSE(layout.barsVisible);
    EXPECT_EQ(layout.windowWidth, 200);
    EXPECT_EQ(layout.windowHeight, 100);
    EXPECT_EQ(layout.picture, (Rect{0, 0, 200, 100}));
  }
}

TEST(FrameGeometryTest, OnePixelPictureInAFivePixelFrameIsAllFrameButTheCentre) {
  FrameLayout layout = LayOutFrame(1, 1, 5);
  EXPECT_EQ(layout.windowWidth, 11);
  EXPECT_EQ(layout.windowHeight, 11);
  EXPECT_EQ(layout.picture, (Rect{5, 5, 6, 6}));
  // Every pixel but the centre lies in a bar.
  int covered = 0;
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 11; ++x) {
      for (const Rect& bar : {layout.top, layout.bottom, layout.left, layout.right}) {
        if (x >= bar.left && x < bar.right && y >= bar.top && y < bar.bottom) {
          ++covered;
          break;
        }
      }
    }
  }
  EXPECT_EQ(covered, 120);
}

TEST(ReachablePositionTest, VisibleWindowsKeepTheirPlaceAndLostOnesComeBack) {
  const Rect areas[] = {{0, 0, 1280, 984}, {1280, 0, 2560, 1024}};
  const Rect primary = areas[0];
  struct Row {
    Rect window;
    Point expected;
  } rows[] = {
      {RectFromSize(100, 50, 206, 106), {100, 50}},       // plainly visible
      {RectFromSize(-174, 10, 206, 106), {-174, 10}},     // 32 pixels still on screen
      {RectFromSize(-175, 10, 206, 106), {0, 10}},        // 31: pulled back
      {RectFromSize(5000, 5000, 206, 106), {1074, 878}},  // nowhere: fully onto the nearest
      {RectFromSize(2500, 500, 206, 106), {2500, 500}},   // on the second monitor
      {RectFromSize(-3, -3, 10, 10), {0, 0}},  // a small window needs all of itself shown
  };
  for (const Row& row : rows) {
    Point place = ReachablePosition(row.window, areas, 2, primary);
    EXPECT_EQ(place, row.expected) << row.window.left << "," << row.window.top;
  }
}

}  // namespace
}  // namespace tavilune
