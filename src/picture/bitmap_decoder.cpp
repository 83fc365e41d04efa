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
//    than the bit count implies (see PlaceColorTable).
// The header is checked before anything after it is read or allocated. A refused file raises
// EInvalidGraphic ("ビットマップイメージが不正です"); bytes missing in the headers, masks or colour
// table raise EReadError, and take precedence over a refused header, as they would if the masks
// and the table were read first.
//
// A version 5 header may embed a colour profile (see ReadEmbeddedProfile). One that checks out
// turns the colours once, as the bitmap is read: the colour table of a bitmap of 8 bits or fewer,
// the rows of a deeper one. Whatever is wrong with a profile, the pixels stay as stored and the
// bitmap loads as before; a linked profile (a file name) is never opened.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "picture/bitmap.h"
#include "picture/icc_profile.h"
#include "picture/run_length.h"
#include "picture/stream.h"
#include "platform/exceptions.h"
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
// No profile in use is near this size; a larger claim is not read.
constexpr std::uint32_t kMaxProfileSize = 16u * 1024 * 1024;

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

// The headers as read: where the file header says the pixels start, whether the file has a
// core header, and the info header block the system draws from (a core header widened to it).
struct Headers {
  std::uint32_t pixelOffset = 0;
  bool core = false;
  std::vector<std::uint8_t> info;
};

// The file header and the bitmap header; nothing but the header block is allocated, and that
// only once its size has passed.
Headers ReadHeaders(Stream& stream) {
  std::array<std::uint8_t, kFileHeaderSize> fileHeader;
  stream.ReadBuffer(fileHeader);
  LittleEndianReader fileFields(fileHeader);
  if (fileFields.GetUint16() != kBitmapType) RaiseInvalid();
  Headers headers;
  headers.pixelOffset = fileFields.Seek(10).GetUint32();

  std::array<std::uint8_t, 4> sizeBytes;
  stream.ReadBuffer(sizeBytes);
  const std::uint32_t headerSize = LittleEndianReader(sizeBytes).GetUint32();
  headers.core = headerSize == kCoreHeaderSize;
  if (headers.core) {
    // A core header has 16-bit sides; widen it to the 40-byte header the system draws from.
    std::array<std::uint8_t, 8> rest;
    stream.ReadBuffer(rest);
    LittleEndianReader coreFields(rest);
    headers.info.assign(kInfoHeaderSize, 0);
    LittleEndianWriter infoFields(headers.info);
    infoFields.PutUint32(kInfoHeaderSize);
    infoFields.PutUint32(coreFields.GetUint16());  // width
    infoFields.PutUint32(coreFields.GetUint16());  // height
    infoFields.PutUint16(coreFields.GetUint16());  // planes
    infoFields.PutUint16(coreFields.GetUint16());  // bits per pixel
  } else {
    if (headerSize < kInfoHeaderSize) RaiseInvalid();
    if (headerSize - 4 > stream.Remaining()) RaiseReadError();
    if (headerSize > kMaxHeaderSize) RaiseInvalid();
    headers.info.resize(headerSize);
    std::memcpy(headers.info.data(), sizeBytes.data(), 4);
    stream.ReadBuffer(std::span(headers.info).subspan(4));
  }
  return headers;
}

// The picture as its headers lay it out.
struct Layout {
  std::int32_t width = 0;
  std::int32_t height = 0;  // rawHeight without its sign, which says the rows go top down
  std::int32_t rawHeight = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  bool runLength = false;
  // The masks and the colour table that follow the header; at most kMaxColors entries are kept.
  bool masksFollow = false;
  std::uint64_t tableEntries = 0;
  std::size_t entrySize = 4;
  bool tableCut = false;
};

// The colour table: the file's count, or the full table for 1, 4 and 8 bits when it gives none.
// Core headers carry no count, so a writer that stores fewer colours than the bit count implies
// can only say so through the pixel offset: a table that the offset cuts ends there (with at
// least one whole entry before it; an offset at the table's start says nothing).
void PlaceColorTable(Layout& layout, const Headers& headers, std::uint32_t colorsUsed,
                     std::uint64_t tableStart) {
  const std::uint16_t bits = layout.bitCount;
  layout.tableEntries = colorsUsed;
  if (colorsUsed == 0 && (bits == 1 || bits == 4 || bits == 8)) {
    layout.tableEntries = std::uint64_t{1} << bits;
  }
  layout.entrySize = headers.core ? 3 : 4;
  const std::uint64_t tableEnd = tableStart + layout.tableEntries * layout.entrySize;
  if (headers.core && headers.pixelOffset >= tableStart + layout.entrySize &&
      headers.pixelOffset < tableEnd) {
    layout.tableEntries = (headers.pixelOffset - tableStart) / layout.entrySize;
    layout.tableCut = true;
  }
}

