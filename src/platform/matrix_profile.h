// Small colour profiles made in code: an RGB display profile of the simplest kind the colour
// engines take (version 2, three primaries as D50-adapted colorants, one tone curve for all
// three channels, a white point, a description and a copyright). The Windows colour transform
// uses the one for sRGB when the system names no display profile it can open, so the program
// needs no profile file of its own; tests make other primaries with it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavilune {

struct MatrixProfileSpec {
  // Chromaticities (CIE x, y) of the three primaries and of the white they add up to.
  double redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY;
  // The tone curve: a plain power, or 0 for the sRGB curve (a linear toe and a 2.4 power).
  double gamma;
  std::string_view description;  // ASCII
};

inline constexpr MatrixProfileSpec kSrgbProfileSpec{0.64, 0.33,   0.30,   0.60, 0.15,
                                                    0.06, 0.3127, 0.3290, 0.0,  "sRGB"};

// The profile's bytes, a few hundred of them.
std::vector<std::uint8_t> MakeMatrixProfile(const MatrixProfileSpec& spec);

}  // namespace tavilune
