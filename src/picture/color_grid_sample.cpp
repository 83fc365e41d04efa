#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

#include "picture/color_grid_tables.h"
#include "picture/icc_profile.h"

namespace tavilune::color_grid {

namespace {

// Passes that carry the clipped values out from the unclipped ones (see Unclip): enough to
// reach every corner of a cell (four axes) from a corner the system did not clip.
constexpr unsigned kUnclipPasses = 4;

// Where a level lies, 0 to 1, along an input axis of the grid and among the values of its points.
// An RGB profile mostly is a matrix between curves: in linear light (taken as sRGB's curve,
// which RGB profiles and displays come close to) its colours are nearly linear, and a channel
// that comes out near black, where the display's curve is steep, no longer bends between the
// points (up to 20 levels off for a wide-gamut profile, where it was interpolated as it is).
// Ink profiles are tables in a space of even steps, and stay as they are.
double Linear(PixelLayout layout, unsigned level) {
  return layout == PixelLayout::kCmyk32 ? level / 255.0 : SrgbCurve(level / 255.0);
}

// A wide-gamut colour the display cannot show comes back from the system clipped at 0 or 255,
// and a cell with clipped and unclipped corners would be interpolated across the kink. So a
// clipped value is replaced by where the unclipped values beside it point (extrapolated along
// each axis, averaged), when that lies beyond the clip; pixels are clamped after interpolation,
// and the kink falls where the system puts it. This keeps every pixel in our own code: handing
// the pixels of such cells to the system costs hundreds of nanoseconds each, and a saturated
// photo has many; refining them at a finer grid needs memory that grows with a photo's spread
// of colours. A value reached in pass p extends others only from pass p + 1 on, so the order
// the points are visited in does not matter.
bool Unclip(PixelLayout layout, GridTables& tables) {
  const std::size_t values = GridSize(layout) * kPointValues;
  const std::unique_ptr<std::uint8_t[]> reached(new (std::nothrow) std::uint8_t[values]);
  if (!reached) return false;
  std::uint16_t* grid = tables.grid.get();
  for (std::size_t v = 0; v < values; ++v)
    reached[v] = grid[v] == kBlack || grid[v] == kWhite ? kUnclipPasses + 1 : 0;
  const unsigned n = GridPoints(layout);
  double at[GridPoints(PixelLayout::kBgr24)];  // where each point lies along an axis
  for (unsigned i = 0; i < n; ++i) at[i] = Linear(layout, GridLevel(i, n));
  for (unsigned pass = 1; pass <= kUnclipPasses; ++pass) {
    for (std::size_t v = 0; v < values; ++v) {
      if (reached[v] < pass) continue;
      double sum = 0;
      int estimates = 0;
      std::size_t rest = v / kPointValues;
      for (unsigned c = GridAxes(layout); c-- > 0; rest /= n) {
        const auto i = static_cast<unsigned>(rest % n);
        for (const int side : {-1, 1}) {
          // Past either end, near or far wraps to n or above.
          const unsigned near = i + side, far = i + 2 * side;
          const std::ptrdiff_t step = side * static_cast<std::ptrdiff_t>(tables.step[c]);
          const std::size_t v1 = v + step, v2 = v1 + step;
          if (far >= n || reached[v1] >= pass || reached[v2] >= pass) continue;
          sum += grid[v1] + (static_cast<double>(grid[v1]) - grid[v2]) * (at[i] - at[near]) /
                                (at[near] - at[far]);
          ++estimates;
        }
      }
      if (estimates == 0) continue;
      reached[v] = static_cast<std::uint8_t>(pass);
      const double estimate = std::clamp(sum / estimates, 0.0, double{kEnd});
      if (grid[v] == kBlack ? estimate < kBlack : estimate > kWhite)
        grid[v] = static_cast<std::uint16_t>(std::lround(estimate));
    }
  }
  return true;
}

}  // namespace

bool SampleGrid(ColorTransform& system, PixelLayout layout, GridTables& tables) {
  const unsigned n = GridPoints(layout);
  const std::size_t count = GridSize(layout);
  const std::size_t inBytes = BytesPerPixel(layout);
  const std::size_t outBytes = BytesPerPixel(OutputLayout(layout));
  // Without the memory, the pixels stay as they are, as when the system fails.
  tables.grid.reset(new (std::nothrow) std::uint16_t[count * kPointValues]);
  if (!tables.grid) return false;
  {
    const std::unique_ptr<std::uint8_t[]> colours(new (std::nothrow) std::uint8_t[count * inBytes]);
    const std::unique_ptr<std::uint8_t[]> turned(new (std::nothrow) std::uint8_t[count * outBytes]);
    if (!colours || !turned) return false;
    std::memset(colours.get(), 0, count * inBytes);
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t rest = i;
      for (unsigned c = GridAxes(layout); c-- > 0; rest /= n) {
        colours[i * inBytes + c] = static_cast<std::uint8_t>(GridLevel(rest % n, n));
      }
    }
    if (!system.Translate(colours.get(), count * inBytes, turned.get(), count * outBytes,
                          static_cast<std::uint32_t>(count), 1)) {
      return false;
    }
    std::uint16_t value[256];
    for (unsigned level = 0; level < 256; ++level)
      value[level] =
          static_cast<std::uint16_t>(kBlack + std::lround(Linear(layout, level) * kSpan));
    // Each level for the values nearest its own, so a grid point's level comes back as it was.
    for (int v = 0, level = 0; v <= kEnd; ++v) {
      if (level < 255 && 2 * v >= value[level] + value[level + 1]) ++level;
      tables.levels[v] = static_cast<std::uint8_t>(level);
    }
    for (std::size_t i = 0; i < count * kPointValues; ++i)
      tables.grid[i] = value[turned[i / kPointValues * outBytes + i % kPointValues]];
  }
  if (layout == PixelLayout::kGray8) return true;
  std::uint32_t stride = kPointValues;
  for (unsigned c = GridAxes(layout); c-- > 0; stride *= n) {
    tables.step[c] = stride;
    unsigned i = 0;
    for (unsigned level = 0; level < 256; ++level) {
      if (i + 2 < n && GridLevel(i + 1, n) <= level) ++i;
      const double low = Linear(layout, GridLevel(i, n));
      const double span = Linear(layout, GridLevel(i + 1, n)) - low;
      tables.cells[c][level] = {
          i * stride,
          static_cast<std::uint32_t>(std::lround((Linear(layout, level) - low) / span * kOne))};
    }
  }
  return Unclip(layout, tables);
}

}  // namespace tavilune::color_grid
