// The preview button's glyph as the program's resources hold it.
#pragma once

#include <cstdint>
#include <span>

#include "forms/button_glyph.h"

namespace tavilune {

// Reads a bitmap as the system stores it in a program's resources: the info header, the colour
// table and the rows, without the file header. Anything that does not read as a bitmap gives an
// empty glyph (the button then shows no picture).
ButtonGlyph ButtonGlyphFromResource(std::span<const std::uint8_t> packedDib);

}  // namespace tavilune
