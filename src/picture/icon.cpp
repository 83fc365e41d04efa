#include "picture/icon.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <span>

#include "picture/stream.h"
#include "platform/display.h"
#include "platform/exceptions.h"
#include "platform/little_endian.h"

namespace tavilune {

namespace {

constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G'};

[[noreturn]] void RaiseInvalid() { throw EInvalidGraphic(u8"アイコンイメージが不正です"); }

// Bits per pixel of an image: its own header knows best; the directory's fields are often 0.
int ImageBitCount(std::span<const std::uint8_t> image, std::uint16_t directoryBits,
                  std::uint8_t colorCount) {
  LittleEndianReader header(image);
  std::array<std::uint8_t, 8> signature;
  header.GetBytes(signature);
  if (header.Ok() &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), signature.begin())) {
    return 32;
  }
  const std::uint32_t headerSize = header.Seek(0).GetUint32();
  const std::uint16_t bits = header.Seek(14).GetUint16();
  if (header.Ok() && headerSize == 40) return bits;
  if (directoryBits != 0) return directoryBits;
  switch (colorCount) {
    case 2:
      return 1;
    case 16:
      return 4;
    default:
      return 8;
  }
}

}  // namespace

std::optional<std::size_t> ChooseIconImage(const std::vector<IconDirectoryEntry>& entries,
                                           std::int32_t wantedWidth, std::int32_t wantedHeight,
                                           int displayBitsPerPixel) {
  // The closest size among the images the display can show in full colour; only when there is
  // none, the closest size of all. Among equally close sizes the deepest colours win, then the
  // first in the file.
  bool anyFits = false;
  for (const auto& e : entries) anyFits = anyFits || e.bitCount <= displayBitsPerPixel;
  std::optional<std::size_t> best;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  int bestBits = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    if (anyFits && e.bitCount > displayBitsPerPixel) continue;
    const std::int64_t distance = std::llabs(std::int64_t{e.width} - wantedWidth) +
                                  std::llabs(std::int64_t{e.height} - wantedHeight);
    if (distance < bestDistance || (distance == bestDistance && e.bitCount > bestBits)) {
      best = i;
      bestDistance = distance;
      bestBits = e.bitCount;
    }
  }
  return best;
}

const GraphicClass& TIcon::StaticClass() {
  static const GraphicClass kClass{"TIcon", &TGraphic::StaticClass(), &TIcon::Create};
  return kClass;
}

std::unique_ptr<TGraphic> TIcon::Create() { return std::make_unique<TIcon>(); }

void TIcon::LoadFromStream(Stream& stream) {
  std::vector<std::uint8_t> bytes = stream.ReadToEnd();
  LittleEndianReader file(bytes);
  const std::uint16_t type = file.Seek(2).GetUint16();
  const std::uint16_t count = file.GetUint16();
  if (!file.Ok()) throw EReadError(u8"ストリームからの読み込みエラー");
  if (type != 0 && type != 1) RaiseInvalid();

  std::vector<IconDirectoryEntry> directory;
  std::optional<std::size_t> chosen;
  if (type == 1) {
    // The image is chosen now rather than at the first paint, so that the size the window takes
    // from the picture is the size it will show, and so that a directory that points outside
    // the file is refused while the previous picture can still stay.
    if (count == 0) RaiseInvalid();
    LittleEndianReader images(bytes);
    for (std::size_t i = 0; i < count && file.Ok(); ++i) {
      // Each entry: width, height, colour count, a reserved byte, planes, bits per pixel, the
      // image's size and its offset in the file.
      IconDirectoryEntry entry;
      const std::uint8_t width = file.GetByte();
      const std::uint8_t height = file.GetByte();
      entry.width = width == 0 ? 256 : width;
      entry.height = height == 0 ? 256 : height;
      const std::uint8_t colorCount = file.GetByte();
      entry.colorCount = colorCount;
      const std::uint16_t directoryBits = file.Skip(3).GetUint16();
      entry.bytes = file.GetUint32();
      entry.offset = file.GetUint32();
      const std::span<const std::uint8_t> image = images.Seek(entry.offset).GetSpan(entry.bytes);
      entry.bitCount = ImageBitCount(image, directoryBits, colorCount);
      directory.push_back(entry);
    }
    if (!file.Ok() || !images.Ok()) RaiseInvalid();
    const DisplayFacts& display = Display();
    chosen = ChooseIconImage(directory, display.standardIconWidth, display.standardIconHeight,
                             display.bitsPerPixel);
    if (!chosen || directory[*chosen].bytes == 0) RaiseInvalid();
  }

  bytes_ = std::move(bytes);
  type_ = type;
  directory_ = std::move(directory);
  chosen_ = chosen;
  handle_.reset();
  handleTried_ = false;
  Changed();
}

std::int32_t TIcon::Width() {
  if (bytes_.empty()) return 0;
  return chosen_ ? directory_[*chosen_].width : Display().standardIconWidth;
}

std::int32_t TIcon::Height() {
  if (bytes_.empty()) return 0;
  return chosen_ ? directory_[*chosen_].height : Display().standardIconHeight;
}

void TIcon::Draw(Canvas& canvas, const Rect& rect) {
  if (bytes_.empty()) return;
  if (!handleTried_) {
    // Made once and kept: a refused image is not tried again at every paint.
    handleTried_ = true;
    if (chosen_) {
      const IconDirectoryEntry& e = directory_[*chosen_];
      handle_ = canvas.CreateIcon(std::span(bytes_).subspan(e.offset, e.bytes), e.width, e.height);
    } else {
      handle_ = canvas.StandardApplicationIcon();
    }
  }
  if (handle_) canvas.DrawIcon(*handle_, rect);
}

}  // namespace tavilune
