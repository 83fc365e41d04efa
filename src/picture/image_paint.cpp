#include "picture/image_paint.h"

#include "platform/offset_canvas.h"

namespace tavilune {

Rect ImageDestRect(const ImageOptions& options, std::int32_t pictureWidth,
                   std::int32_t pictureHeight, std::int32_t clientWidth,
                   std::int32_t clientHeight) {
  std::int32_t w = pictureWidth;
  std::int32_t h = pictureHeight;
  const std::int32_t cw = clientWidth;
  const std::int32_t ch = clientHeight;
  if (options.stretch || (options.proportional && (w > cw || h > ch))) {
    if (options.proportional && w > 0 && h > 0) {
      const double ratio = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<std::int32_t>(cw / ratio);
        if (h > ch) {
          h = ch;
          w = static_cast<std::int32_t>(ch * ratio);
        }
      } else {
        h = ch;
        w = static_cast<std::int32_t>(ch * ratio);
        if (w > cw) {
          w = cw;
          h = static_cast<std::int32_t>(cw / ratio);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  Rect rect{0, 0, w, h};
  if (options.center) {
    const std::int32_t dx = (cw - w) / 2;
    const std::int32_t dy = (ch - h) / 2;
    rect = Rect{dx, dy, dx + w, dy + h};
  }
  return rect;
}

void PaintImage(Canvas& canvas, TPicture& picture, const ImageOptions& options,
                std::int32_t clientWidth, std::int32_t clientHeight) {
  TGraphic* graphic = picture.Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->Draw(
      canvas, ImageDestRect(options, picture.Width(), picture.Height(), clientWidth, clientHeight));
}

bool WantsIncrementalRedraw(const ImageOptions& options, const ProgressEvent& event) {
  return options.incrementalDisplay && event.redrawNow;
}

Rect TImage::DestRect() const {
  if (picture == nullptr) return Rect{};
  Rect dest =
      ImageDestRect(options, picture->Width(), picture->Height(), bounds.Width(), bounds.Height());
  return Rect{dest.left + bounds.left, dest.top + bounds.top, dest.right + bounds.left,
              dest.bottom + bounds.top};
}

void TImage::Paint(Canvas& canvas) const {
  if (picture == nullptr) return;
  OffsetCanvas inside(canvas, Point{bounds.left, bounds.top});
  PaintImage(inside, *picture, options, bounds.Width(), bounds.Height());
}

}  // namespace tavilune
