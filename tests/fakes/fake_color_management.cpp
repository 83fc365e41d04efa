#include "fakes/fake_color_management.h"

namespace tavilune::testing {

namespace {

// One pixel by the test's own function, or by the rule the header describes.
void Turn(const FakeColorManagement& owner, PixelLayout layout, const std::uint8_t* p,
          std::uint8_t* q) {
  const bool cmyk = layout == PixelLayout::kCmyk32;
  const auto& scripted = cmyk ? owner.cmyk : owner.rgb;
  if (layout == PixelLayout::kGray8) {
    q[0] = q[1] = q[2] = p[0];
  } else if (scripted) {
    scripted(p, q);
  } else {
    // Blue from yellow, green from magenta, red from cyan; the unused byte of 32-bit RGB kept.
    for (int c = 0; c < 3; ++c) {
      q[c] = cmyk ? static_cast<std::uint8_t>((255 - p[2 - c]) * (255 - p[3]) / 255)
                  : FakeConverted(p[c]);
    }
  }
}

class FakeTransform : public ColorTransform {
 public:
  FakeTransform(FakeColorManagement& owner, std::size_t index, PixelLayout layout)
      : owner_(owner), index_(index), layout_(layout) {}

  bool Translate(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out,
                 std::size_t outStride, std::uint32_t width, std::uint32_t rows) override {
    owner_.translations.push_back({index_, width, rows, in == out});
    if (owner_.failTranslations) return false;
    const std::size_t inBytes = BytesPerPixel(layout_);
    const std::size_t outBytes = BytesPerPixel(OutputLayout(layout_));
    for (std::size_t y = 0; y < rows; ++y) {
      for (std::size_t x = 0; x < width; ++x) {
        Turn(owner_, layout_, in + y * inStride + x * inBytes, out + y * outStride + x * outBytes);
      }
    }
    return true;
  }

 private:
  FakeColorManagement& owner_;
  std::size_t index_;
  PixelLayout layout_;
};

}  // namespace

std::unique_ptr<ColorTransform> FakeColorManagement::CreateTransform(
    std::span<const std::uint8_t> profile, PixelLayout in) {
  requests.push_back({{profile.begin(), profile.end()}, in, display});
  if (refuseProfiles) return nullptr;
  return std::make_unique<FakeTransform>(*this, requests.size() - 1, in);
}

bool FakeColorManagement::SetDisplay(const std::string& device) {
  // An unlisted display gets listed with no profile.
  const bool changed = displayProfiles[device] != displayProfiles[display];
  display = device;
  return changed;
}

}  // namespace tavilune::testing
