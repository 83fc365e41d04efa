// The painted controls of the picture dialog's preview area: a caption label, a speed button
// with a glyph, a bevelled panel that swallows its own painting failures, and the picture
// control. They live inside one real window and draw through its canvas in its coordinates.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "picture/image_paint.h"
#include "picture/preview_glyph.h"
#include "platform/canvas.h"
#include "platform/types.h"

namespace tavilune {

enum class BevelCut { kNone, kLowered, kRaised };

// Draws a one-pixel bevel along the inside of the rectangle: raised is light on the top and
// left edges and dark on the bottom and right ones, lowered the other way round.
void DrawBevel(Canvas& canvas, const Rect& rect, BevelCut cut);

// A canvas that draws into another one moved by an offset, so that a control draws in its own
// coordinates.
class ShiftedCanvas : public Canvas {
 public:
  ShiftedCanvas(Canvas& target, Point offset) : target_(target), offset_(offset) {}

  void FillRect(const Rect& rect, Color color) override { target_.FillRect(Move(rect), color); }
  void DrawDib(const Dib& dib, const Rect& dest, const Palette* palette,
               StretchMode mode) override {
    target_.DrawDib(dib, Move(dest), palette, mode);
  }
  std::unique_ptr<NativeIcon> CreateIcon(std::span<const std::uint8_t> image, std::int32_t width,
                                         std::int32_t height) override {
    return target_.CreateIcon(image, width, height);
  }
  std::unique_ptr<NativeIcon> StandardApplicationIcon() override {
    return target_.StandardApplicationIcon();
  }
  void DrawIcon(NativeIcon& icon, const Rect& dest) override { target_.DrawIcon(icon, Move(dest)); }
  std::unique_ptr<NativeMetafile> CreateMetafile(MetafileBits kind,
                                                 std::span<const std::uint8_t> bytes,
                                                 std::int32_t widthHimetric,
                                                 std::int32_t heightHimetric) override {
    return target_.CreateMetafile(kind, bytes, widthHimetric, heightHimetric);
  }
  void DrawMetafile(NativeMetafile& metafile, const Rect& dest) override {
    target_.DrawMetafile(metafile, Move(dest));
  }
  Color SystemColorOf(SystemColor which) override { return target_.SystemColorOf(which); }
  void DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) override {
    target_.DrawTextLine(text, Move(rect), style);
  }

 private:
  Rect Move(const Rect& rect) const {
    return Rect{rect.left + offset_.x, rect.top + offset_.y, rect.right + offset_.x,
                rect.bottom + offset_.y};
  }

  Canvas& target_;
  Point offset_;
};

inline bool Contains(const Rect& rect, Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// TLabel: its caption in one line from its top-left corner, no background of its own.
struct TLabel {
  std::string name;
  Rect bounds;
  std::string caption;

  void Paint(Canvas& canvas) const;
};

// TSpeedButton: a push-button face with the glyph in its middle; pressed while the mouse holds
// it down over the button.
struct TSpeedButton {
  std::string name;
  Rect bounds;
  bool enabled = true;
  bool down = false;
  std::string hint;
  const ButtonGlyph* glyph = nullptr;

  void Paint(Canvas& canvas) const;
};

// TSilentPaintPanel: a panel with an outer and an inner bevel and a caption drawn in its
// middle. Whatever fails while the panel or what lies on it is painted is swallowed, and the
// caption becomes "画像が不正です".
struct TSilentPaintPanel {
  static const char* const kInvalidPictureCaption;

  std::string name;
  Rect bounds;
  std::string caption;
  BevelCut bevelOuter = BevelCut::kLowered;
  BevelCut bevelInner = BevelCut::kRaised;

  // The area inside the bevels, in the panel's parent's coordinates.
  Rect ClientRect() const;
  // Paints the panel, then its children through paintChildren (in the same coordinates).
  // Returns true when a failure changed the caption, so that the caller repaints it.
  bool Paint(Canvas& canvas, const std::function<void(Canvas&)>& paintChildren);
};

// TImage: draws its picture by the picture control's rule within its bounds.
struct TImage {
  std::string name;
  Rect bounds;
  ImageOptions options;
  TPicture* picture = nullptr;

  // Where the picture goes, in the parent's coordinates.
  Rect DestRect() const;
  void Paint(Canvas& canvas) const;
};

}  // namespace tavilune
