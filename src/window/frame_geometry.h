// Where the picture and the four frame bars go for a picture size and a frame thickness.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace tavilune {

// The thickest frame the window takes. The menu offers 0 to 5; anything more can only come from
// an edited settings file, and such small values (7, say) are shown as they are. A frame of 255
// pixels still leaves the picture's corner on the smallest screen Windows runs on (800 x 600)
// when the window sits at the screen's corner, and even around the largest picture the
// decoders take (65535 pixels a side) the window stays within 66045 pixels, a size the window
// system handles and far from where any sum of sizes and screen positions could overflow.
// Larger values are taken as this bound.
constexpr std::int32_t kMaxFrameThickness = 255;

struct FrameLayout {
  std::int32_t windowWidth = 0;
  std::int32_t windowHeight = 0;
  Rect picture;  // Image1, in client pixels
  bool barsVisible = false;
  Rect top, bottom, left, right;
};

// The window is exactly the picture plus the thickness on every side; the top and bottom bars
// span the whole width and the side bars fill the height between them. A thickness of 0 hides
// the bars. The thickness is taken within 0 and kMaxFrameThickness.
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
