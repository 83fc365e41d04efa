// ReadBitmapFile: a bitmap file (BITMAPFILEHEADER, a core or info header, masks, colour table,
// pixels) from a stream.
//
// Everything a file claims is checked before it is used. Limits of our own, beyond what the
// format states:
//  - the header block is 12 bytes (core) or 40 to kMaxHeaderSize bytes; others are refused;
//  - sides stay within Dib::kMaxDimension, so a hostile header cannot make us index beyond
//    reason;
//  - the file must hold what its header claims before the pixel memory is allocated (see
//    FileHoldsItsPixels): a few bytes cannot make us allocate gigabytes;
//  - pixel memory stays within the process's bound (Dib::LayoutAllowed, computed in 64 bits);
//    a picture over it is too large for memory (EOutOfMemory), not damaged;
//  - at most 256 colour-table entries are kept; further entries are skipped, as the pixels
//    follow the table;
//  - pixel bytes beyond the pixel array are ignored; run-length data is read up to the most any
//    writer needs for the picture's sides (MaxRunLengthBytes);
//  - the pixels follow the colour table, unless the file header's pixel offset points past the
//    table's end and inside the file: some writers leave a gap there, and the offset is then
//    where the pixels are. In a core-header file the offset may also end a colour table shorter
//    than the bit count implies (see ReadBitmapFile).
// The header is checked before anything after it is read or allocated. A refused file raises
// EInvalidGraphic ("ビットマップイメージが不正です"); bytes missing in the headers, masks or colour
// table raise EReadError, and take precedence over a refused header, as they would if the masks
// and the table were read first.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "platform/exceptions.h"
#include "picture/bitmap.h"
#include "picture/stream.h"
#include "platform/little_endian.h"

