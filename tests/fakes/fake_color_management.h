// Colour management in memory. It records every transform asked for (with a copy of the profile)
// and every band of rows turned, and turns colours in a way a test recognises at once: every RGB
// channel becomes 255 minus itself (the unused byte of 32-bit pixels is kept), CMYK becomes the
// plain ink complement (red = (255 - cyan) * (255 - black) / 255, and so on), grey becomes three
// equal channels. A test can script refused profiles and failing translations.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/color_management.h"

namespace tavilune::testing {

struct TransformRequest {
  std::vector<std::uint8_t> profile;
  PixelLayout layout;
  std::string display;  // the display set when it was asked for
};

struct TranslateCall {
  std::size_t transform;  // index into the requests
  std::uint32_t width, rows;
  bool inPlace;
};

class FakeColorManagement : public ColorManagement {
 public:
  std::unique_ptr<ColorTransform> CreateTransform(std::span<const std::uint8_t> profile,
                                                  PixelLayout in) override;
  // Displays have the profile displayProfiles names for them, none if not listed.
  bool SetDisplay(const std::string& device) override;

  std::vector<TransformRequest> requests;
  std::vector<TranslateCall> translations;
  bool refuseProfiles = false;
  bool failTranslations = false;
  std::string display;
  std::map<std::string, std::string> displayProfiles;
  // When set, these turn each pixel instead of the rules above: RGB pixels (blue, green, red in
  // and out) and CMYK pixels (cyan, magenta, yellow, black in; blue, green, red out).
  std::function<void(const std::uint8_t*in, std::uint8_t*out)> rgb, cmyk;
};

// The fake's conversion of one RGB channel, for expected values.
constexpr std::uint8_t FakeConverted(std::uint8_t channel) {
  return static_cast<std::uint8_t>(255 - channel);
}

}  // namespace tavilune::testing
