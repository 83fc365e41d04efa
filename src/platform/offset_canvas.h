// Drawing through another canvas from a moved origin.
#pragma once

#include <string>

#include "platform/canvas.h"

namespace tavilune {

// A canvas that draws into another one moved by an offset, so that a painted control draws in
// its own coordinates inside its window.
class OffsetCanvas : public Canvas {
 public:
  OffsetCanvas(Canvas& target, Point offset) : target_(target), offset_(offset) {}

  void FillRect(const Rect& rect, Color color) override { target_.FillRect(Move(rect), color); }
  void DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source, const Palette* palette,
                   StretchMode mode) override {
    target_.DrawDibPart(dib, Move(dest), source, palette, mode);
  }
  Rect ClipBox() const override {
    const Rect clip = target_.ClipBox();
    return Rect{clip.left - offset_.x, clip.top - offset_.y, clip.right - offset_.x,
                clip.bottom - offset_.y};
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

}  // namespace tavilune
