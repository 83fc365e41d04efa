#include "picture/color_grid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace tavilune {

namespace {

// Fractions and weights in 16-bit fixed point: 255 << 16 summed from four weights stays well
// inside 32 bits.
constexpr std::uint32_t kOne = 1u << 16;
// Bytes of a grid point: blue, green, red, whatever the system's output layout.
constexpr std::uint32_t kPointBytes = 3;

// Where an input level falls along one axis: the byte offset of the grid point at or below it
// and how far it lies towards the next.
struct Cell {
  std::uint32_t offset = 0;
  std::uint32_t fraction = 0;
};

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
    if (!grid_) {
      if (failed_) return false;
      const std::uint64_t count = std::uint64_t{width} * rows;
      if (direct_ + count < GridSize()) {
        direct_ += count;
        return system_->Translate(in, inStride, out, outStride, width, rows);
      }
      if (!Sample()) {
        grid_.reset();
        failed_ = true;
        return false;
      }
    }
    Rows(in, inStride, out, outStride, width, rows);
    return true;
  }

 private:
  unsigned Axes() const {
    return layout_ == PixelLayout::kCmyk32 ? 4 : layout_ == PixelLayout::kGray8 ? 1 : 3;
  }

  std::size_t GridSize() const {
    std::size_t size = 1;
    for (unsigned c = 0; c < Axes(); ++c) size *= GridPoints(layout_);
    return size;
  }

  // One system call for every grid point, then the cells of every level along every axis. The
  // last axis in memory order varies fastest in the grid.
  bool Sample() {
    const unsigned n = GridPoints(layout_);
    const unsigned axes = Axes();
    const std::size_t count = GridSize();
    const std::size_t inBytes = BytesPerPixel(layout_);
    const std::size_t outBytes = BytesPerPixel(OutputLayout(layout_));
    // Without the memory, the pixels stay as they are, as when the system fails.
    const std::unique_ptr<std::uint8_t[]> colours(new (std::nothrow) std::uint8_t[count * inBytes]);
    const std::unique_ptr<std::uint8_t[]> turned(new (std::nothrow) std::uint8_t[count * outBytes]);
    grid_.reset(new (std::nothrow) std::uint8_t[count * kPointBytes]);
    if (!colours || !turned || !grid_) return false;
    std::memset(colours.get(), 0, count * inBytes);
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t rest = i;
      for (unsigned c = axes; c-- > 0; rest /= n) {
        colours[i * inBytes + c] = static_cast<std::uint8_t>(GridLevel(rest % n, n));
      }
    }
    if (!system_->Translate(colours.get(), count * inBytes, turned.get(), count * outBytes,
                            static_cast<std::uint32_t>(count), 1)) {
      return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(&grid_[i * kPointBytes], &turned[i * outBytes], kPointBytes);
    }
    if (layout_ == PixelLayout::kGray8) return true;
    std::uint32_t stride = kPointBytes;
    for (unsigned c = axes; c-- > 0; stride *= n) {
      step_[c] = stride;
      unsigned i = 0;
      for (unsigned level = 0; level < 256; ++level) {
        if (i + 2 < n && GridLevel(i + 1, n) <= level) ++i;
        const unsigned low = GridLevel(i, n);
        const unsigned span = GridLevel(i + 1, n) - low;
        cells_[c][level] = {i * stride, ((level - low) * kOne + span / 2) / span};
      }
    }
    return true;
  }

  // The tetrahedron that holds the first three channels of p. The axes are ordered by a table
  // rather than by branches, which a photo's noise would mispredict.
  Simplex Locate(const std::uint8_t* p) const {
    const Cell& a = cells_[0][p[0]];
    const Cell& b = cells_[1][p[1]];
    const Cell& c = cells_[2][p[2]];
    const std::uint32_t f[3] = {a.fraction, b.fraction, c.fraction};
    const std::uint8_t* axis = kOrder[(f[0] < f[1]) | (f[1] < f[2]) << 1 | (f[0] < f[2]) << 2];
    return {a.offset + b.offset + c.offset,
            {step_[axis[0]], step_[axis[1]], step_[axis[2]]},
            {kOne - f[axis[0]], f[axis[0]] - f[axis[1]], f[axis[1]] - f[axis[2]], f[axis[2]]}};
  }

  // The weighted sum of the tetrahedron's points from point, each channel times kOne.
  void Blend(const Simplex& t, const std::uint8_t* point, std::uint32_t (&sum)[3]) const {
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
    const std::uint8_t* grid = grid_.get();
    const std::size_t inBytes = BytesPerPixel(layout);
    const std::size_t outBytes = BytesPerPixel(OutputLayout(layout));
    for (std::uint32_t y = 0; y < rows; ++y) {
      const std::uint8_t* p = in + y * inStride;
      std::uint8_t* q = out + y * outStride;
      for (std::uint32_t x = 0; x < width; ++x, p += inBytes, q += outBytes) {
        if (layout == PixelLayout::kGray8) {
          std::memcpy(q, &grid[p[0] * kPointBytes], kPointBytes);
          continue;
        }
        const Simplex t = Locate(p);
        std::uint32_t sum[3];
        if (layout == PixelLayout::kCmyk32) {
          // Linear between the two nearest black levels.
          const Cell& k = cells_[3][p[3]];
          std::uint32_t next[3];
          Blend(t, &grid[t.base + k.offset], sum);
          Blend(t, &grid[t.base + k.offset + step_[3]], next);
          for (int ch = 0; ch < 3; ++ch) {
            sum[ch] = static_cast<std::uint32_t>((std::uint64_t{sum[ch]} * (kOne - k.fraction) +
                                                  std::uint64_t{next[ch]} * k.fraction) >>
                                                 16);
          }
        } else {
          Blend(t, &grid[t.base], sum);
        }
        for (int ch = 0; ch < 3; ++ch)
          q[ch] = static_cast<std::uint8_t>((sum[ch] + kOne / 2) >> 16);
        // A 32-bit pixel's unused byte stays its own.
        if (outBytes == 4) q[3] = p[3];
      }
    }
  }

  std::unique_ptr<ColorTransform> system_;
  PixelLayout layout_;
  std::uint64_t direct_ = 0;  // pixels handed to the system so far
  bool failed_ = false;
  std::unique_ptr<std::uint8_t[]> grid_;  // blue, green, red of every point, once sampled
  std::uint32_t step_[4] = {};
  std::array<Cell, 256> cells_[4];
};

}  // namespace

std::unique_ptr<ColorTransform> SampledTransform(std::unique_ptr<ColorTransform> system,
                                                 PixelLayout layout) {
  if (!system) return nullptr;
  return std::make_unique<GridTransform>(std::move(system), layout);
}

}  // namespace tavilune
