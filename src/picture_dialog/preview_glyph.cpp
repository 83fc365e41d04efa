#include "picture_dialog/preview_glyph.h"

#include <utility>
#include <vector>

#include "picture/bitmap.h"
#include "picture/stream.h"

namespace tavilune {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

Color ColorOf(const RgbQuad& quad) {
  return static_cast<Color>(quad.red | quad.green << 8 | quad.blue << 16);
}

// The colour of one pixel of an uncompressed bitmap of 1, 4, 8, 24 or 32 bits.
Color PixelColor(const Dib& dib, std::int32_t x, std::int32_t y) {
  const std::uint8_t* row = dib.Row(y);
  auto indexed = [&](std::uint32_t index) -> Color {
    return index < dib.Colors().size() ? ColorOf(dib.Colors()[index]) : kBlack;
  };
  switch (dib.BitCount()) {
    case 1:
      return indexed((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
      return indexed(x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
    case 8:
      return indexed(row[x]);
    case 24:
      return ColorOf(RgbQuad{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0});
    case 32:
      return ColorOf(RgbQuad{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], 0});
    default:
      return kBlack;
  }
}

}  // namespace

ButtonGlyph ButtonGlyphFromResource(std::span<const std::uint8_t> packedDib) {
  // The bitmap reader takes a file: give the resource the 14-byte file header it lacks. The
  // reader takes the pixels to follow the colour table, so the offset field may stay 0.
  std::vector<std::uint8_t> file(kFileHeaderSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  file.insert(file.end(), packedDib.begin(), packedDib.end());
  try {
    TBitmap bitmap;
    MemoryStream stream(file);
    ReadBitmapFile(bitmap, stream);
    const Dib& dib = bitmap.GetDib();
    const std::uint16_t bits = dib.BitCount();
    const bool readable = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
    if (dib.Empty() || !readable || dib.Compression() != kCompressionRgb) return ButtonGlyph();
    std::vector<Color> pixels;
    pixels.reserve(static_cast<std::size_t>(dib.Width()) * dib.Height());
    for (std::int32_t y = 0; y < dib.Height(); ++y) {
      for (std::int32_t x = 0; x < dib.Width(); ++x) pixels.push_back(PixelColor(dib, x, y));
    }
    return ButtonGlyph(dib.Width(), dib.Height(), std::move(pixels));
  } catch (...) {
    // A damaged resource leaves the button without a picture rather than the dialog unusable.
    return ButtonGlyph();
  }
}

}  // namespace tavilune
