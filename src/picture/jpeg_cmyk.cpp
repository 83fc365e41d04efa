#include "picture/jpeg_cmyk.h"

#include <memory>

#include "picture/icc_profile.h"

namespace tavilune {

namespace {

// a * b / 255 rounded, for a and b of 0 to 255, without a division.
inline std::uint8_t Product(unsigned a, unsigned b) {
  const unsigned v = a * b + 128;
  return static_cast<std::uint8_t>((v + (v >> 8)) >> 8);
}

constexpr int kCubeLevels = 6;

// The nearest of the cube's levels 0, 51, ..., 255 for a value of 0 to 255.
inline unsigned CubeLevel(std::uint8_t value) { return (value * (kCubeLevels - 1) + 127) / 255; }

}  // namespace

void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count, bool inverted) {
  const unsigned flip = inverted ? 0 : 255;
  for (std::size_t i = 0; i < count; ++i, cmyk += 4, bgr += 3) {
    // What is left of white under each ink: 255 - ink, which inverted files store as is.
    const unsigned cyan = cmyk[0] ^ flip;
    const unsigned magenta = cmyk[1] ^ flip;
    const unsigned yellow = cmyk[2] ^ flip;
    const unsigned black = cmyk[3] ^ flip;
    bgr[0] = Product(yellow, black);
    bgr[1] = Product(magenta, black);
    bgr[2] = Product(cyan, black);
  }
}

CmykRowConverter CmykConverterFor(const JpegMetadata& metadata, ColorManagement* colors) {
  const bool inverted = metadata.adobeTransform.has_value();
  std::shared_ptr<ColorTransform> transform;
  if (colors != nullptr) {
    transform = ProfileTransform(*colors, metadata.iccProfile, PixelLayout::kCmyk32);
  }
  if (!transform) {
    return [inverted](const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count) {
      CmykToBgr(cmyk, bgr, count, inverted);
    };
  }
  // The profile speaks of ink (0 none); the row's samples are first copied out of the way, as
  // the colours are written over them, and turned back to ink where the file stores them
  // inverted.
  return [transform, inverted, ink = std::vector<std::uint8_t>()](
             const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count) mutable {
    ink.assign(cmyk, cmyk + 4 * count);
    if (inverted) {
      for (std::uint8_t& sample : ink) sample = static_cast<std::uint8_t>(255 - sample);
    }
    if (!transform->Translate(ink.data(), ink.size(), bgr, 3 * count,
                              static_cast<std::uint32_t>(count), 1)) {
      CmykToBgr(ink.data(), bgr, count, false);
    }
  };
}

std::vector<RgbQuad> ColourCubeTable() {
  std::vector<RgbQuad> table;
  for (int r = 0; r < kCubeLevels; ++r) {
    for (int g = 0; g < kCubeLevels; ++g) {
      for (int b = 0; b < kCubeLevels; ++b) {
        auto level = [](int l) { return static_cast<std::uint8_t>(l * 255 / (kCubeLevels - 1)); };
        table.push_back(RgbQuad{level(b), level(g), level(r), 0});
      }
    }
  }
  return table;
}

void BgrToCubeIndices(const std::uint8_t* bgr, std::uint8_t* indices, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, bgr += 3) {
    indices[i] = static_cast<std::uint8_t>(
        (CubeLevel(bgr[2]) * kCubeLevels + CubeLevel(bgr[1])) * kCubeLevels + CubeLevel(bgr[0]));
  }
}

}  // namespace tavilune
