// Plain value types shared by the portable core and the platform layer.
#pragma once

#include <cstdint>

namespace tavilune {

// A colour in the layout 0x00BBGGRR (red in the low byte), as the settings file stores it.
using Color = std::int32_t;

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kDesignGreen = 0x008000;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Left and top inclusive, right and bottom exclusive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The part two rectangles share; empty (and then any rectangle with Empty()) when none.
constexpr Rect Intersection(const Rect& a, const Rect& b) {
  return Rect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
              a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

constexpr Rect RectFromSize(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height) {
  return Rect{left, top, left + width, top + height};
}

// Where a window of this outer rectangle goes on the monitor: centred horizontally, and at one
// third of the height the monitor has left over.
inline Point CenteredAtOneThird(const Rect& window, const Rect& monitor) {
  return Point{monitor.left + (monitor.Width() - window.Width()) / 2,
               monitor.top + (monitor.Height() - window.Height()) / 3};
}

}  // namespace tavilune