// What the system would refuse to make a bitmap of, and what is beyond our caps.
void CheckLayout(const Layout& layout, std::size_t headerSize) {
  const std::uint32_t compression = layout.compression;
  const std::uint16_t bits = layout.bitCount;
  if (!BitCountAllowed(bits)) RaiseInvalid();
  if (layout.rawHeight == INT32_MIN || layout.width <= 0 || layout.rawHeight == 0) RaiseInvalid();
  if (compression == kCompressionRle8 && bits != 8) RaiseInvalid();
  if (compression == kCompressionRle4 && bits != 4) RaiseInvalid();
  if (compression == kCompressionBitFields && bits != 16 && bits != 32) RaiseInvalid();
  if (compression != kCompressionRgb && compression != kCompressionBitFields && !layout.runLength) {
    RaiseInvalid();
  }
  if (layout.runLength && layout.rawHeight < 0) RaiseInvalid();  // run-length rows go bottom up
  // Headers of 41 to 51 bytes neither hold the three masks nor have them read after them, so
  // the system would look for masks beyond the block it is given.
  if (compression == kCompressionBitFields && headerSize > kInfoHeaderSize &&
      headerSize < kInfoHeaderSize + 12) {
    RaiseInvalid();
  }
  const std::uint32_t heldBitCount = layout.runLength ? 32 : bits;
  if (!Dib::SidesAllowed(layout.width, layout.height, heldBitCount)) RaiseInvalid();
  // A picture whose pixels are more than the program can hold is not damaged, only too large.
  if (!Dib::LayoutAllowed(layout.width, layout.height, heldBitCount)) RaiseOutOfMemory();
}

// The layout the headers describe, checked before anything after them is read or allocated.
// The masks and the colour table are only checked for being there: a file that both lacks them
// and has a refused header is a read error, as when they were read first. position is where the
// stream stands after the headers, remaining what is left there.
Layout LayOut(const Headers& headers, std::uint64_t position, std::uint64_t remaining) {
  Layout layout;
  LittleEndianReader fields(headers.info);
  layout.width = fields.Seek(4).GetInt32();
  layout.rawHeight = fields.GetInt32();
  const std::uint16_t planes = fields.GetUint16();
  layout.bitCount = fields.GetUint16();
  layout.compression = fields.GetUint32();
  layout.imageSize = fields.GetUint32();
  const std::uint32_t colorsUsed = fields.Seek(32).GetUint32();
  assert(fields.Ok() && "the info header holds at least its 40 bytes");
  if (planes != 1) RaiseInvalid();

  const std::uint32_t compression = layout.compression;
  // INT32_MIN has no positive counterpart; CheckLayout refuses it.
  layout.height = layout.rawHeight == INT32_MIN ? 0 : std::abs(layout.rawHeight);
  layout.runLength = compression == kCompressionRle8 || compression == kCompressionRle4;
  layout.masksFollow = headers.info.size() == kInfoHeaderSize &&
                       (layout.bitCount == 16 || layout.bitCount == 32) &&
                       compression == kCompressionBitFields;
  const std::uint64_t maskBytes = layout.masksFollow ? 12 : 0;
  if (maskBytes > remaining) RaiseReadError();
  PlaceColorTable(layout, headers, colorsUsed, position + maskBytes);
  if (layout.tableEntries * layout.entrySize > remaining - maskBytes) RaiseReadError();

  CheckLayout(layout, headers.info.size());
  return layout;
}

struct ColorTable {
  std::optional<std::array<std::uint32_t, 3>> masks;
  std::vector<RgbQuad> colors;
};

// The masks and the colour entries the program keeps; further entries are read and dropped, as
// the pixels follow them.
ColorTable ReadColorTable(Stream& stream, const Layout& layout) {
  ColorTable table;
  if (layout.masksFollow) {
    std::array<std::uint8_t, 12> masks;
    stream.ReadBuffer(masks);
    LittleEndianReader maskFields(masks);
    const std::uint32_t red = maskFields.GetUint32();
    const std::uint32_t green = maskFields.GetUint32();
    table.masks = std::array<std::uint32_t, 3>{red, green, maskFields.GetUint32()};
  }
  const std::size_t kept =
      static_cast<std::size_t>(std::min<std::uint64_t>(layout.tableEntries, kMaxColors));
  std::vector<std::uint8_t> entries(kept * layout.entrySize);
  stream.ReadBuffer(entries);
  table.colors.resize(kept);
  for (std::size_t i = 0; i < kept; ++i) {
    const std::uint8_t* e = &entries[i * layout.entrySize];
    table.colors[i] = RgbQuad{e[0], e[1], e[2], layout.entrySize == 4 ? e[3] : std::uint8_t{0}};
  }
  Skip(stream, (layout.tableEntries - kept) * layout.entrySize);
  return table;
}

