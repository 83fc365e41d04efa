#include "picture/metafile.h"

#include <algorithm>

#include "forms/exceptions.h"
#include "picture/stream.h"
#include "platform/dib.h"
#include "platform/display.h"

namespace tavilune {

namespace {

constexpr std::uint32_t kEnhancedHeaderType = 1;
constexpr std::uint32_t kEnhancedSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

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
  const std::uint8_t* b = bytes.data();
  if (bytes.size() > 100 && Get32(b) == kEnhancedHeaderType &&
      Get32(b + 40) == kEnhancedSignature) {
    // The frame is in hundredths of a millimetre; the reference device's pixels and millimetres
    // turn it into pixels.
    const auto frameLeft = static_cast<std::int32_t>(Get32(b + 24));
    const auto frameTop = static_cast<std::int32_t>(Get32(b + 28));
    const auto frameRight = static_cast<std::int32_t>(Get32(b + 32));
    const auto frameBottom = static_cast<std::int32_t>(Get32(b + 36));
    const auto devicePixelsX = static_cast<std::int32_t>(Get32(b + 72));
    const auto devicePixelsY = static_cast<std::int32_t>(Get32(b + 76));
    const auto deviceMillimetresX = static_cast<std::int32_t>(Get32(b + 80));
    const auto deviceMillimetresY = static_cast<std::int32_t>(Get32(b + 84));
    const std::int64_t w = std::int64_t{frameRight} - frameLeft;
    const std::int64_t h = std::int64_t{frameBottom} - frameTop;
    widthHimetric_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(w, INT32_MIN, INT32_MAX));
    heightHimetric_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(h, INT32_MIN, INT32_MAX));
    width_ = Side(MulDiv(w, devicePixelsX, std::int64_t{deviceMillimetresX} * 100));
    height_ = Side(MulDiv(h, devicePixelsY, std::int64_t{deviceMillimetresY} * 100));
    enhanced_ = true;
    bits_ = std::move(bytes);
  } else {
    if (bytes.size() < kPlaceableHeaderSize || Get32(b) != kPlaceableKey) {
      throw EInvalidGraphic(u8"メタファイルが不正です");
    }
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= Get16(b + 2 * i);
    if (sum != Get16(b + 20)) throw EInvalidGraphic(u8"メタファイルが不正です");
    const auto left = static_cast<std::int16_t>(Get16(b + 6));
    const auto top = static_cast<std::int16_t>(Get16(b + 8));
    const auto right = static_cast<std::int16_t>(Get16(b + 10));
    const auto bottom = static_cast<std::int16_t>(Get16(b + 12));
    std::int64_t inch = Get16(b + 14);
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
