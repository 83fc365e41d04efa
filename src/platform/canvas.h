// What pictures and painted controls need of a device context. Coordinates are in the canvas's
// own pixels; rectangles are left/top inclusive, right/bottom exclusive. Graphics keep the native
// icons and metafiles they make across paints, so those objects must not depend on the canvas
// that made them (the Windows icon and metafile handles do not).
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/dib.h"
#include "platform/types.h"

namespace tavilune {

// How a device-independent bitmap is stretched (SetStretchBltMode).
enum class StretchMode {
  kDefault,       // leave the device context's mode as it is (monochrome bitmaps)
  kColorOnColor,  // COLORONCOLOR
  kHalftone,      // HALFTONE, with the brush origin reset as the system requires
};

// A system icon made from one icon image (HICON). Destroying it destroys the handle.
class NativeIcon {
 public:
  virtual ~NativeIcon() = default;
};

// A system metafile (HENHMETAFILE). Destroying it deletes the handle.
class NativeMetafile {
 public:
  virtual ~NativeMetafile() = default;
};

enum class MetafileBits {
  kEnhanced,  // the bytes are an enhanced metafile (SetEnhMetaFileBits)
  kWindows,   // the bytes are a Windows metafile without its placeable header (SetWinMetaFileBits)
};

// The system's colours that painted controls are drawn in (GetSysColor).
enum class SystemColor {
  kButtonFace,       // COLOR_BTNFACE
  kButtonHighlight,  // COLOR_BTNHIGHLIGHT
  kButtonShadow,     // COLOR_BTNSHADOW
  kButtonText,       // COLOR_BTNTEXT
  kDarkShadow,       // COLOR_3DDKSHADOW
  kWindow,           // COLOR_WINDOW
  kWindowFrame,      // COLOR_WINDOWFRAME
};

enum class TextAlign { kLeft, kCenter };

// One line of text: no prefix characters, clipped to its rectangle, no background.
struct TextStyle {
  TextAlign align = TextAlign::kLeft;
  bool verticalCenter = false;  // else at the rectangle's top
  Color color = kBlack;
  int dpi = 96;  // the font is sized for this DPI
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Fills the rectangle with a solid colour (a brush of that colour, FillRect).
  virtual void FillRect(const Rect& rect, Color color) = 0;

  // Draws the part source of the bitmap (in picture pixels, (0, 0) its top-left corner) scaled
  // into dest. Windows: select the palette (when given) as a background palette and realise it;
  // set the stretch mode; StretchDIBits from source with dib.BitmapInfo() and dib.Pixels(),
  // DIB_RGB_COLORS, SRCCOPY; then reselect the previous palette. The bitmap's rows may be stored
  // either way round: the header's height is negative for top-down rows.
  virtual void DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source,
                           const Palette* palette, StretchMode mode) = 0;
  // Draws the whole bitmap scaled into dest.
  void DrawDib(const Dib& dib, const Rect& dest, const Palette* palette, StretchMode mode) {
    DrawDibPart(dib, dest, Rect{0, 0, dib.Width(), dib.Height()}, palette, mode);
  }
  // The part of the canvas that drawing can change now: during a paint, the update rectangle
  // (GetClipBox). Drawing outside it costs time and shows nothing. Canvases that do not know
  // answer with everything.
  virtual Rect ClipBox() const {
    return Rect{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2};
  }

  // Makes an icon from one image of an icon file (its bytes from the image's offset, as
  // CreateIconFromResourceEx takes them, version 0x30000) at the given size. Nothing when the
  // system refuses the image.
  virtual std::unique_ptr<NativeIcon> CreateIcon(std::span<const std::uint8_t> image,
                                                 std::int32_t width, std::int32_t height) = 0;
  // The system's standard application icon (LoadIcon with IDI_APPLICATION; not to be destroyed,
  // so the Windows object only forgets the handle).
  virtual std::unique_ptr<NativeIcon> StandardApplicationIcon() = 0;
  // Draws the icon scaled into dest (DrawIconEx with DI_NORMAL).
  virtual void DrawIcon(NativeIcon& icon, const Rect& dest) = 0;

  // Makes a metafile from its bytes. For kWindows the size in hundredths of a millimetre goes
  // into the METAFILEPICT (MM_ANISOTROPIC, xExt, yExt) that SetWinMetaFileBits takes, with the
  // screen as reference device. Nothing when the system refuses the bytes.
  virtual std::unique_ptr<NativeMetafile> CreateMetafile(MetafileBits kind,
                                                         std::span<const std::uint8_t> bytes,
                                                         std::int32_t widthHimetric,
                                                         std::int32_t heightHimetric) = 0;
  // Plays the metafile into dest (PlayEnhMetaFile).
  virtual void DrawMetafile(NativeMetafile& metafile, const Rect& dest) = 0;

  // The system's colour for painted controls. Canvases that do not know the system's scheme
  // answer with the classic one.
  virtual Color SystemColorOf(SystemColor which) {
    switch (which) {
      case SystemColor::kButtonFace:
        return 0xC0C0C0;
      case SystemColor::kButtonHighlight:
        return 0xFFFFFF;
      case SystemColor::kButtonShadow:
        return 0x808080;
      case SystemColor::kButtonText:
        return 0x000000;
      case SystemColor::kDarkShadow:
        return 0x000000;
      case SystemColor::kWindow:
        return 0xFFFFFF;
      case SystemColor::kWindowFrame:
        return 0x000000;
    }
    return 0;
  }
  // Draws UTF-8 text in the system's dialog font (Windows: DrawTextW with the default GUI font's
  // face at its 96-DPI height of 11 pixels scaled to the style's DPI, DT_SINGLELINE |
  // DT_NOPREFIX, transparent background). Canvases without text draw nothing.
  virtual void DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) {
    (void)text, (void)rect, (void)style;
  }
};

}  // namespace tavilune