namespace tavilune {

namespace {

constexpr std::uint16_t kBitmapType = 19778;  // "BM"
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
// The largest header Windows defines is 124 bytes (BITMAPV5HEADER); allow room for more.
constexpr std::uint32_t kMaxHeaderSize = 1024;
constexpr std::size_t kMaxColors = 256;
// BITMAPV5HEADER: the colour space type, and where an embedded or linked profile lies.
constexpr std::size_t kV5HeaderSize = 124;
constexpr std::size_t kColorSpaceOffset = 56;
constexpr std::size_t kProfileDataOffset = 112;
constexpr std::size_t kProfileSizeOffset = 116;
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'
constexpr std::uint32_t kColorSpaceSrgb = 0x73524742;   // 'sRGB'

[[noreturn]] void RaiseInvalid() { throw EInvalidGraphic(u8"ビットマップイメージが不正です"); }
[[noreturn]] void RaiseOutOfMemory() { throw EOutOfMemory(u8"メモリが足りません"); }

[[noreturn]] void RaiseReadError() { throw EReadError(u8"ストリームからの読み込みエラー"); }

// Reads and drops count bytes; missing bytes are a read error.
void Skip(Stream& stream, std::uint64_t count) {
  if (count > stream.Remaining()) RaiseReadError();
  std::array<std::uint8_t, 4096> scratch;
  while (count > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
    stream.ReadBuffer(std::span(scratch.data(), chunk));
    count -= chunk;
  }
}

// How much more pixel memory a file may make us allocate than its bytes can fill. A file cut short
// loses its last rows, which stay black; small pictures load whatever is missing.
constexpr std::uint64_t kShortfallAllowance = 16ull * 1024 * 1024;

// Whether a file whose pixel data (from the pixels' start to the file's end) has dataBytes can
// honestly be a picture of these sides; one that cannot is damaged, and is refused before its
// pixel memory is allocated.
//  - Uncompressed rows: a download cut off after most of the picture still shows; but when the
//    missing bytes exceed both those present and the allowance, the file holds less than half
//    of what it claims and the claim is not believed. So the memory allocated is at most twice
//    the file's pixel data, plus the allowance.
//  - Run-length rows: the best any run-length data can do is 255 pixels for 2 bytes (a run of
//    one index), so a file too small for its sides even at that rate, beyond the allowance of
//    expanded (32-bit) memory, cannot be the picture it claims.
bool FileHoldsItsPixels(bool runLength, std::uint64_t arrayBytes, std::int64_t width,
                        std::int64_t height, std::uint64_t dataBytes) {
  if (runLength) {
    const std::uint64_t expanded = static_cast<std::uint64_t>(width) * height * 4;
    const std::uint64_t fillable = dataBytes / 2 * 255 * 4;
    return expanded <= fillable + kShortfallAllowance;
  }
  const std::uint64_t present = std::min(dataBytes, arrayBytes);
  const std::uint64_t missing = arrayBytes - present;
  return missing <= std::max(present, kShortfallAllowance);
}

// The most run-length data any writer needs for these sides: every pixel a run of its own (two
// bytes), an end of line for every row and an end of bitmap. Data beyond it cannot change the
// picture and is not read.
std::uint64_t MaxRunLengthBytes(std::int64_t width, std::int64_t height) {
  return 2 * static_cast<std::uint64_t>(width) * height + 2 * static_cast<std::uint64_t>(height) +
         2;
}

bool BitCountAllowed(std::uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Writes one colour into a 32-bit row; indices beyond the table give black, as the table has
// no colour for them.
void PutIndexed(std::uint8_t* row, std::int32_t x, unsigned index,
                const std::vector<RgbQuad>& colors) {
  std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
  if (index < colors.size()) {
    p[0] = colors[index].blue;
    p[1] = colors[index].green;
    p[2] = colors[index].red;
  } else {
    p[0] = p[1] = p[2] = 0;
  }
  p[3] = 0;
}

// Expands run-length data (4 or 8 bits per pixel) into a cleared 32-bit bitmap of the same
// sides, so that pixels the data skips (deltas, early line ends, early end) stay black whatever
// the colour table holds. Rows of run-length data go from the bottom row up.
void ExpandRunLength(std::span<const std::uint8_t> data, bool fourBits,
                     const std::vector<RgbQuad>& colors, Dib& out) {
  const std::int32_t width = out.Width();
  const std::int32_t height = out.Height();
  std::int32_t x = 0;
  std::int32_t line = 0;  // 0 is the bottom row
  std::size_t at = 0;
  auto put = [&](unsigned index) {
    if (x < width) {
      PutIndexed(out.Row(height - 1 - line), x, index, colors);
      ++x;
    }
  };
  while (at + 1 < data.size() && line < height) {
    const std::uint8_t count = data[at];
    const std::uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      // An encoded run: one index repeated, or for 4 bits two indices alternating.
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++line;
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // delta: move right and up, leaving the pixels passed over black
        if (at + 1 >= data.size()) return;
        // x is held at the width: beyond it nothing is drawn until the next line end, and a
        // long chain of deltas must not overflow it.
        x = std::min(x + data[at], width);
        line += data[at + 1];
        at += 2;
        break;
      }
      default: {  // absolute run of value pixels, padded to a 16-bit boundary
        const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
        const std::size_t available = std::min(bytes, data.size() - at);
        for (unsigned i = 0; i < value; ++i) {
          const std::size_t byte = fourBits ? i / 2 : i;
          if (byte >= available) break;
          const std::uint8_t b = data[at + byte];
          put(fourBits ? ((i & 1) ? b & 0x0F : b >> 4) : b);
        }
        at += bytes + (bytes & 1);
        break;
      }
    }
  }
}

}  // namespace

