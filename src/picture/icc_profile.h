// A picture's embedded colour profile, checked by our own bounded reader before the system's
// colour engine sees a byte of it, and the transform that turns the picture's pixels into the
// display's colours.
//
// The check reads the 128-byte header and the tag table: the declared size within the bytes at
// hand (and room for the header and tag count), the 'acsp' signature, a profile class that
// describes a device or a colour space (display, input, output, colour space; device links,
// abstract and named-colour profiles are refused), RGB, CMYK or grey data, an XYZ or Lab
// connection space, a tag count that fits, and every tag's data inside the declared size.
// Anything else is "no answer": the picture shows as stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/color_management.h"
#include "platform/dib.h"

namespace tavilune {

enum class ProfileColorSpace { kRgb, kCmyk, kGray };
enum class ProfileClass { kDisplay, kInput, kOutput, kColorSpace };

struct ProfileFacts {
  ProfileColorSpace colorSpace = ProfileColorSpace::kRgb;
  ProfileClass profileClass = ProfileClass::kDisplay;
  // The declared size: the bytes that make the profile (a picture may hold more after them).
  std::size_t size = 0;
  // The profile describes sRGB: its colours are those every display is assumed to show when a
  // picture has no profile, so the transform can be left out (see IsSrgbProfile).
  bool srgb = false;
};

// The facts of a profile that checks out, or nothing.
std::optional<ProfileFacts> CheckColorProfile(std::span<const std::uint8_t> bytes);

// sRGB's tone curve: an encoded level (0 to 1) to linear light (0 to 1).
double SrgbCurve(double x);

// The colour space whose profile fits pixels of a layout.
constexpr ProfileColorSpace ColorSpaceOf(PixelLayout layout) {
  return layout == PixelLayout::kCmyk32  ? ProfileColorSpace::kCmyk
         : layout == PixelLayout::kGray8 ? ProfileColorSpace::kGray
                                         : ProfileColorSpace::kRgb;
}

// The transform for pixels of the given layout described by an embedded profile: nothing when
// the profile does not check out, describes sRGB, is of another colour space than the pixels,
// or the system makes no transform of it. The decoders call this once per picture and turn
// their rows as they are decoded.
std::unique_ptr<ColorTransform> ProfileTransform(ColorManagement& colors,
                                                 std::span<const std::uint8_t> profile,
                                                 PixelLayout layout);

// Turns a colour table's entries through a transform made for kBgrx32, or for kGray8, where
// each entry is a grey level (its blue) that becomes a colour. Entries stay as they were when
// the system fails.
void TranslateColorTable(ColorTransform& transform, PixelLayout layout,
                         std::vector<RgbQuad>& entries);

}  // namespace tavilune
