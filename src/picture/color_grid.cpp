#include "picture/color_grid.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "picture/color_grid_tables.h"

namespace tavilune {

namespace {

using namespace color_grid;

// The tetrahedron of a cube of the grid that holds a colour: its first point's offset, the steps
// from point to point (largest fraction's axis first) and the four points' weights.
struct Simplex {
  std::uint32_t base;
  std::uint32_t step[3];
  std::uint32_t weight[4];
};

// The axes by falling fraction, indexed by (f0 < f1) | (f1 < f2) << 1 | (f0 < f2) << 2; the two
// indices no fractions can give (3 and 4) hold any order.
constexpr std::uint8_t kOrder[8][3] = {{0, 1, 2}, {1, 0, 2}, {0, 2, 1}, {0, 1, 2},
                                       {0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

class GridTransform final : public ColorTransform {
 public:
  GridTransform(std::unique_ptr<ColorTransform> system, PixelLayout layout)
      : system_(std::move(system)), layout_(layout) {}

  bool Translate(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out,
                 std::size_t outStride, std::uint32_t width, std::uint32_t rows) override {
    if (!tables_.grid) {
      if (failed_) return false;
      const std::uint64_t count = std::uint64_t{width} * rows;
      if (direct_ + count < GridSize(layout_)) {
        direct_ += count;
        return system_->Translate(in, inStride, out, outStride, width, rows);
      }
      if (!SampleGrid(*system_, layout_, tables_)) {
        tables_.grid.reset();
        failed_ = true;
        return false;
      }
    }
    Rows(in, inStride, out, outStride, width, rows);
    return true;
  }

 private:
  // The tetrahedron that holds the first three channels of p. The axes are ordered by a table
  // rather than by branches, which a photo's noise would mispredict.
  Simplex Locate(const std::uint8_t* p) const {
    const Cell& a = tables_.cells[0][p[0]];
    const Cell& b = tables_.cells[1][p[1]];
    const Cell& c = tables_.cells[2][p[2]];
    const std::uint32_t f[3] = {a.fraction, b.fraction, c.fraction};
    const std::uint8_t* axis = kOrder[(f[0] < f[1]) | (f[1] < f[2]) << 1 | (f[0] < f[2]) << 2];
    return {a.offset + b.offset + c.offset,
            {tables_.step[axis[0]], tables_.step[axis[1]], tables_.step[axis[2]]},
            {kOne - f[axis[0]], f[axis[0]] - f[axis[1]], f[axis[1]] - f[axis[2]], f[axis[2]]}};
  }

  // The weighted sum of the tetrahedron's points from point, each channel times kOne.
  void Blend(const Simplex& t, const std::uint16_t* point, std::uint32_t (&sum)[3]) const {
    for (int ch = 0; ch < 3; ++ch) sum[ch] = point[ch] * t.weight[0];
    for (int corner = 0; corner < 3; ++corner) {
      point += t.step[corner];
      for (int ch = 0; ch < 3; ++ch) sum[ch] += point[ch] * t.weight[corner + 1];
    }
  }

  // One loop for every layout: the layout's branches go the same way for every pixel.
  void Rows(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out, std::size_t outStride,
            std::uint32_t width, std::uint32_t rows) const {
    // Locals, so the compiler need not read them again after every byte written.
    const PixelLayout layout = layout_;
    const std::uint16_t* grid = tables_.grid.get();
    const std::uint8_t* levels = tables_.levels.data();
    const std::size_t inBytes = BytesPerPixel(layout);
    const std::size_t outBytes = BytesPerPixel(OutputLayout(layout));
    for (std::uint32_t y = 0; y < rows; ++y) {
      const std::uint8_t* p = in + y * inStride;
      std::uint8_t* q = out + y * outStride;
      for (std::uint32_t x = 0; x < width; ++x, p += inBytes, q += outBytes) {
        if (layout == PixelLayout::kGray8) {
          for (int ch = 0; ch < 3; ++ch) q[ch] = levels[grid[p[0] * kPointValues + ch]];
          continue;
        }
        const Simplex t = Locate(p);
        std::uint32_t sum[3];
        if (layout == PixelLayout::kCmyk32) {
          // Linear between the two nearest black levels.
          const Cell& k = tables_.cells[3][p[3]];
          std::uint32_t next[3];
          Blend(t, &grid[t.base + k.offset], sum);
          Blend(t, &grid[t.base + k.offset + tables_.step[3]], next);
          for (int ch = 0; ch < 3; ++ch) {
            sum[ch] = static_cast<std::uint32_t>((std::uint64_t{sum[ch]} * (kOne - k.fraction) +
                                                  std::uint64_t{next[ch]} * k.fraction) >>
                                                 16);
          }
        } else {
          Blend(t, &grid[t.base], sum);
        }
        for (int ch = 0; ch < 3; ++ch) q[ch] = levels[(sum[ch] + kOne / 2) >> 16];
        // A 32-bit pixel's unused byte stays its own.
        if (outBytes == 4) q[3] = p[3];
      }
    }
  }

  std::unique_ptr<ColorTransform> system_;
  PixelLayout layout_;
  std::uint64_t direct_ = 0;  // pixels handed to the system so far
  bool failed_ = false;
  GridTables tables_;  // once sampled
};

}  // namespace

std::unique_ptr<ColorTransform> SampledTransform(std::unique_ptr<ColorTransform> system,
                                                 PixelLayout layout) {
  if (!system) return nullptr;
  return std::make_unique<GridTransform>(std::move(system), layout);
}

}  // namespace tavilune
