#include "platform/win32/canvas_win32.h"

#include <utility>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

namespace {

COLORREF ColorRef(Color color) { return static_cast<COLORREF>(color) & 0x00FFFFFF; }

// The default GUI font's height at 96 DPI, in pixels (8 points).
constexpr int kDialogFontHeight = 11;

class Win32Icon : public NativeIcon {
 public:
  // An icon the program made, destroyed with this object.
  explicit Win32Icon(OwnedIcon made) : made_(std::move(made)), icon_(made_.Get()) {}
  // One of the system's shared icons, which nobody may destroy.
  explicit Win32Icon(HICON shared) : icon_(shared) {}
  HICON Get() const { return icon_; }

 private:
  OwnedIcon made_;
  HICON icon_;
};

class Win32Metafile : public NativeMetafile {
 public:
  explicit Win32Metafile(OwnedMetafile metafile) : metafile_(std::move(metafile)) {}
  HENHMETAFILE Get() const { return metafile_.Get(); }

 private:
  OwnedMetafile metafile_;
};

GdiObject<HPALETTE> MakePalette(HDC dc, const Palette& palette) {
  if (palette.halftone) return GdiObject<HPALETTE>(CreateHalftonePalette(dc));
  if (palette.entries.empty()) return {};
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) +
                                  palette.entries.size() * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(palette.entries.size());
  for (size_t i = 0; i < palette.entries.size(); ++i) {
    const PaletteEntry& entry = palette.entries[i];
    logical->palPalEntry[i] = PALETTEENTRY{entry.red, entry.green, entry.blue, entry.flags};
  }
  return GdiObject<HPALETTE>(CreatePalette(logical));
}

}  // namespace

void Win32Canvas::FillRect(const Rect& rect, Color color) {
  if (rect.Empty()) return;
  GdiObject<HBRUSH> brush(CreateSolidBrush(ColorRef(color)));
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(dc_, &r, brush.Get());
}

void Win32Canvas::DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source,
                              const Palette* palette, StretchMode mode) {
  if (dib.Empty() || dest.Empty() || source.Empty()) return;
  GdiObject<HPALETTE> logical;
  std::unique_ptr<SelectedPalette> selected;
  if (palette != nullptr) {
    logical = MakePalette(dc_, *palette);
    if (logical) selected = std::make_unique<SelectedPalette>(dc_, logical.Get(), true);
  }
  int previousMode = 0;
  if (mode == StretchMode::kColorOnColor) previousMode = SetStretchBltMode(dc_, COLORONCOLOR);
  if (mode == StretchMode::kHalftone) {
    previousMode = SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
  }
  // GDI counts a source rectangle's top from the bitmap's bottom, for bitmaps stored top row
  // first as well, unless the whole bitmap is drawn unscaled from its origin: so the system is
  // given only the rows to draw, as a bitmap of their own drawn in its whole height. Both row
  // orders then show the same rows for the same source rectangle.
  const Dib::Band band = dib.RowsOf(source.top, source.bottom);
  StretchDIBits(dc_, dest.left, dest.top, dest.Width(), dest.Height(), source.left, 0,
                source.Width(), source.Height(), band.bits,
                reinterpret_cast<const BITMAPINFO*>(band.info.data()), DIB_RGB_COLORS, SRCCOPY);
  if (previousMode != 0) SetStretchBltMode(dc_, previousMode);
}

Rect Win32Canvas::ClipBox() const {
  RECT box{};
  if (GetClipBox(dc_, &box) == ERROR) return Canvas::ClipBox();
  return Rect{box.left, box.top, box.right, box.bottom};
}

std::unique_ptr<NativeIcon> Win32Canvas::CreateIcon(std::span<const std::uint8_t> image,
                                                    std::int32_t width, std::int32_t height) {
  std::vector<BYTE> bytes(image.begin(), image.end());
  OwnedIcon icon(CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), TRUE,
                                          0x30000, width, height, LR_DEFAULTCOLOR));
  if (!icon) return nullptr;
  return std::make_unique<Win32Icon>(std::move(icon));
}

