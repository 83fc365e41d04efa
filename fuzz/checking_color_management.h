// Colour management for the fuzzers: it stands for the system, which must only ever be handed a
// profile that checks out, cut to its declared size, and never one that describes sRGB.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "picture/icc_profile.h"

namespace tavilune::fuzzing {

class CheckingColorManagement : public tavilune::ColorManagement {
 public:
  std::unique_ptr<tavilune::ColorTransform> CreateTransform(std::span<const std::uint8_t> profile,
                                                            tavilune::PixelLayout) override {
    const auto facts = tavilune::CheckColorProfile(profile);
    if (!facts || facts->size != profile.size() || facts->srgb) std::abort();
    return nullptr;
  }
  bool SetDisplay(const std::string&) override { return false; }
};

// Offers the profile for each kind of pixels a picture may have.
inline void OfferProfile(std::span<const std::uint8_t> profile) {
  CheckingColorManagement colors;
  for (PixelLayout layout : {PixelLayout::kBgr24, PixelLayout::kCmyk32, PixelLayout::kGray8}) {
    (void)ProfileTransform(colors, profile, layout);
  }
}

}  // namespace tavilune::fuzzing
