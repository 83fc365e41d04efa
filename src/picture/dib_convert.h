// Turns a bitmap of any depth into plain 24-bit colour: for the diagnostic tool's output and for
// comparing decoded pixels with known answers.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dib.h"

namespace tavilune {

// The pixels as red, green, blue bytes, top row first, no padding. Indices beyond the colour
// table give black; 16- and 32-bit values are taken through the bitmap's masks, each field
// scaled to 0..255.
std::vector<std::uint8_t> DibToRgb(const Dib& dib);

// A bitmap file (14-byte file header, 40-byte info header) of 24 bits per pixel, rows bottom up.
std::vector<std::uint8_t> EncodeBmp24(const Dib& dib);

}  // namespace tavilune
