#include "picture/preview_glyph.h"

#include "picture/bitmap.h"
#include "picture/stream.h"

namespace tavilune {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

Color ColorOf(const RgbQuad& quad) {
  return static_cast<Color>(quad.red | quad.green << 8 | quad.blue << 16);
}

// The colour of one pixel of an uncompressed bitmap of 1, 4, 8, 24 or 32 bits.
Color PixelColor(const Dib& dib, std::int32_t x, std::int32_t y) {
  const std::uint8_t* row = dib.Row(y);
  auto indexed = [&](std::uint32_t index) -> Color {
    return index < dib.Colors().size() ? ColorOf(dib.Colors()[index]) : kBlack;
  };
  switch (dib.BitCount()) {
    case 1:
      return indexed((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
      return indexed(x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
    case 8:
      return indexed(row[x]);
    case 24:
      return ColorOf(RgbQuad{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0});
    case 32:
      return ColorOf(RgbQuad{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], 0});
    default:
      return kBlack;
  }
}

}  // namespace

ButtonGlyph ButtonGlyph::FromResource(std::span<const std::uint8_t> packedDib) {
  // The bitmap reader takes a file: give the resource the 14-byte file header it lacks. The
  // reader takes the pixels to follow the colour table, so the offset field may stay 0.
  std::vector<std::uint8_t> file(kFileHeaderSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  file.insert(file.end(), packedDib.begin(), packedDib.end());
  ButtonGlyph glyph;
  try {
    TBitmap bitmap;
    MemoryStream stream(file);
    ReadBitmapFile(bitmap, stream);
    const Dib& dib = bitmap.GetDib();
    const std::uint16_t bits = dib.BitCount();
    const bool readable = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
    if (dib.Empty() || !readable || dib.Compression() != kCompressionRgb) return glyph;
    glyph.width_ = dib.Width();
    glyph.height_ = dib.Height();
    glyph.pixels_.reserve(static_cast<std::size_t>(glyph.width_) * glyph.height_);
    for (std::int32_t y = 0; y < glyph.height_; ++y) {
      for (std::int32_t x = 0; x < glyph.width_; ++x)
        glyph.pixels_.push_back(PixelColor(dib, x, y));
    }
  } catch (...) {
    // A damaged resource leaves the button without a picture rather than the dialog unusable.
    return ButtonGlyph();
  }
  return glyph;
}

bool ButtonGlyph::Transparent(std::int32_t x, std::int32_t y) const {
  return At(x, y) == At(0, height_ - 1);
}

bool ButtonGlyph::Dark(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || Transparent(x, y)) return false;
  const Color c = At(x, y);
  const int red = c & 0xFF;
  const int green = (c >> 8) & 0xFF;
  const int blue = (c >> 16) & 0xFF;
  // Light pixels (white, yellow, silver) vanish into the face; the rest keep the shape.
  return red * 30 + green * 59 + blue * 11 < 192 * 100;
}

Dib ButtonGlyph::OnFace(bool enabled, Color face, Color highlight, Color shadow) const {
  Dib dib = Dib::Blank(width_, height_, 24, true);
  for (std::int32_t y = 0; y < height_; ++y) {
    std::uint8_t* row = dib.Row(y);
    for (std::int32_t x = 0; x < width_; ++x) {
      Color color = face;
      if (enabled) {
        if (!Transparent(x, y)) color = At(x, y);
      } else if (Dark(x, y)) {
        color = shadow;
      } else if (Dark(x - 1, y - 1)) {
        color = highlight;
      }
      row[x * 3] = static_cast<std::uint8_t>(color >> 16);
      row[x * 3 + 1] = static_cast<std::uint8_t>(color >> 8);
      row[x * 3 + 2] = static_cast<std::uint8_t>(color);
    }
  }
  return dib;
}

}  // namespace tavilune
