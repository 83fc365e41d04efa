// The system's colour management (mscms), looked up when first needed so that a system without
// it still shows every picture, as stored.
#pragma once

#include <string>

#include "platform/color_management.h"

namespace tavilune::win32 {

class Win32ColorManagement : public ColorManagement {
 public:
  std::unique_ptr<ColorTransform> CreateTransform(std::span<const std::uint8_t> profile,
                                                  PixelLayout in) override;
  bool SetDisplay(const std::string& device) override;

 private:
  std::string device_;  // empty: the primary monitor
};

}  // namespace tavilune::win32
