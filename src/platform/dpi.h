// The program lays out its boxes, their fonts, the preview window and its painted controls in
// lengths designed for a screen of 96 DPI, and scales them to the DPI of the monitor the window
// is on. (The picture window is the exception: one picture pixel is one screen pixel.)
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace tavilune {

constexpr int kDesignDpi = 96;

// A design length at the DPI, rounded to the nearest pixel with halves away from zero, as the
// system's MulDiv rounds (231 at 144 DPI is 346.5, so 347).
constexpr std::int32_t ScaleForDpi(std::int32_t design, int dpi) {
  const std::int64_t product = std::int64_t{design} * dpi;
  const std::int64_t half = kDesignDpi / 2;
  return static_cast<std::int32_t>((product >= 0 ? product + half : product - half) / kDesignDpi);
}

// Each edge scaled, so that neighbouring rectangles stay neighbours.
constexpr Rect ScaleForDpi(const Rect& design, int dpi) {
  return Rect{ScaleForDpi(design.left, dpi), ScaleForDpi(design.top, dpi),
              ScaleForDpi(design.right, dpi), ScaleForDpi(design.bottom, dpi)};
}

}  // namespace tavilune
