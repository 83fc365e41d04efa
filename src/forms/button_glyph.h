// A speed button's glyph: a small picture drawn on the button's face with its background colour
// left out, and embossed in grey while the button is disabled.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dib.h"
#include "platform/types.h"

namespace tavilune {

class ButtonGlyph {
 public:
  ButtonGlyph() = default;
  // pixels holds width x height colours, 0x00BBGGRR, row by row from the top.
  ButtonGlyph(std::int32_t width, std::int32_t height, std::vector<Color> pixels);

  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // The colour of the pixel, 0x00BBGGRR; row 0 is the top row.
  Color At(std::int32_t x, std::int32_t y) const {
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
  }

  // The glyph ready to draw on a face of the given colour, as 24-bit rows. The colour of the
  // bottom-left pixel is transparent and shows the face. Disabled, every dark pixel of the
  // glyph is drawn in the shadow colour over a copy moved one pixel right and down in the
  // highlight colour, and nothing else of the glyph shows.
  Dib OnFace(bool enabled, Color face, Color highlight, Color shadow) const;

 private:
  bool Transparent(std::int32_t x, std::int32_t y) const;
  bool Dark(std::int32_t x, std::int32_t y) const;

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<Color> pixels_;
};

}  // namespace tavilune
