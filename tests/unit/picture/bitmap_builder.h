// Builds bitmap files byte by byte, so that each test states exactly what its file holds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/matrix_profile.h"

namespace tavilune::testing {

class Bytes {
 public:
  Bytes& U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  Bytes& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
  Bytes& Append(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  Bytes& Fill(std::size_t count, std::uint8_t v = 0) {
    bytes_.insert(bytes_.end(), count, v);
    return *this;
  }
  const std::vector<std::uint8_t>& Get() const { return bytes_; }
  std::string Str() const { return std::string(bytes_.begin(), bytes_.end()); }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The fields of a 40-byte info header, and what follows it.
struct BitmapSpec {
  std::uint32_t headerSize = 40;
  std::int32_t width = 2;
  std::int32_t height = 2;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> masks{};   // after a 40-byte header, else inside the header
  std::vector<std::uint32_t> colors{};  // 0x00RRGGBB, written as blue, green, red, 0
  std::vector<std::uint8_t> pixels{};
  std::uint32_t pixelOffset = 0;  // 0: where the pixels really are
};

inline std::vector<std::uint8_t> MakeBitmapFile(const BitmapSpec& s) {
  Bytes info;
  info.U32(s.headerSize).I32(s.width).I32(s.height).U16(s.planes).U16(s.bitCount);
  info.U32(s.compression).U32(s.imageSize).U32(2835).U32(2835).U32(s.colorsUsed).U32(0);
  if (s.headerSize >= 52 && !s.masks.empty()) {
    // Larger headers carry the masks themselves, right after the first 40 bytes.
    for (std::uint32_t m : s.masks) info.U32(m);
    info.Fill(s.headerSize - 40 - 4 * s.masks.size());
  } else {
    if (s.headerSize > 40) info.Fill(s.headerSize - 40);
    for (std::uint32_t m : s.masks) info.U32(m);
  }
  for (std::uint32_t c : s.colors) info.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8(c >> 16).U8(0);
  const std::uint32_t offset =
      s.pixelOffset ? s.pixelOffset : static_cast<std::uint32_t>(14 + info.Size());
  Bytes file;
  file.U8('B').U8('M').U32(static_cast<std::uint32_t>(14 + info.Size() + s.pixels.size()));
  file.U32(0).U32(offset).Append(info.Get()).Append(s.pixels);
  return file.Get();
}

// A 24-bit file of width x height pixels all of one grey level, as the bytes a file system holds.
inline std::string FlatBitmapFile(std::int32_t width, std::int32_t height, std::uint8_t level) {
  const auto pixels = static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * height);
  const auto bytes =
      MakeBitmapFile({.width = width, .height = height, .pixels = std::vector(pixels, level)});
  return std::string(bytes.begin(), bytes.end());
}

// Wider primaries than sRGB's and a plain power curve, as wide-gamut photo profiles have.
constexpr MatrixProfileSpec kWide{0.7347, 0.2653, 0.1596, 0.8404, 0.0366,
                                  0.0001, 0.3457, 0.3585, 1.8,    "wide"};

// Colour space types of a version 5 header.
constexpr std::uint32_t kEmbedded = 0x4D424544;  // 'MBED'
constexpr std::uint32_t kLinked = 0x4C494E4B;    // 'LINK'

// A version 5 bitmap whose embedded profile lies after the pixels (or in a gap before them).
struct ProfiledBitmap {
  BitmapSpec spec{.headerSize = 124};
  std::uint32_t colorSpace = kEmbedded;
  std::vector<std::uint8_t> profile = MakeMatrixProfile(kWide);
  bool inGap = false;
  std::int64_t offsetShift = 0;  // moves the recorded profile offset, to place it wrongly

  std::vector<std::uint8_t> Make() const {
    BitmapSpec s = spec;
    const std::size_t headersEnd = 14 + 124 + 4 * s.colors.size();
    if (inGap) s.pixelOffset = static_cast<std::uint32_t>(headersEnd + profile.size());
    auto file = MakeBitmapFile(s);
    const std::size_t pixelsAt = inGap ? headersEnd : file.size();
    if (inGap) {
      file.insert(file.begin() + static_cast<std::ptrdiff_t>(headersEnd), profile.begin(),
                  profile.end());
    } else {
      file.insert(file.end(), profile.begin(), profile.end());
    }
    Bytes fields;
    fields.U32(colorSpace);
    std::copy_n(fields.Get().begin(), 4, file.begin() + 14 + 56);
    Bytes place;
    place.U32(static_cast<std::uint32_t>(pixelsAt - 14 + offsetShift))
        .U32(static_cast<std::uint32_t>(profile.size()));
    std::copy_n(place.Get().begin(), 8, file.begin() + 14 + 112);
    return file;
  }
};

}  // namespace tavilune::testing
