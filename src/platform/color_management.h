// The system's colour management: pixels described by a picture's own colour profile turned into
// the display's colours. A platform call like drawing, so the program uses the engine and the
// display profile the user's system uses. Natively there is none (NoColorManagement): pictures
// show as stored.
//
// Only a profile that passed the program's own check (CheckColorProfile, src/picture) is handed
// in, and only its declared bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tavilune {

// How pixels lie in a row, one byte per channel, in memory order.
enum class PixelLayout {
  kBgr24,   // blue, green, red: the rows of a 24-bit bitmap
  kBgrx32,  // blue, green, red, unused: the rows of a 32-bit bitmap, or a colour table
  kCmyk32,  // cyan, magenta, yellow, black; 0 is no ink, 255 full ink
  kGray8,   // one grey level
};

// What a transform writes for rows of a layout: RGB pixels keep their layout, so they can be
// turned in place; CMYK and grey become blue, green, red.
constexpr PixelLayout OutputLayout(PixelLayout in) {
  return in == PixelLayout::kBgrx32 ? PixelLayout::kBgrx32 : PixelLayout::kBgr24;
}

constexpr std::size_t BytesPerPixel(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::kBgr24:
      return 3;
    case PixelLayout::kGray8:
      return 1;
    default:
      return 4;
  }
}

class ColorTransform {
 public:
  virtual ~ColorTransform() = default;
  // Turns rows pixels wide from in (the layout the transform was made for) into out (its
  // OutputLayout), strides in bytes. out may be in itself when both layouts have the same
  // size: a band of a bitmap's rows is then turned in place. A 32-bit row's unused bytes are
  // kept. False when the system failed; rows it did not reach are as they were.
  virtual bool Translate(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out,
                         std::size_t outStride, std::uint32_t width, std::uint32_t rows) = 0;
};

class ColorManagement {
 public:
  virtual ~ColorManagement() = default;
  // A transform from colours described by profile (checked bytes) to the display's, for
  // pixels of the given layout; nothing when the system has no colour management or refuses
  // the profile. The transform does not keep the profile's bytes.
  virtual std::unique_ptr<ColorTransform> CreateTransform(std::span<const std::uint8_t> profile,
                                                          PixelLayout in) = 0;
  // The display whose profile transforms made from now on go to, named as the window system
  // names a monitor (MonitorInfo::device); at first, the primary one. True when its profile is
  // not the one of the display before, so colours turned for that one are wrong on this one.
  virtual bool SetDisplay(const std::string& device) = 0;
};

// No colour management: every picture shows as stored.
class NoColorManagement final : public ColorManagement {
 public:
  std::unique_ptr<ColorTransform> CreateTransform(std::span<const std::uint8_t>,
                                                  PixelLayout) override {
    return nullptr;
  }
  bool SetDisplay(const std::string&) override { return false; }
};

}  // namespace tavilune
