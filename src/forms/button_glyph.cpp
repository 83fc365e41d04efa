#include "forms/button_glyph.h"

#include <utility>

namespace tavilune {

ButtonGlyph::ButtonGlyph(std::int32_t width, std::int32_t height, std::vector<Color> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
  // A glyph whose pixels do not fill it would be read past their end: it shows nothing.
  if (width_ <= 0 || height_ <= 0 ||
      pixels_.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
    width_ = 0;
    height_ = 0;
    pixels_.clear();
  }
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
