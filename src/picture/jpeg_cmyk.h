// Colours of CMYK and YCCK JPEGs (as print and photo editors save them). The library hands out
// their rows as cyan, magenta, yellow and black samples (turning YCCK into CMYK itself); these
// functions make blue, green, red pixels of them for the bitmap, and for an 8-bit picture the
// indices into a fixed colour cube.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "picture/jpeg_markers.h"
#include "platform/color_management.h"
#include "platform/dib.h"

namespace tavilune {

// Converts count pixels of four samples each into three bytes each, blue, green, red. The output
// may overwrite the input in place: it is shorter and written front to back.
using CmykRowConverter =
    std::function<void(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count)>;

// The device-independent conversion: each colour is white less its ink, darkened by the black
// ink (red = (255 - C) * (255 - K) / 255). Files with an Adobe marker store every sample
// inverted (255 - ink), as Photoshop writes them, so there red = C * K / 255 of the samples.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count, bool inverted);

// The conversion for a picture's CMYK samples: through the system's colour management from the
// picture's own CMYK profile where it has one that checks out, else by CmykToBgr.
CmykRowConverter CmykConverterFor(const JpegMetadata& metadata, ColorManagement* colors);

// An 8-bit picture of a CMYK file: the colour table of a 6 x 6 x 6 cube (216 colours, within the
// 236 the program's 8-bit pictures use), and each pixel's nearest cube colour. The indices may
// overwrite the blue, green, red input in place.
std::vector<RgbQuad> ColourCubeTable();
void BgrToCubeIndices(const std::uint8_t* bgr, std::uint8_t* indices, std::size_t count);

}  // namespace tavilune