std::unique_ptr<NativeIcon> Win32Canvas::StandardApplicationIcon() {
  return std::make_unique<Win32Icon>(LoadIconW(nullptr, IDI_APPLICATION));
}

void Win32Canvas::DrawIcon(NativeIcon& icon, const Rect& dest) {
  DrawIconEx(dc_, dest.left, dest.top, static_cast<Win32Icon&>(icon).Get(), dest.Width(),
             dest.Height(), 0, nullptr, DI_NORMAL);
}

std::unique_ptr<NativeMetafile> Win32Canvas::CreateMetafile(MetafileBits kind,
                                                            std::span<const std::uint8_t> bytes,
                                                            std::int32_t widthHimetric,
                                                            std::int32_t heightHimetric) {
  OwnedMetafile metafile;
  if (kind == MetafileBits::kEnhanced) {
    metafile = OwnedMetafile(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  } else {
    METAFILEPICT picture{MM_ANISOTROPIC, widthHimetric, heightHimetric, nullptr};
    WindowDc screen(nullptr);
    metafile = OwnedMetafile(
        SetWinMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data(), screen.Get(), &picture));
  }
  if (!metafile) return nullptr;
  return std::make_unique<Win32Metafile>(std::move(metafile));
}

void Win32Canvas::DrawMetafile(NativeMetafile& metafile, const Rect& dest) {
  RECT r{dest.left, dest.top, dest.right, dest.bottom};
  PlayEnhMetaFile(dc_, static_cast<Win32Metafile&>(metafile).Get(), &r);
}

Color Win32Canvas::SystemColorOf(SystemColor which) {
  int index = COLOR_BTNFACE;
  switch (which) {
    case SystemColor::kButtonFace:
      index = COLOR_BTNFACE;
      break;
    case SystemColor::kButtonHighlight:
      index = COLOR_BTNHIGHLIGHT;
      break;
    case SystemColor::kButtonShadow:
      index = COLOR_BTNSHADOW;
      break;
    case SystemColor::kButtonText:
      index = COLOR_BTNTEXT;
      break;
    case SystemColor::kDarkShadow:
      index = COLOR_3DDKSHADOW;
      break;
    case SystemColor::kWindow:
      index = COLOR_WINDOW;
      break;
    case SystemColor::kWindowFrame:
      index = COLOR_WINDOWFRAME;
      break;
  }
  return static_cast<Color>(GetSysColor(index));
}

void Win32Canvas::DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) {
  if (text.empty() || rect.Empty()) return;
  std::wstring wide = Wide(text);
  // The stock font has the height of one DPI, fixed for the session, not the monitor's:
  // its face is taken, at the height for the DPI the text is laid out for.
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  LOGFONTW logical{};
  GdiObject<HFONT> scaled;
  if (GetObjectW(stock, sizeof logical, &logical) == sizeof logical) {
    logical.lfHeight = -MulDiv(kDialogFontHeight, style.dpi, USER_DEFAULT_SCREEN_DPI);
    logical.lfWidth = 0;
    scaled = GdiObject<HFONT>(CreateFontIndirectW(&logical));
  }
  SelectedObject font(dc_, scaled ? scaled.Get() : stock);
  const int previousMode = SetBkMode(dc_, TRANSPARENT);
  const COLORREF previousColor = SetTextColor(dc_, ColorRef(style.color));
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  UINT format = DT_SINGLELINE | DT_NOPREFIX;
  format |= style.align == TextAlign::kCenter ? DT_CENTER : DT_LEFT;
  format |= style.verticalCenter ? DT_VCENTER : DT_TOP;
  ::DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &r, format);
  SetTextColor(dc_, previousColor);
  SetBkMode(dc_, previousMode);
}

}  // namespace tavilune::win32
