// A device-independent bitmap as the system takes it: a header block (BITMAPINFOHEADER or one of
// its larger successors, kept byte for byte), optionally three colour masks that follow a 40-byte
// header, a colour table, and the pixel rows. Canvases draw it; decoders fill its rows directly.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/little_endian.h"
#include "platform/memory.h"

namespace tavilune {

// One colour-table entry in file order (RGBQUAD).
struct RgbQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// One logical-palette entry (PALETTEENTRY).
struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// A logical palette to select and realise before drawing: either explicit entries (version
// 0x300) or the system's halftone palette for the screen.
struct Palette {
  bool halftone = false;
  std::vector<PaletteEntry> entries;
};

constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

constexpr std::size_t kInfoHeaderSize = 40;

class Dib {
 public:
  // The longest side the program accepts: what a JPEG can have and more, and small enough that
  // coordinates of any picture and its window stay far from overflowing.
  static constexpr std::int32_t kMaxDimension = 65535;

  // Bytes per row: width times bit count rounded up to a multiple of 32 bits.
  static std::uint64_t RowBytes(std::int64_t width, std::uint32_t bitCount);
  // Whether a bitmap of these sides and depth has allowed sides and pixels that fit the pixel
  // memory bound of this process (PixelMemoryBound of the process-wide memory facts).
  static bool LayoutAllowed(std::int64_t width, std::int64_t height, std::uint32_t bitCount);
  // The part of LayoutAllowed that tells a damaged file: sides out of range or an unknown bit
  // count. A layout that passes this but not LayoutAllowed is a picture too large to hold.
  static bool SidesAllowed(std::int64_t width, std::int64_t height, std::uint32_t bitCount);

  Dib() = default;
  Dib(Dib&&) noexcept = default;
  Dib& operator=(Dib&&) noexcept = default;

  // Takes a header block of at least 40 bytes (height negative for rows stored top row first,
  // compression 0 or 3, sides within the caps), the masks that follow a 40-byte header with
  // compression 3, and the colour table. Allocates the pixel rows WITHOUT clearing them: the
  // caller writes every byte or clears what it does not write. Throws std::bad_alloc.
  Dib(std::vector<std::uint8_t> header, std::optional<std::array<std::uint32_t, 3>> maskBlock,
      std::vector<RgbQuad> colors);

  // A bitmap with a plain 40-byte header, uncompressed, cleared to zero.
  static Dib Blank(std::int32_t width, std::int32_t height, std::uint16_t bitCount, bool topDown,
                   std::vector<RgbQuad> colors = {});

  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::int32_t Width() const { return width_; }
  // Always positive; TopDown tells the row order in memory.
  std::int32_t Height() const { return height_; }
  bool TopDown() const { return topDown_; }
  std::uint16_t BitCount() const { return bitCount_; }
  std::uint32_t Compression() const { return compression_; }
  std::size_t Stride() const { return stride_; }

  const std::vector<std::uint8_t>& Header() const { return header_; }
  const std::optional<std::array<std::uint32_t, 3>>& MaskBlock() const { return maskBlock_; }
  // The red, green and blue masks in effect for 16- and 32-bit rows (the mask block, the masks
  // inside a larger header, or the system's defaults for compression 0).
  std::array<std::uint32_t, 3> Masks() const;
  const std::vector<RgbQuad>& Colors() const { return colors_; }
  void SetColors(std::vector<RgbQuad> colors);

  // The whole pixel array in memory order (first stored row first).
  std::span<std::uint8_t> Pixels() { return {pixels_.get(), pixelBytes_}; }
  std::span<const std::uint8_t> Pixels() const { return {pixels_.get(), pixelBytes_}; }

  // Row y of the picture, 0 being the top row, whatever the order in memory.
  std::uint8_t* Row(std::int32_t y);
  const std::uint8_t* Row(std::int32_t y) const;
  // Bytes from the top row to the row below it: positive for top-down memory, else negative.
  std::ptrdiff_t RowStep() const;

  // The BITMAPINFO block as the system takes it: header, mask block, colour table. Made when
  // the bitmap is made and when its colours change, not each time it is drawn.
  const std::vector<std::uint8_t>& BitmapInfo() const { return info_; }

  // Rows top to bottom - 1 (picture rows, 0 the top one) as a bitmap of their own: a BITMAPINFO
  // block for just those rows, in the same order in memory, and their first stored row.
  struct Band {
    std::vector<std::uint8_t> info;
    const std::uint8_t* bits = nullptr;
  };
  Band RowsOf(std::int32_t top, std::int32_t bottom) const;

 private:
  void MakeBitmapInfo();

