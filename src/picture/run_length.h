// Run-length bitmaps (4 or 8 bits per pixel) expanded into pixels. Kept apart from the rest of
// the bitmap decoder because it is pixel work: compiled for speed where the decoder is compiled
// for size.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/dib.h"

namespace tavilune {

// Expands run-length data (4 or 8 bits per pixel) into a cleared 32-bit bitmap of the same
// sides, so that pixels the data skips (deltas, early line ends, early end) stay black whatever
// the colour table holds. Rows of run-length data go from the bottom row up.
void ExpandRunLength(std::span<const std::uint8_t> data, bool fourBits,
                     const std::vector<RgbQuad>& colors, Dib& out);

}  // namespace tavilune