// The header as the system is to draw from it: the colours kept, the pixel array's true size,
// and no colour profile, which is not kept with the bitmap (the colours are taken as sRGB).
void PrepareInfoHeader(std::vector<std::uint8_t>& info, const Layout& layout, bool core,
                       std::size_t colorCount, std::uint64_t arrayBytes) {
  LittleEndianWriter fields(info);
  // A widened core header keeps its 0 (a full table) unless its table was cut short.
  const bool countColors = !core || layout.tableCut;
  fields.Seek(32).PutUint32(countColors ? static_cast<std::uint32_t>(colorCount) : 0);
  if (layout.imageSize == 0 || (!layout.runLength && layout.imageSize > arrayBytes)) {
    fields.Seek(20).PutUint32(static_cast<std::uint32_t>(arrayBytes));
  }
  if (info.size() >= kV5HeaderSize) {
    const std::uint32_t space = LittleEndianReader(info).Seek(kColorSpaceOffset).GetUint32();
    if (space == kProfileEmbedded || space == kProfileLinked) {
      fields.Seek(kColorSpaceOffset).PutUint32(kColorSpaceSrgb);
      fields.Seek(kProfileDataOffset).PutUint32(0);
      fields.Seek(kProfileSizeOffset).PutUint32(0);
    }
  }
}

// Where the header says its embedded profile lies in the file: from (counted from the file's first
// byte) and its size; nothing for a bitmap without one or one whose claim is beyond reason.
struct ProfilePlace {
  std::uint64_t start = 0;
  std::uint32_t size = 0;
};

std::optional<ProfilePlace> EmbeddedProfilePlace(const std::vector<std::uint8_t>& info) {
  if (info.size() < kV5HeaderSize) return std::nullopt;
  LittleEndianReader fields(info);
  if (fields.Seek(kColorSpaceOffset).GetUint32() != kProfileEmbedded) return std::nullopt;
  // The offset counts from the info header's start, which follows the file header.
  const std::uint32_t offset = fields.Seek(kProfileDataOffset).GetUint32();
  const std::uint32_t size = fields.Seek(kProfileSizeOffset).GetUint32();
  if (size == 0 || size > kMaxProfileSize) return std::nullopt;
  return ProfilePlace{kFileHeaderSize + std::uint64_t{offset}, size};
}

// Reads the profile when it starts at or after the stream's position (the file's position
// given) and lies whole inside the file; a profile placed over the headers, the table or the
// pixels is damage and is left alone. Writers put it after the pixels, some in the gap before
// them.
std::vector<std::uint8_t> ReadEmbeddedProfile(Stream& stream, std::uint64_t position,
                                              const ProfilePlace& place) {
  if (place.start < position || place.start - position > stream.Remaining() ||
      place.size > stream.Remaining() - (place.start - position)) {
    return {};
  }
  Skip(stream, place.start - position);
  std::vector<std::uint8_t> profile(place.size);
  stream.ReadBuffer(profile);
  return profile;
}

// Turns the bitmap's colours through the profile: the colour table of a bitmap of 8 bits or
// fewer, else 24-bit rows and 32-bit rows with the standard masks in place. 16-bit rows and other
// masks keep their colours. Rows are turned in memory order, which is no matter for colours.
// True when a transform was made (a failing system may have turned only some rows).
bool ApplyEmbeddedProfile(Dib& dib, std::span<const std::uint8_t> profile,
                          ColorManagement& colors) {
  const bool table = dib.BitCount() <= 8;
  const bool standard32 =
      dib.BitCount() == 32 && dib.Masks() == std::array<std::uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
  if (!table && dib.BitCount() != 24 && !standard32) return false;
  if (table && dib.Colors().empty()) return false;
  const PixelLayout layout = dib.BitCount() == 24 ? PixelLayout::kBgr24 : PixelLayout::kBgrx32;
  const std::unique_ptr<ColorTransform> transform = ProfileTransform(colors, profile, layout);
  if (!transform) return false;
  if (table) {
    std::vector<RgbQuad> entries = dib.Colors();
    TranslateColorTable(*transform, layout, entries);
    dib.SetColors(std::move(entries));
    return true;
  }
  transform->Translate(dib.Pixels().data(), dib.Stride(), dib.Pixels().data(), dib.Stride(),
                       static_cast<std::uint32_t>(dib.Width()),
                       static_cast<std::uint32_t>(dib.Height()));
  return true;
}

