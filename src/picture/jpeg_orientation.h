// A picture's EXIF orientation as the turn from its stored rows to the picture shown: mirror left
// to right, mirror top to bottom, and for orientations 5 to 8 an exchange of the sides, in which a
// stored row becomes a shown column. Decoded rows are written straight into their shown places,
// so turning a photo needs no second copy of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/bitmap.h"
#include "platform/types.h"

namespace tavilune {

class PictureOrientation {
 public:
  // EXIF orientation 1 to 8; any other value is 1, as stored.
  explicit PictureOrientation(int exifOrientation = 1);

  bool AsStored() const { return !swapSides_ && !mirrorX_ && !mirrorY_; }
  bool SwapsSides() const { return swapSides_; }
  // The shown picture's sides for a stored picture of these sides.
  std::int32_t ShownWidth(std::int32_t storedWidth, std::int32_t storedHeight) const {
    return swapSides_ ? storedHeight : storedWidth;
  }
  std::int32_t ShownHeight(std::int32_t storedWidth, std::int32_t storedHeight) const {
    return swapSides_ ? storedWidth : storedHeight;
  }
  // Where a rectangle of the stored picture (of the given sides) lies in the shown one.
  Rect Shown(const Rect& stored, std::int32_t storedWidth, std::int32_t storedHeight) const;

  // Writes count stored rows from firstRow on, held in band one after another rowStride bytes
  // apart with bytesPerPixel (1 or 3) bytes per pixel, into their shown places in bitmap, which
  // has the shown sides of a stored picture of storedWidth x storedHeight.
  void PlaceRows(TBitmap& bitmap, std::int32_t storedWidth, std::int32_t storedHeight,
                 std::int32_t firstRow, std::int32_t count, const std::uint8_t* band,
                 std::ptrdiff_t rowStride, int bytesPerPixel) const;

 private:
  template <int kBytes>
  void PlaceAsColumns(TBitmap& bitmap, std::int32_t storedWidth, std::int32_t storedHeight,
                      std::int32_t firstRow, std::int32_t count, const std::uint8_t* band,
                      std::ptrdiff_t rowStride) const;

  // In shown coordinates: the sides exchanged first, then each axis mirrored.
  bool swapSides_ = false;
  bool mirrorX_ = false;
  bool mirrorY_ = false;
};

}  // namespace tavilune
