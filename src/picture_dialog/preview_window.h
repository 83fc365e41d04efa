// The preview window ("PreviewForm"): the picture of the dialog's preview in a window of its
// own, as large as the picture up to three quarters of the monitor, fitted and centred in a
// panel with a 5-pixel margin, closed with Escape.
#pragma once

#include <cstdint>

#include "forms/form.h"
#include "picture/image_paint.h"
#include "picture/picture.h"
#include "platform/dpi.h"

namespace tavilune {

struct ClientSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const ClientSize&, const ClientSize&) = default;
};

// The client size the preview window takes for a picture of pictureWidth x pictureHeight:
// per side the smaller of three quarters of the monitor (integer division) and the picture
// plus what the window's client area has beyond the panel's client area plus the panel's
// margins of 5 pixels on each side (at 96 DPI, scaled to the window's DPI). With an empty
// picture (width 0) the current size stays.
ClientSize PreviewClientSize(std::int32_t pictureWidth, std::int32_t pictureHeight,
                             const Rect& monitor, ClientSize client, ClientSize panelClient,
                             int dpi = kDesignDpi);

// The window's lengths are designed at 96 DPI and scaled to the DPI of its monitor; the picture
// itself is fitted into whatever room the panel has.
class TPreviewForm : public TForm {
 public:
  static const char* const kCaption;  // "プレビュー"
  static constexpr std::int32_t kDefaultWidth = 320;
  static constexpr std::int32_t kDefaultHeight = 240;
  static constexpr std::int32_t kPanelBorderWidth = 5;
  static constexpr std::int32_t kPanelLine = 1;  // the panel's single-line border

  // The window is owned by ownerWindow (the file dialog) and shows the picture it is given;
  // the picture stays the caller's and must outlive the window.
  TPreviewForm(TComponent* owner, TApplication& application, TPicture& picture,
               WindowHandle ownerWindow);

  // Sizes the window to the picture, centres it on the screen and shows it modally; returns
  // when it has closed.
  void Present();

  // The window's client size, the panel (filling it) and the picture control inside the
  // panel's margins, in client coordinates.
  ClientSize Client() const { return client_; }
  Rect PanelRect() const { return Rect{0, 0, client_.width, client_.height}; }
  Rect PanelClientRect() const;
  const TImage& Image() const { return image_; }

 protected:
  WindowSpec CreateParams() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;

 private:
  // The window's frame: outer size minus client size.
  ClientSize FrameSize();
  void Paint(Canvas& canvas);
  void LayOut();

  // The panel's line and margin at the window's DPI.
  std::int32_t PanelLine() const;
  std::int32_t PanelMargin() const;

  WindowHandle ownerWindow_;
  int dpi_ = kDesignDpi;
  ClientSize client_;
  TImage image_;
};

}  // namespace tavilune
