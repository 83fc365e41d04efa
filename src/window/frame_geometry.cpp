#include "window/frame_geometry.h"

#include <algorithm>

namespace tavilune {

FrameLayout LayOutBars(std::int32_t windowWidth, std::int32_t windowHeight, std::int32_t thickness,
                       bool visible) {
  FrameLayout layout;
  layout.windowWidth = windowWidth;
  layout.windowHeight = windowHeight;
  layout.barsVisible = visible && thickness > 0;
  if (!layout.barsVisible) return layout;
  const std::int32_t t = thickness;
  layout.top = Rect{0, 0, windowWidth, t};
  layout.bottom = Rect{0, windowHeight - t, windowWidth, windowHeight};
  layout.left = Rect{0, t, t, windowHeight - t};
  layout.right = Rect{windowWidth - t, t, windowWidth, windowHeight - t};
  return layout;
}

FrameLayout LayOutFrame(std::int32_t pictureWidth, std::int32_t pictureHeight,
                        std::int32_t thickness) {
  const std::int32_t t = std::clamp(thickness, 0, kMaxFrameThickness);
  FrameLayout layout = LayOutBars(pictureWidth + 2 * t, pictureHeight + 2 * t, t, t != 0);
  layout.picture = RectFromSize(t, t, pictureWidth, pictureHeight);
  return layout;
}

Point ReachablePosition(const Rect& window, const Rect* workAreas, std::size_t count,
                        const Rect& nearestWorkArea) {
  const std::int32_t needWidth = std::min<std::int32_t>(32, std::max(window.Width(), 1));
  const std::int32_t needHeight = std::min<std::int32_t>(32, std::max(window.Height(), 1));
  for (std::size_t i = 0; i < count; ++i) {
    const Rect& area = workAreas[i];
    const std::int64_t shownWidth =
        std::int64_t{std::min(window.right, area.right)} - std::max(window.left, area.left);
    const std::int64_t shownHeight =
        std::int64_t{std::min(window.bottom, area.bottom)} - std::max(window.top, area.top);
    if (shownWidth >= needWidth && shownHeight >= needHeight) return Point{window.left, window.top};
  }
  // Fully onto the nearest work area; a window larger than it keeps its top-left corner inside.
  std::int32_t left = std::min(window.left, nearestWorkArea.right - window.Width());
  std::int32_t top = std::min(window.top, nearestWorkArea.bottom - window.Height());
  left = std::max(left, nearestWorkArea.left);
  top = std::max(top, nearestWorkArea.top);
  return Point{left, top};
}

}  // namespace tavilune
