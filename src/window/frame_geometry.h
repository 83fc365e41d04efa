// Where the picture and the four frame bars go for a picture size and a frame thickness.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace tavilune {

struct FrameLayout {
  std::int32_t windowWidth = 0;
  std::int32_t windowHeight = 0;
  Rect picture;  // Image1, in client pixels
  bool barsVisible = false;
  Rect top, bottom, left, right;
};

// The window is exactly the picture plus the thickness on every side; the top and bottom bars
// span the whole width and the side bars fill the height between them. A thickness of 0 hides
// the bars.
FrameLayout LayOutFrame(std::int32_t pictureWidth, std::int32_t pictureHeight,
                        std::int32_t thickness);

// The window's bars in a window of any size (the design window is larger than its picture):
// the same alignment rules with the bars' own thickness.
FrameLayout LayOutBars(std::int32_t windowWidth, std::int32_t windowHeight, std::int32_t thickness,
                       bool visible);

// Keeps a window reachable: when no monitor's work area shows at least a 32 x 32 part of it
// (or all of it, for a smaller window), it is moved fully onto the nearest work area.
// A window that is visible enough keeps its place exactly.
Point ReachablePosition(const Rect& window, const Rect* workAreas, std::size_t count,
                        const Rect& nearestWorkArea);

}  // namespace tavilune