  std::vector<std::uint8_t> header_;
  std::optional<std::array<std::uint32_t, 3>> maskBlock_;
  std::vector<RgbQuad> colors_;
  std::vector<std::uint8_t> info_;
  std::unique_ptr<std::uint8_t[]> pixels_;
  std::size_t pixelBytes_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool topDown_ = false;
  std::uint16_t bitCount_ = 0;
  std::uint32_t compression_ = kCompressionRgb;
  std::size_t stride_ = 0;
};

// ---- Inline implementation (kept in the header so every layer can use Dib without a library).

inline std::uint64_t Dib::RowBytes(std::int64_t width, std::uint32_t bitCount) {
  if (width <= 0) return 0;
  return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}

inline bool Dib::SidesAllowed(std::int64_t width, std::int64_t height, std::uint32_t bitCount) {
  return width >= 0 && height >= 0 && width <= kMaxDimension && height <= kMaxDimension &&
         bitCount != 0 && bitCount <= 32;
}

inline bool Dib::LayoutAllowed(std::int64_t width, std::int64_t height, std::uint32_t bitCount) {
  return SidesAllowed(width, height, bitCount) &&
         RowBytes(width, bitCount) * static_cast<std::uint64_t>(height) <=
             PixelMemoryBound(Memory());
}

inline Dib::Dib(std::vector<std::uint8_t> header,
                std::optional<std::array<std::uint32_t, 3>> maskBlock, std::vector<RgbQuad> colors)
    : header_(std::move(header)), maskBlock_(maskBlock), colors_(std::move(colors)) {
  LittleEndianReader fields(header_);
  width_ = fields.Seek(4).GetInt32();
  const std::int32_t rawHeight = fields.GetInt32();
  topDown_ = rawHeight < 0;
  height_ = topDown_ ? -rawHeight : rawHeight;
  bitCount_ = fields.Skip(2).GetUint16();
  compression_ = fields.GetUint32();
  stride_ = static_cast<std::size_t>(RowBytes(width_, bitCount_));
  pixelBytes_ = stride_ * static_cast<std::size_t>(height_);
  MakeBitmapInfo();
  if (pixelBytes_ > 0) pixels_ = std::make_unique_for_overwrite<std::uint8_t[]>(pixelBytes_);
}

inline Dib Dib::Blank(std::int32_t width, std::int32_t height, std::uint16_t bitCount, bool topDown,
                      std::vector<RgbQuad> colors) {
  std::vector<std::uint8_t> header(kInfoHeaderSize, 0);
  LittleEndianWriter fields(header);
  fields.PutUint32(kInfoHeaderSize);
  fields.PutInt32(width);
  fields.PutInt32(topDown ? -height : height);
  fields.PutUint16(1);  // planes
  fields.PutUint16(bitCount);
  fields.PutUint32(kCompressionRgb);
  fields.PutUint32(static_cast<std::uint32_t>(RowBytes(width, bitCount) * height));
  fields.Seek(32).PutUint32(static_cast<std::uint32_t>(colors.size()));
  Dib dib(std::move(header), std::nullopt, std::move(colors));
  if (dib.pixelBytes_ > 0) std::fill_n(dib.pixels_.get(), dib.pixelBytes_, std::uint8_t{0});
  return dib;
}

inline std::array<std::uint32_t, 3> Dib::Masks() const {
  if (compression_ == kCompressionBitFields) {
    if (maskBlock_) return *maskBlock_;
    if (header_.size() >= 52) {
      LittleEndianReader masks(header_);
      masks.Seek(40);
      const std::uint32_t red = masks.GetUint32();
      const std::uint32_t green = masks.GetUint32();
      return {red, green, masks.GetUint32()};
    }
  }
  if (bitCount_ == 16) return {0x7C00, 0x03E0, 0x001F};
  return {0x00FF0000, 0x0000FF00, 0x000000FF};
}

inline void Dib::SetColors(std::vector<RgbQuad> colors) {
  colors_ = std::move(colors);
  if (header_.size() >= kInfoHeaderSize) {
    LittleEndianWriter(header_).Seek(32).PutUint32(static_cast<std::uint32_t>(colors_.size()));
  }
  MakeBitmapInfo();
}

inline std::uint8_t* Dib::Row(std::int32_t y) {
  const std::int32_t stored = topDown_ ? y : height_ - 1 - y;
  return pixels_.get() + static_cast<std::size_t>(stored) * stride_;
}

inline const std::uint8_t* Dib::Row(std::int32_t y) const {
  const std::int32_t stored = topDown_ ? y : height_ - 1 - y;
  return pixels_.get() + static_cast<std::size_t>(stored) * stride_;
}

inline std::ptrdiff_t Dib::RowStep() const {
  const auto stride = static_cast<std::ptrdiff_t>(stride_);
  return topDown_ ? stride : -stride;
}

inline Dib::Band Dib::RowsOf(std::int32_t top, std::int32_t bottom) const {
  const std::int32_t rows = bottom - top;
  const std::int32_t firstStored = topDown_ ? top : height_ - bottom;
  Band band{info_, pixels_.get() + static_cast<std::size_t>(firstStored) * stride_};
  LittleEndianWriter fields(band.info);
  fields.Seek(8).PutInt32(topDown_ ? -rows : rows);
  fields.Seek(20).PutUint32(static_cast<std::uint32_t>(stride_ * static_cast<std::size_t>(rows)));
  return band;
}

inline void Dib::MakeBitmapInfo() {
  std::vector<std::uint8_t> info(header_);
  if (maskBlock_) {
    for (std::uint32_t mask : *maskBlock_) {
      for (int i = 0; i < 4; ++i) info.push_back(static_cast<std::uint8_t>(mask >> (8 * i)));
    }
  }
  for (const RgbQuad& c : colors_) info.insert(info.end(), {c.blue, c.green, c.red, c.reserved});
  info_ = std::move(info);
}

}  // namespace tavilune
