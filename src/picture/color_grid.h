// A system colour transform sampled once at a grid of colours, pixels then turned by
// interpolation in the grid in our own code. The system's engine costs hundreds of nanoseconds a
// pixel (a photo would take seconds); the grid costs one call of some thousands of colours and
// then a few table lookups a pixel.
//
// RGB: 33 points per axis, tetrahedral interpolation in linear light (exact at the points, within
// a level or two between them for the usual profiles, also where wide-gamut colours are clipped at
// the display's edge). CMYK: 17 points per axis, tetrahedral in cyan, magenta and yellow at the
// two nearest black levels, linear between them. Grey: every level, exact.
// Until a transform has been asked for as many pixels as its grid holds (a colour table, a small
// picture), it hands them to the system as they are: exact, and no slower.
#pragma once

#include <memory>

#include "platform/color_management.h"

namespace tavilune {

// The system transform for pixels of the layout, wrapped. Sampling that fails makes the
// translation fail, pixels left as they were, as the system's own failure would.
std::unique_ptr<ColorTransform> SampledTransform(std::unique_ptr<ColorTransform> system,
                                                 PixelLayout layout);

// Points per axis of the grid for a layout (every level for grey).
constexpr unsigned GridPoints(PixelLayout layout) {
  return layout == PixelLayout::kGray8 ? 256 : layout == PixelLayout::kCmyk32 ? 17 : 33;
}

// The input level of grid point i of n: spread evenly over 0..255, rounded.
constexpr unsigned GridLevel(unsigned i, unsigned n) { return (i * 255 + (n - 1) / 2) / (n - 1); }

}  // namespace tavilune
