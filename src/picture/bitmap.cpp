#include "picture/bitmap.h"

#include <new>

#include "platform/exceptions.h"
#include "platform/display.h"

namespace tavilune {

const GraphicClass& TBitmap::StaticClass() {
  static const GraphicClass kClass{"TBitmap", &TGraphic::StaticClass(), &TBitmap::Create};
  return kClass;
}

std::unique_ptr<TGraphic> TBitmap::Create() { return std::make_unique<TBitmap>(); }

void TBitmap::LoadFromStream(Stream& stream) {
  ReadBitmapFile(*this, stream, ColorManagementInUse());
}

const Palette* TBitmap::GetPalette() {
  if (palette_) return &*palette_;
  if (dib_.BitCount() > 8 || dib_.Colors().empty()) return nullptr;
  colorTablePalette_.halftone = false;
  colorTablePalette_.entries.clear();
  for (const RgbQuad& c : dib_.Colors()) {
    colorTablePalette_.entries.push_back(PaletteEntry{c.red, c.green, c.blue, 0});
  }
  return &colorTablePalette_;
}

void TBitmap::Draw(Canvas& canvas, const Rect& rect) {
  if (dib_.Empty()) return;
  // A screen of few colours shows a deeper bitmap best when the system dithers it (halftone);
  // otherwise colours are copied as they are, and a monochrome bitmap keeps the context's mode.
  const int screenBits = Display().bitsPerPixel;
  StretchMode mode = StretchMode::kColorOnColor;
  if (screenBits <= 8 && screenBits < dib_.BitCount()) {
    mode = StretchMode::kHalftone;
  } else if (dib_.BitCount() == 1) {
    mode = StretchMode::kDefault;
  }
  if (rect.Width() != dib_.Width() || rect.Height() != dib_.Height()) {
    canvas.DrawDib(dib_, rect, GetPalette(), mode);
    return;
  }
  // At natural size only the part the paint can change goes through the system, so a picture
  // of any size repaints as fast as the part of it on screen: the same pixels, one for one.
  const Rect shown = Intersection(rect, canvas.ClipBox());
  if (shown.Empty()) return;
  const Rect source{shown.left - rect.left, shown.top - rect.top, shown.right - rect.left,
                    shown.bottom - rect.top};
  canvas.DrawDibPart(dib_, shown, source, GetPalette(), mode);
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height, PixelFormat format) {
  const std::uint16_t bits = format == PixelFormat::k8Bit    ? 8
                             : format == PixelFormat::k24Bit ? 24
                                                             : 32;
  if (!Dib::SidesAllowed(width, height, bits)) {
    throw EInvalidGraphic(u8"ビットマップイメージが不正です");
  }
  // Sides a bitmap may have, but more pixels than the program can hold.
  if (!Dib::LayoutAllowed(width, height, bits)) throw EOutOfMemory(u8"メモリが足りません");
  std::vector<RgbQuad> colors;
  if (bits == 8) {
    // Until the decoder sets its own colours, indices show as grey levels; a table of all 256
    // entries keeps the system from reading colours beyond it.
    colors.resize(256);
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<std::uint8_t>(i);
      colors[i] = RgbQuad{v, v, v, 0};
    }
  }
  try {
    dib_ = Dib::Blank(width, height, bits, true, std::move(colors));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u8"メモリが足りません");
  }
  palette_.reset();
}

void TBitmap::SetColorTable(std::vector<RgbQuad> colors) {
  if (colors.empty() || colors.size() > 256) return;
  dib_.SetColors(std::move(colors));
}

void TBitmap::SetPalette(std::optional<Palette> palette) { palette_ = std::move(palette); }

}  // namespace tavilune
