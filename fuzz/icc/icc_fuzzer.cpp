// Any bytes as an embedded colour profile: the check must answer or refuse without reading
// outside them, and only a profile that checks out may reach the colour management.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "picture/icc_profile.h"

namespace {

// Stands for the system: it must only ever see profiles that check out, cut to their size.
class CheckingColorManagement : public tavilune::ColorManagement {
 public:
  std::unique_ptr<tavilune::ColorTransform> CreateTransform(std::span<const std::uint8_t> profile,
                                                            tavilune::PixelLayout) override {
    const auto facts = tavilune::CheckColorProfile(profile);
    if (!facts || facts->size != profile.size() || facts->srgb) std::abort();
    return nullptr;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  CheckingColorManagement colors;
  for (PixelLayout layout : {PixelLayout::kBgr24, PixelLayout::kCmyk32, PixelLayout::kGray8}) {
    (void)ProfileTransform(colors, {data, size}, layout);
  }
  return 0;
}
