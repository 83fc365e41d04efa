#include "picture/metafile.h"

#include <algorithm>

#include "picture/stream.h"
#include "platform/dib.h"
#include "platform/display.h"
#include "platform/exceptions.h"
#include "platform/little_endian.h"

namespace tavilune {

namespace {

constexpr std::uint32_t kEnhancedHeaderType = 1;
constexpr std::uint32_t kEnhancedSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;

// a * b / c rounded half away from zero, as the system's MulDiv; 0 for c = 0. A header can
// put any 32-bit value in every field, so the work is done on magnitudes in unsigned 64 bits:
// |a| < 2^32 (a difference of two 32-bit values) and |b| <= 2^31 keep the product below 2^63,
// and the rounding compares the remainder instead of adding half the divisor to the product.
// The result may lie beyond 64 bits' signed range only in theory; callers clamp it anyway.
std::int64_t MulDiv(std::int64_t a, std::int32_t b, std::int64_t c) {
  if (c == 0) return 0;
  auto magnitude = [](std::int64_t v) {
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  };
  const std::uint64_t product = magnitude(a) * magnitude(b);
  const std::uint64_t divisor = magnitude(c);
  std::uint64_t quotient = product / divisor;
  if (product % divisor >= divisor - product % divisor) ++quotient;
  const auto capped = static_cast<std::int64_t>(std::min<std::uint64_t>(quotient, INT64_MAX));
  const bool negative = (((a < 0) != (b < 0)) != (c < 0)) && quotient != 0;
  return negative ? -capped : capped;
}

// A picture side in pixels: a file can claim any 32-bit frame, but a window cannot be that
// large, so sides are kept between 0 and the largest bitmap side the program accepts.
std::int32_t Side(std::int64_t pixels) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels, 0, Dib::kMaxDimension));
}

}  // namespace

const GraphicClass& TMetafile::StaticClass() {
  static const GraphicClass kClass{"TMetafile", &TGraphic::StaticClass(), &TMetafile::Create};
  return kClass;
}

std::unique_ptr<TGraphic> TMetafile::Create() { return std::make_unique<TMetafile>(); }

void TMetafile::LoadFromStream(Stream& stream) {
  std::vector<std::uint8_t> bytes = stream.ReadToEnd();
  LittleEndianReader header(bytes);
  const std::uint32_t key = header.GetUint32();
  if (bytes.size() > 100 && key == kEnhancedHeaderType &&
      header.Seek(40).GetUint32() == kEnhancedSignature) {
    // The frame is in hundredths of a millimetre; the reference device's pixels and millimetres
    // turn it into pixels.
    const std::int32_t frameLeft = header.Seek(24).GetInt32();
    const std::int32_t frameTop = header.GetInt32();
    const std::int32_t frameRight = header.GetInt32();
    const std::int32_t frameBottom = header.GetInt32();
    const std::int32_t devicePixelsX = header.Seek(72).GetInt32();
    const std::int32_t devicePixelsY = header.GetInt32();
    const std::int32_t deviceMillimetresX = header.GetInt32();
    const std::int32_t deviceMillimetresY = header.GetInt32();
    const std::int64_t w = std::int64_t{frameRight} - frameLeft;
    const std::int64_t h = std::int64_t{frameBottom} - frameTop;
    widthHimetric_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(w, INT32_MIN, INT32_MAX));
    heightHimetric_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(h, INT32_MIN, INT32_MAX));
    width_ = Side(MulDiv(w, devicePixelsX, std::int64_t{deviceMillimetresX} * 100));
    height_ = Side(MulDiv(h, devicePixelsY, std::int64_t{deviceMillimetresY} * 100));
    enhanced_ = true;
    bits_ = std::move(bytes);
  } else {
    // The placeable header's checksum: its first ten 16-bit words combined by exclusive or.
    header.Seek(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= header.GetUint16();
    const std::uint16_t checksum = header.GetUint16();
    if (!header.Ok() || key != kPlaceableKey || sum != checksum) {
      throw EInvalidGraphic(u8"メタファイルが不正です");
    }
    const std::int16_t left = header.Seek(6).GetInt16();
    const std::int16_t top = header.GetInt16();
    const std::int16_t right = header.GetInt16();
    const std::int16_t bottom = header.GetInt16();
    std::int64_t inch = header.GetUint16();
    if (inch == 0) inch = 96;
    widthHimetric_ = static_cast<std::int32_t>(MulDiv(std::int64_t{right} - left, 2540, inch));
    heightHimetric_ = static_cast<std::int32_t>(MulDiv(std::int64_t{bottom} - top, 2540, inch));
    const int ppi = Display().pixelsPerInchY;
    width_ = Side(MulDiv(widthHimetric_, ppi, 2540));
    height_ = Side(MulDiv(heightHimetric_, ppi, 2540));
    enhanced_ = false;
    bits_.assign(bytes.begin() + kPlaceableHeaderSize, bytes.end());
  }
  handle_.reset();
  handleTried_ = false;
  Changed();
}

void TMetafile::Draw(Canvas& canvas, const Rect& rect) {
  if (!handleTried_) {
    handleTried_ = true;
    handle_ = canvas.CreateMetafile(enhanced_ ? MetafileBits::kEnhanced : MetafileBits::kWindows,
                                    bits_, widthHimetric_, heightHimetric_);
  }
  if (handle_) canvas.DrawMetafile(*handle_, rect);
}

}  // namespace tavilune
