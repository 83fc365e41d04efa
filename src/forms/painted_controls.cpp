#include "forms/painted_controls.h"

#include "platform/dpi.h"

namespace tavilune {

const char* const TSilentPaintPanel::kInvalidPictureCaption = u8"画像が不正です";

namespace {

// Light lines along the top and left edges, dark ones along the bottom and right edges; the
// dark ones take the two far corners.
void DrawEdgeLines(Canvas& canvas, const Rect& r, Color topLeft, Color bottomRight,
                   std::int32_t w = 1) {
  if (r.Empty()) return;
  canvas.FillRect(Rect{r.left, r.top, r.right - w, r.top + w}, topLeft);
  canvas.FillRect(Rect{r.left, r.top, r.left + w, r.bottom - w}, topLeft);
  canvas.FillRect(Rect{r.left, r.bottom - w, r.right, r.bottom}, bottomRight);
  canvas.FillRect(Rect{r.right - w, r.top, r.right, r.bottom}, bottomRight);
}

Rect Inset(const Rect& r, std::int32_t by) {
  return Rect{r.left + by, r.top + by, r.right - by, r.bottom - by};
}

}  // namespace

void DrawBevel(Canvas& canvas, const Rect& rect, BevelCut cut, std::int32_t width) {
  if (cut == BevelCut::kNone) return;
  const Color light = canvas.SystemColorOf(SystemColor::kButtonHighlight);
  const Color dark = canvas.SystemColorOf(SystemColor::kButtonShadow);
  if (cut == BevelCut::kRaised) {
    DrawEdgeLines(canvas, rect, light, dark, width);
  } else {
    DrawEdgeLines(canvas, rect, dark, light, width);
  }
}

void TLabel::Paint(Canvas& canvas) const {
  TextStyle style;
  style.color = canvas.SystemColorOf(SystemColor::kButtonText);
  style.dpi = dpi;
  canvas.DrawTextLine(caption, bounds, style);
}

void TSpeedButton::Paint(Canvas& canvas) const {
  const Color face = canvas.SystemColorOf(SystemColor::kButtonFace);
  const Color light = canvas.SystemColorOf(SystemColor::kButtonHighlight);
  const Color shadow = canvas.SystemColorOf(SystemColor::kButtonShadow);
  const Color darkShadow = canvas.SystemColorOf(SystemColor::kDarkShadow);
  canvas.FillRect(bounds, face);
  // The two-pixel frame of a push button, sunk while pressed.
  const std::int32_t w = ScaleForDpi(1, dpi);
  if (down) {
    DrawEdgeLines(canvas, bounds, darkShadow, light, w);
    DrawEdgeLines(canvas, Inset(bounds, w), shadow, face, w);
  } else {
    DrawEdgeLines(canvas, bounds, light, darkShadow, w);
    DrawEdgeLines(canvas, Inset(bounds, w), face, shadow, w);
  }
  if (glyph == nullptr || glyph->Empty()) return;
  const std::int32_t shift = down ? w : 0;
  const std::int32_t left = bounds.left + (bounds.Width() - glyph->Width()) / 2 + shift;
  const std::int32_t top = bounds.top + (bounds.Height() - glyph->Height()) / 2 + shift;
  const Dib picture = glyph->OnFace(enabled, face, light, shadow);
  canvas.DrawDib(picture, RectFromSize(left, top, glyph->Width(), glyph->Height()), nullptr,
                 StretchMode::kColorOnColor);
}

Rect TSilentPaintPanel::ClientRect() const {
  const std::int32_t width = ScaleForDpi(1, dpi);
  std::int32_t inset = 0;
  if (bevelOuter != BevelCut::kNone) inset += width;
  if (bevelInner != BevelCut::kNone) inset += width;
  return Inset(bounds, inset);
}

bool TSilentPaintPanel::Paint(Canvas& canvas, const std::function<void(Canvas&)>& paintChildren) {
  try {
    canvas.FillRect(bounds, canvas.SystemColorOf(SystemColor::kButtonFace));
    const std::int32_t width = ScaleForDpi(1, dpi);
    Rect edge = bounds;
    if (bevelOuter != BevelCut::kNone) {
      DrawBevel(canvas, edge, bevelOuter, width);
      edge = Inset(edge, width);
    }
    if (bevelInner != BevelCut::kNone) DrawBevel(canvas, edge, bevelInner, width);
    TextStyle style;
    style.align = TextAlign::kCenter;
    style.verticalCenter = true;
    style.color = canvas.SystemColorOf(SystemColor::kButtonText);
    style.dpi = dpi;
    canvas.DrawTextLine(caption, ClientRect(), style);
    if (paintChildren) paintChildren(canvas);
  } catch (...) {
    // A picture that cannot be drawn (damaged JPEG data, say) must not bring up an error box
    // while the user is only browsing files.
    if (caption != kInvalidPictureCaption) {
      caption = kInvalidPictureCaption;
      return true;
    }
  }
  return false;
}

}  // namespace tavilune
