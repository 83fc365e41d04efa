#include "picture/jpeg_orientation.h"

#include <algorithm>
#include <cstring>

namespace tavilune {

PictureOrientation::PictureOrientation(int exifOrientation) {
  // For each orientation, where the stored picture's first row and column are shown:
  //   1 top, left   2 top, right   3 bottom, right   4 bottom, left
  //   5 left, top   6 right, top   7 right, bottom   8 left, bottom
  struct Turn {
    bool swapSides, mirrorX, mirrorY;
  };
  static constexpr Turn kTurns[] = {
      {false, false, false}, {false, true, false}, {false, true, true}, {false, false, true},
      {true, false, false},  {true, true, false},  {true, true, true},  {true, false, true},
  };
  const int index = exifOrientation >= 1 && exifOrientation <= 8 ? exifOrientation - 1 : 0;
  swapSides_ = kTurns[index].swapSides;
  mirrorX_ = kTurns[index].mirrorX;
  mirrorY_ = kTurns[index].mirrorY;
}

Rect PictureOrientation::Shown(const Rect& stored, std::int32_t storedWidth,
                               std::int32_t storedHeight) const {
  // The stored rectangle with its sides exchanged where the picture's are, then mirrored.
  Rect r = swapSides_ ? Rect{stored.top, stored.left, stored.bottom, stored.right} : stored;
  const std::int32_t width = ShownWidth(storedWidth, storedHeight);
  const std::int32_t height = ShownHeight(storedWidth, storedHeight);
  if (mirrorX_) r = Rect{width - r.right, r.top, width - r.left, r.bottom};
  if (mirrorY_) r = Rect{r.left, height - r.bottom, r.right, height - r.top};
  return r;
}

void PictureOrientation::PlaceRows(TBitmap& bitmap, std::int32_t storedWidth,
                                   std::int32_t storedHeight, std::int32_t firstRow,
                                   std::int32_t count, const std::uint8_t* band,
                                   std::ptrdiff_t rowStride, int bytesPerPixel) const {
  if (swapSides_) {
    if (bytesPerPixel == 1) {
      PlaceAsColumns<1>(bitmap, storedWidth, storedHeight, firstRow, count, band, rowStride);
    } else {
      PlaceAsColumns<3>(bitmap, storedWidth, storedHeight, firstRow, count, band, rowStride);
    }
    return;
  }
  const std::size_t bytes = static_cast<std::size_t>(bytesPerPixel);
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t y = firstRow + k;
    const std::uint8_t* from = band + k * rowStride;
    std::uint8_t* to = bitmap.ScanLine(mirrorY_ ? storedHeight - 1 - y : y);
    if (!mirrorX_) {
      std::memcpy(to, from, static_cast<std::size_t>(storedWidth) * bytes);
      continue;
    }
    for (std::int32_t x = 0; x < storedWidth; ++x) {
      std::memcpy(to + static_cast<std::size_t>(storedWidth - 1 - x) * bytes, from + x * bytes,
                  bytes);
    }
  }
}

// A stored row becomes a shown column. Going along the band's columns, each one is written as a
// run of count pixels into one shown row: the band's rows stay in the cache while the bitmap is
// written in short contiguous pieces, rather than one scattered pixel per shown row.
template <int kBytes>
void PictureOrientation::PlaceAsColumns(TBitmap& bitmap, std::int32_t storedWidth,
                                        std::int32_t storedHeight, std::int32_t firstRow,
                                        std::int32_t count, const std::uint8_t* band,
                                        std::ptrdiff_t rowStride) const {
  // The shown column of the band's first row, and the direction the band's rows go from it.
  const std::int32_t firstColumn = mirrorX_ ? storedHeight - 1 - firstRow : firstRow;
  const std::ptrdiff_t columnStep = mirrorX_ ? -kBytes : kBytes;
  for (std::int32_t x = 0; x < storedWidth; ++x) {
    std::uint8_t* to = bitmap.ScanLine(mirrorY_ ? storedWidth - 1 - x : x) +
                       static_cast<std::ptrdiff_t>(firstColumn) * kBytes;
    const std::uint8_t* from = band + static_cast<std::ptrdiff_t>(x) * kBytes;
    for (std::int32_t k = 0; k < count; ++k, to += columnStep, from += rowStride) {
      std::memcpy(to, from, kBytes);
    }
  }
}

}  // namespace tavilune
