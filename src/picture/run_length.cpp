#include "picture/run_length.h"

#include <algorithm>

namespace tavilune {

namespace {

// Writes one colour into a 32-bit row; indices beyond the table give black, as the table has
// no colour for them.
void PutIndexed(std::uint8_t* row, std::int32_t x, unsigned index,
                const std::vector<RgbQuad>& colors) {
  std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
  if (index < colors.size()) {
    p[0] = colors[index].blue;
    p[1] = colors[index].green;
    p[2] = colors[index].red;
  } else {
    p[0] = p[1] = p[2] = 0;
  }
  p[3] = 0;
}

}  // namespace

void ExpandRunLength(std::span<const std::uint8_t> data, bool fourBits,
                     const std::vector<RgbQuad>& colors, Dib& out) {
  const std::int32_t width = out.Width();
  const std::int32_t height = out.Height();
  std::int32_t x = 0;
  std::int32_t line = 0;  // 0 is the bottom row
  std::size_t at = 0;
  auto put = [&](unsigned index) {
    if (x < width) {
      PutIndexed(out.Row(height - 1 - line), x, index, colors);
      ++x;
    }
  };
  while (at + 1 < data.size() && line < height) {
    const std::uint8_t count = data[at];
    const std::uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      // An encoded run: one index repeated, or for 4 bits two indices alternating.
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++line;
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // delta: move right and up, leaving the pixels passed over black
        if (at + 1 >= data.size()) return;
        // x is held at the width: beyond it nothing is drawn until the next line end, and a
        // long chain of deltas must not overflow it.
        x = std::min(x + data[at], width);
        line += data[at + 1];
        at += 2;
        break;
      }
      default: {  // absolute run of value pixels, padded to a 16-bit boundary
        const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
        const std::size_t available = std::min(bytes, data.size() - at);
        for (unsigned i = 0; i < value; ++i) {
          const std::size_t byte = fourBits ? i / 2 : i;
          if (byte >= available) break;
          const std::uint8_t b = data[at + byte];
          put(fourBits ? ((i & 1) ? b & 0x0F : b >> 4) : b);
        }
        at += bytes + (bytes & 1);
        break;
      }
    }
  }
}

}  // namespace tavilune
