#include "picture/dib_convert.h"

#include <bit>

#include "platform/little_endian.h"

namespace tavilune {

namespace {

struct Field {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
};

Field FieldOf(std::uint32_t mask) {
  Field f;
  f.mask = mask;
  if (mask == 0) return f;
  f.shift = std::countr_zero(mask);
  f.max = mask >> f.shift;
  return f;
}

// A field of n bits widened to 8 by repeating its bits (5-bit 10110 becomes 10110101), so that
// the largest value gives 255 and the smallest 0.
std::uint8_t Scale(std::uint32_t value, const Field& f) {
  if (f.mask == 0) return 0;
  const std::uint64_t v = (value & f.mask) >> f.shift;
  const int bits = std::bit_width(f.max);
  std::uint64_t wide = 0;
  int filled = 0;
  while (filled < 8) {
    wide = (wide << bits) | v;
    filled += bits;
  }
  return static_cast<std::uint8_t>(wide >> (filled - 8));
}

}  // namespace

std::vector<std::uint8_t> DibToRgb(const Dib& dib) {
  const std::int32_t width = dib.Width();
  const std::int32_t height = dib.Height();
  std::vector<std::uint8_t> rgb;
  if (dib.Empty()) return rgb;
  rgb.resize(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* out = rgb.data();
  const auto& colors = dib.Colors();
  const auto masks = dib.Masks();
  const Field red = FieldOf(masks[0]), green = FieldOf(masks[1]), blue = FieldOf(masks[2]);
  const unsigned bits = dib.BitCount();
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = dib.Row(y);
    LittleEndianReader values(std::span(row, dib.Stride()));
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint8_t r = 0, g = 0, b = 0;
      if (bits <= 8) {
        const std::size_t bitPos = static_cast<std::size_t>(x) * bits;
        const unsigned index = (row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
        if (index < colors.size()) {
          r = colors[index].red;
          g = colors[index].green;
          b = colors[index].blue;
        }
      } else if (bits == 24) {
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
        b = p[0];
        g = p[1];
        r = p[2];
      } else {
        // Pixels of 16 and 32 bits are little-endian values under the masks.
        const std::uint32_t value = bits == 16 ? values.GetUint16() : values.GetUint32();
        r = Scale(value, red);
        g = Scale(value, green);
        b = Scale(value, blue);
      }
      out[0] = r;
      out[1] = g;
      out[2] = b;
      out += 3;
    }
  }
  return rgb;
}

std::vector<std::uint8_t> EncodeBmp24(const Dib& dib) {
  const std::vector<std::uint8_t> rgb = DibToRgb(dib);
  const std::size_t width = static_cast<std::size_t>(dib.Width());
  const std::size_t height = static_cast<std::size_t>(dib.Height());
  const std::size_t stride = (width * 3 + 3) / 4 * 4;
  const std::size_t pixelBytes = stride * height;
  std::vector<std::uint8_t> file(54 + pixelBytes, 0);
  LittleEndianWriter header(file);
  header.PutByte('B');
  header.PutByte('M');
  header.PutUint32(static_cast<std::uint32_t>(file.size()));
  header.Seek(10).PutUint32(54);  // the pixels' offset
  header.PutUint32(40);           // the info header's size
  header.PutUint32(static_cast<std::uint32_t>(width));
  header.PutUint32(static_cast<std::uint32_t>(height));
  header.PutUint16(1);  // planes
  header.PutUint16(24);
  header.Seek(34).PutUint32(static_cast<std::uint32_t>(pixelBytes));
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* out = &file[54 + (height - 1 - y) * stride];
    const std::uint8_t* in = &rgb[y * width * 3];
    for (std::size_t x = 0; x < width; ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  return file;
}

}  // namespace tavilune
