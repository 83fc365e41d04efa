// The tables a sampled transform (color_grid.h) turns pixels with: built once from the system's
// answers at the grid's points (color_grid_sample.cpp, compiled for size, as it runs once a
// picture), read for every pixel (color_grid.cpp, compiled for speed).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "picture/color_grid.h"

namespace tavilune::color_grid {

// Fractions and weights in 16-bit fixed point.
constexpr std::uint32_t kOne = 1u << 16;
// Values of a grid point: blue, green, red, whatever the system's output layout.
constexpr std::uint32_t kPointValues = 3;
// The span of a grid point's value, black to white. Values are stored from kSpan up, so that
// an unclipped value may lie a whole span beyond either end and every sum stays unsigned and
// within 32 bits (3 * kSpan * kOne), and pixels need no clamping: the level table covers it all.
constexpr int kSpan = 16383;
constexpr int kBlack = kSpan, kWhite = 2 * kSpan, kEnd = 3 * kSpan;

// Where an input level falls along one axis: the value offset of the grid point at or below it
// and how far it lies towards the next.
struct Cell {
  std::uint32_t offset = 0;
  std::uint32_t fraction = 0;
};

struct GridTables {
  // Blue, green, red of every point, the last axis in memory order varying fastest.
  std::unique_ptr<std::uint16_t[]> grid;
  std::uint32_t step[4] = {};  // offset from a point to the next along each axis
  std::array<Cell, 256> cells[4];
  std::array<std::uint8_t, kEnd + 1> levels;  // the output level of each value
};

constexpr unsigned GridAxes(PixelLayout layout) {
  return layout == PixelLayout::kCmyk32 ? 4 : layout == PixelLayout::kGray8 ? 1 : 3;
}

constexpr std::size_t GridSize(PixelLayout layout) {
  std::size_t size = 1;
  for (unsigned c = 0; c < GridAxes(layout); ++c) size *= GridPoints(layout);
  return size;
}

// One system call for every grid point, then the tables. False when the system fails or the
// memory is not there.
bool SampleGrid(ColorTransform& system, PixelLayout layout, GridTables& tables);

}  // namespace tavilune::color_grid