// The pixels, up to available bytes of the stream: run-length data expanded into a 32-bit
// bitmap, other pixels straight into the pixel memory, where only what the file does not cover
// is cleared.
Dib ReadPixels(Stream& stream, const Layout& layout, std::uint64_t available,
               std::vector<std::uint8_t> info, ColorTable table) {
  try {
    if (layout.runLength) {
      const auto count = static_cast<std::size_t>(
          std::min<std::uint64_t>(available, MaxRunLengthBytes(layout.width, layout.height)));
      std::vector<std::uint8_t> data(count);
      stream.ReadBuffer(data);
      Dib dib = Dib::Blank(layout.width, layout.height, 32, false);
      ExpandRunLength(data, layout.compression == kCompressionRle4, table.colors, dib);
      return dib;
    }
    Dib dib(std::move(info), table.masks, std::move(table.colors));
    const std::span<std::uint8_t> pixels = dib.Pixels();
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(available, pixels.size()));
    const std::size_t got = stream.Read(pixels.first(wanted));
    std::fill(pixels.begin() + static_cast<std::ptrdiff_t>(got), pixels.end(), std::uint8_t{0});
    return dib;
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
}

}  // namespace

void ReadBitmapFile(TBitmap& bitmap, Stream& stream, ColorManagement* colors) {
  if (stream.Remaining() == 0) {
    bitmap.SetDib(Dib());
    bitmap.SetPalette(std::nullopt);
    bitmap.SetPaletteModified(false);
    return;
  }

  // Offsets in the file header count from the file's first byte, where the stream is now.
  const std::uint64_t fileSize = stream.Remaining();
  auto position = [&] { return fileSize - stream.Remaining(); };
  Headers headers = ReadHeaders(stream);
  const Layout layout = LayOut(headers, position(), stream.Remaining());
  ColorTable table = ReadColorTable(stream, layout);

  const std::optional<ProfilePlace> profilePlace =
      colors != nullptr ? EmbeddedProfilePlace(headers.info) : std::nullopt;
  std::vector<std::uint8_t> profile;
  // Pixels that lie after a gap: the offset is honoured only past the table and inside the
  // file, so an offset that is wrong in any other way leaves the pixels after the table. A
  // profile may lie in the gap.
  if (headers.pixelOffset > position() && headers.pixelOffset < fileSize) {
    if (profilePlace && profilePlace->start + profilePlace->size <= headers.pixelOffset) {
      profile = ReadEmbeddedProfile(stream, position(), *profilePlace);
    }
    Skip(stream, headers.pixelOffset - position());
  }
  const std::uint64_t arrayBytes =
      Dib::RowBytes(layout.width, layout.bitCount) * std::uint64_t(layout.height);
  if (!FileHoldsItsPixels(layout.runLength, arrayBytes, layout.width, layout.height,
                          stream.Remaining())) {
    RaiseInvalid();
  }
  const std::uint64_t claimed = layout.imageSize == 0 ? arrayBytes : layout.imageSize;
  const std::uint64_t available = std::min<std::uint64_t>(claimed, stream.Remaining());

  std::optional<Palette> palette;
  if (!table.colors.empty() && (layout.bitCount > 8 || layout.runLength)) {
    // Deep bitmaps (and the display-format result of run-length data) keep the file's colours
    // as a palette for screens of few colours.
    palette.emplace();
    for (const RgbQuad& c : table.colors) palette->entries.push_back({c.red, c.green, c.blue, 0});
  }
  PrepareInfoHeader(headers.info, layout, headers.core, table.colors.size(), arrayBytes);
  Dib dib = ReadPixels(stream, layout, available, std::move(headers.info), std::move(table));
  if (profilePlace && profile.empty()) {
    profile = ReadEmbeddedProfile(stream, position(), *profilePlace);
  }
  const bool turned = !profile.empty() && ApplyEmbeddedProfile(dib, profile, *colors);

  bitmap.SetDib(std::move(dib));
  bitmap.SetTurnedForDisplay(turned);
  bitmap.SetPalette(std::move(palette));
  bitmap.SetPaletteModified(bitmap.GetPalette() != nullptr);
  bitmap.NotifyChanged();
}

}  // namespace tavilune
