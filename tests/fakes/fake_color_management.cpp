#include "fakes/fake_color_management.h"

namespace tavilune::testing {

namespace {

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
    for (std::uint32_t y = 0; y < rows; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* p = in + y * inStride + x * inBytes;
        std::uint8_t* q = out + y * outStride + x * outBytes;
        switch (layout_) {
          case PixelLayout::kBgr24:
          case PixelLayout::kBgrx32:
            if (owner_.rgb) {
              owner_.rgb(p, q);
            } else {
              for (int c = 0; c < 3; ++c) q[c] = FakeConverted(p[c]);
            }
            break;
          case PixelLayout::kCmyk32:
            if (owner_.cmyk) {
              owner_.cmyk(p, q);
              break;
            }
            // Cyan, magenta, yellow, black in; blue from yellow, green from magenta, red from cyan.
            for (int c = 0; c < 3; ++c) {
              q[c] = static_cast<std::uint8_t>((255 - p[2 - c]) * (255 - p[3]) / 255);
            }
            break;
          case PixelLayout::kGray8:
            q[0] = q[1] = q[2] = p[0];
            break;
        }
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
  const auto profileOf = [this](const std::string& name) {
    const auto found = displayProfiles.find(name);
    return found == displayProfiles.end() ? std::string() : found->second;
  };
  const bool changed = profileOf(device) != profileOf(display);
  display = device;
  return changed;
}

}  // namespace tavilune::testing