void ReadBitmapFile(TBitmap& bitmap, Stream& stream) {
  if (stream.Remaining() == 0) {
    bitmap.SetDib(Dib());
    bitmap.SetPalette(std::nullopt);
    bitmap.SetPaletteModified(false);
    return;
  }

  // Offsets in the file header count from the file's first byte, where the stream is now.
  const std::uint64_t fileSize = stream.Remaining();
  auto position = [&] { return fileSize - stream.Remaining(); };
  std::array<std::uint8_t, kFileHeaderSize> fileHeader;
  stream.ReadBuffer(fileHeader);
  LittleEndianReader fileFields(fileHeader);
  if (fileFields.GetUint16() != kBitmapType) RaiseInvalid();
  const std::uint32_t pixelOffset = fileFields.Seek(10).GetUint32();

  std::array<std::uint8_t, 4> sizeBytes;
  stream.ReadBuffer(sizeBytes);
  const std::uint32_t headerSize = LittleEndianReader(sizeBytes).GetUint32();
  const bool core = headerSize == kCoreHeaderSize;
  std::vector<std::uint8_t> header;
  if (core) {
    // A core header has 16-bit sides; widen it to the 40-byte header the system draws from.
    std::array<std::uint8_t, 8> rest;
    stream.ReadBuffer(rest);
    LittleEndianReader coreFields(rest);
    header.assign(kInfoHeaderSize, 0);
    LittleEndianWriter infoFields(header);
    infoFields.PutUint32(kInfoHeaderSize);
    infoFields.PutUint32(coreFields.GetUint16());  // width
    infoFields.PutUint32(coreFields.GetUint16());  // height
    infoFields.PutUint16(coreFields.GetUint16());  // planes
    infoFields.PutUint16(coreFields.GetUint16());  // bits per pixel
  } else {
    if (headerSize < kInfoHeaderSize) RaiseInvalid();
    if (headerSize - 4 > stream.Remaining()) RaiseReadError();
    if (headerSize > kMaxHeaderSize) RaiseInvalid();
    header.resize(headerSize);
    std::memcpy(header.data(), sizeBytes.data(), 4);
    stream.ReadBuffer(std::span(header).subspan(4));
  }

  LittleEndianReader fields(header);
  const std::int32_t width = fields.Seek(4).GetInt32();
  const std::int32_t rawHeight = fields.GetInt32();
  const std::uint16_t planes = fields.GetUint16();
  const std::uint16_t bitCount = fields.GetUint16();
  const std::uint32_t compression = fields.GetUint32();
  std::uint32_t imageSize = fields.GetUint32();
  const std::uint32_t colorsUsed = fields.Seek(32).GetUint32();

  if (planes != 1) RaiseInvalid();

  // The masks and the colour table that follow the header are only checked for being there
  // now; they are read once the header has passed its checks, so that a refused header costs
  // no allocation. A file that both lacks them and has a refused header is a read error, as
  // when they were read first.
  const bool masksFollow = headerSize == kInfoHeaderSize && (bitCount == 16 || bitCount == 32) &&
                           compression == kCompressionBitFields;
  const std::uint64_t maskBytes = masksFollow ? 12 : 0;
  if (maskBytes > stream.Remaining()) RaiseReadError();

  // The colour table: the file's count, or the full table for 1, 4 and 8 bits when it gives
  // none. Only 256 entries can be meant; any further ones are skipped.
  std::uint64_t tableEntries = colorsUsed;
  if (tableEntries == 0 && (bitCount == 1 || bitCount == 4 || bitCount == 8)) {
    tableEntries = std::uint64_t{1} << bitCount;
  }
  const std::size_t entrySize = core ? 3 : 4;
  // Core headers carry no count, so a writer that stores fewer colours than the bit count
  // implies can only say so through the pixel offset: a table that the offset cuts ends there
  // (with at least one whole entry before it; an offset at the table's start says nothing).
  const std::uint64_t tableStart = position() + maskBytes;
  bool tableCut = false;
  if (core && pixelOffset >= tableStart + entrySize &&
      pixelOffset < tableStart + tableEntries * entrySize) {
    tableEntries = (pixelOffset - tableStart) / entrySize;
    tableCut = true;
  }
  if (tableEntries * entrySize > stream.Remaining() - maskBytes) RaiseReadError();

  // What the system would refuse to make a bitmap of, and what is beyond our caps.
  if (!BitCountAllowed(bitCount)) RaiseInvalid();
  if (rawHeight == INT32_MIN || width <= 0 || rawHeight == 0) RaiseInvalid();
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  const bool runLength = compression == kCompressionRle8 || compression == kCompressionRle4;
  if (compression == kCompressionRle8 && bitCount != 8) RaiseInvalid();
  if (compression == kCompressionRle4 && bitCount != 4) RaiseInvalid();
  if (compression == kCompressionBitFields && bitCount != 16 && bitCount != 32) RaiseInvalid();
  if (compression != kCompressionRgb && compression != kCompressionBitFields && !runLength) {
    RaiseInvalid();
  }
  if (runLength && topDown) RaiseInvalid();  // run-length rows always go bottom up
  // Headers of 41 to 51 bytes neither hold the three masks nor have them read after them, so
  // the system would look for masks beyond the block it is given.
  if (compression == kCompressionBitFields && headerSize > kInfoHeaderSize &&
      headerSize < kInfoHeaderSize + 12) {
    RaiseInvalid();
  }
  const std::uint32_t heldBitCount = runLength ? 32 : bitCount;
  if (!Dib::SidesAllowed(width, height, heldBitCount)) RaiseInvalid();
  // A picture whose pixels are more than the program can hold is not damaged, only too large.
  if (!Dib::LayoutAllowed(width, height, heldBitCount)) RaiseOutOfMemory();

  std::optional<std::array<std::uint32_t, 3>> maskBlock;
  if (masksFollow) {
    std::array<std::uint8_t, 12> masks;
    stream.ReadBuffer(masks);
    LittleEndianReader maskFields(masks);
    const std::uint32_t red = maskFields.GetUint32();
    const std::uint32_t green = maskFields.GetUint32();
    maskBlock = std::array<std::uint32_t, 3>{red, green, maskFields.GetUint32()};
  }
  std::vector<RgbQuad> colors(
      static_cast<std::size_t>(std::min<std::uint64_t>(tableEntries, kMaxColors)));
  {
    std::vector<std::uint8_t> table(colors.size() * entrySize);
    stream.ReadBuffer(table);
    for (std::size_t i = 0; i < colors.size(); ++i) {
      const std::uint8_t* e = &table[i * entrySize];
      colors[i] = RgbQuad{e[0], e[1], e[2], 0};
      if (!core) colors[i].reserved = e[3];
    }
  }
  Skip(stream, (tableEntries - colors.size()) * entrySize);
  LittleEndianWriter headerFields(header);
  // A widened core header keeps its 0 (a full table) unless its table was cut short.
  if (!core || tableCut)
    headerFields.Seek(32).PutUint32(static_cast<std::uint32_t>(colors.size()));
  else
    headerFields.Seek(32).PutUint32(0);
  // Pixels that lie after a gap: the offset is honoured only past the table and inside the
  // file, so an offset that is wrong in any other way leaves the pixels after the table.
  if (pixelOffset > position() && pixelOffset < fileSize) Skip(stream, pixelOffset - position());

  const std::uint64_t arrayBytes = Dib::RowBytes(width, bitCount) * std::uint64_t(height);
  if (!FileHoldsItsPixels(runLength, arrayBytes, width, height, stream.Remaining())) {
    RaiseInvalid();
  }
  if (imageSize == 0) {
    imageSize = static_cast<std::uint32_t>(arrayBytes);
    headerFields.Seek(20).PutUint32(imageSize);
  }
  const std::uint64_t available = std::min<std::uint64_t>(imageSize, stream.Remaining());

  if (header.size() >= kV5HeaderSize) {
    // A colour profile embedded in or linked from the file is not kept with the bitmap, so the
    // header must not send the system looking for one: the colours are taken as sRGB.
    const std::uint32_t space = fields.Seek(kColorSpaceOffset).GetUint32();
    if (space == kProfileEmbedded || space == kProfileLinked) {
      headerFields.Seek(kColorSpaceOffset).PutUint32(kColorSpaceSrgb);
      headerFields.Seek(kProfileDataOffset).PutUint32(0);
      headerFields.Seek(kProfileSizeOffset).PutUint32(0);
    }
  }

  std::optional<Palette> palette;
  if (!colors.empty() && (bitCount > 8 || runLength)) {
    // Deep bitmaps (and the display-format result of run-length data) keep the file's colours
    // as a palette for screens of few colours.
    palette.emplace();
    for (const RgbQuad& c : colors) palette->entries.push_back({c.red, c.green, c.blue, 0});
  }

  Dib dib;
  try {
    if (runLength) {
      const auto count = static_cast<std::size_t>(
          std::min<std::uint64_t>(available, MaxRunLengthBytes(width, height)));
      std::vector<std::uint8_t> data(count);
      stream.ReadBuffer(data);
      dib = Dib::Blank(width, height, 32, false);
      ExpandRunLength(data, compression == kCompressionRle4, colors, dib);
    } else {
      if (imageSize > arrayBytes) {
        headerFields.Seek(20).PutUint32(static_cast<std::uint32_t>(arrayBytes));
      }
      dib = Dib(std::move(header), maskBlock, std::move(colors));
      // Straight into the pixel memory; only what the file does not cover is cleared.
      const std::span<std::uint8_t> pixels = dib.Pixels();
      const auto wanted =
          static_cast<std::size_t>(std::min<std::uint64_t>(available, pixels.size()));
      const std::size_t got = stream.Read(pixels.first(wanted));
      std::fill(pixels.begin() + static_cast<std::ptrdiff_t>(got), pixels.end(), std::uint8_t{0});
    }
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }

  bitmap.SetDib(std::move(dib));
  bitmap.SetPalette(std::move(palette));
  bitmap.SetPaletteModified(bitmap.GetPalette() != nullptr);
  bitmap.NotifyChanged();
}

}  // namespace tavilune
