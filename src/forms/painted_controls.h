// Painted controls: a caption label, a speed button with a glyph and a bevelled panel that
// swallows its own painting failures. They are no windows of their own: they live inside one
// real window and draw through its canvas in its coordinates. Their lines and texts are
// designed at 96 DPI and drawn at the DPI of that window (their bounds are the owner's to
// scale).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "forms/button_glyph.h"
#include "platform/canvas.h"
#include "platform/types.h"

namespace tavilune {

enum class BevelCut { kNone, kLowered, kRaised };

// Draws a bevel of lines width pixels wide along the inside of the rectangle: raised is light on
// the top and left edges and dark on the bottom and right ones, lowered the other way round.
void DrawBevel(Canvas& canvas, const Rect& rect, BevelCut cut, std::int32_t width = 1);

inline bool Contains(const Rect& rect, Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// TLabel: its caption in one line from its top-left corner, no background of its own.
struct TLabel {
  std::string name;
  Rect bounds;
  std::string caption;
  int dpi = 96;

  void Paint(Canvas& canvas) const;
};

// TSpeedButton: a push-button face with the glyph in its middle; pressed while the mouse holds
// it down over the button.
struct TSpeedButton {
  std::string name;
  Rect bounds;
  bool enabled = true;
  bool down = false;
  int dpi = 96;
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
  int dpi = 96;

  // The area inside the bevels, in the panel's parent's coordinates.
  Rect ClientRect() const;
  // Paints the panel, then its children through paintChildren (in the same coordinates).
  // Returns true when a failure changed the caption, so that the caller repaints it.
  bool Paint(Canvas& canvas, const std::function<void(Canvas&)>& paintChildren);
};

}  // namespace tavilune
