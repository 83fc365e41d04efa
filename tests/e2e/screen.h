// Reading what is on the screen: a copy of a screen rectangle taken in one go, pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavilune::e2e {

// Colours are COLORREF values, 0x00BBGGRR, like the program's frame colour.
class ScreenShot {
 public:
  explicit ScreenShot(const RECT& area);

  bool ok() const { return ok_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // x, y relative to the rectangle's top-left corner.
  COLORREF At(int x, int y) const;
  // Number of pixels in [left, right) x [top, bottom) whose colour differs from expected; the
  // first one found goes to firstBad.
  int CountDifferent(int left, int top, int right, int bottom, COLORREF expected,
                     POINT* firstBad = nullptr) const;

 private:
  bool ok_ = false;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;  // top-down rows of 0x00RRGGBB
};

}  // namespace tavilune::e2e
