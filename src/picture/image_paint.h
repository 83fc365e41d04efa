// The picture control (TImage) and how it paints its picture.
#pragma once

#include <cstdint>
#include <string>

#include "picture/picture.h"
#include "platform/canvas.h"
#include "platform/types.h"

namespace tavilune {

struct ImageOptions {
  bool stretch = false;
  bool proportional = false;
  bool center = false;
  // Repaint at once on a progress notification that asks for it (see WantsIncrementalRedraw).
  bool incrementalDisplay = false;
};

// The rectangle of the control's client area that a picture of w x h pixels is drawn into.
Rect ImageDestRect(const ImageOptions& options, std::int32_t pictureWidth,
                   std::int32_t pictureHeight, std::int32_t clientWidth, std::int32_t clientHeight);

// Draws the picture into the destination rectangle; an empty picture draws nothing.
void PaintImage(Canvas& canvas, TPicture& picture, const ImageOptions& options,
                std::int32_t clientWidth, std::int32_t clientHeight);

// Whether a progress notification should repaint the control at once.
bool WantsIncrementalRedraw(const ImageOptions& options, const ProgressEvent& event);

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
