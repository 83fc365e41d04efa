#include "picture_dialog/preview_window.h"

#include <algorithm>

#include "forms/application.h"
#include "forms/messages.h"

namespace tavilune {

const char* const TPreviewForm::kCaption = u8"プレビュー";

namespace {

constexpr std::uintptr_t kEscapeCharacter = 27;

}  // namespace

ClientSize PreviewClientSize(std::int32_t pictureWidth, std::int32_t pictureHeight,
                             const Rect& monitor, ClientSize client, ClientSize panelClient,
                             int dpi) {
  if (pictureWidth <= 0) return client;
  const std::int32_t margins = 2 * ScaleForDpi(TPreviewForm::kPanelBorderWidth, dpi);
  ClientSize size;
  size.width =
      std::min(monitor.Width() * 3 / 4, pictureWidth + client.width - panelClient.width + margins);
  size.height = std::min(monitor.Height() * 3 / 4,
                         pictureHeight + client.height - panelClient.height + margins);
  return size;
}

TPreviewForm::TPreviewForm(TComponent* owner, TApplication& application, TPicture& picture,
                           WindowHandle ownerWindow)
    : TForm(owner, application), ownerWindow_(ownerWindow) {
  SetName("PreviewForm");
  SetCaption(kCaption);
  SetBorderStyle(BorderStyle::kSizeableTool);
  image_.name = "Image";
  image_.options = ImageOptions{true, true, true, false};
  image_.picture = &picture;
  // The window opens in the middle of the screen: its default size is for that monitor's DPI.
  dpi_ = Windows().DpiNearest(Windows().Monitors().front().bounds);
  const ClientSize frame = FrameSize();
  client_ = ClientSize{ScaleForDpi(kDefaultWidth, dpi_) - frame.width,
                       ScaleForDpi(kDefaultHeight, dpi_) - frame.height};
  LayOut();
}

WindowSpec TPreviewForm::CreateParams() {
  WindowSpec spec = TForm::CreateParams();
  spec.className = "TPreviewForm";
  return spec;
}

ClientSize TPreviewForm::FrameSize() {
  const WindowSpec spec = CreateParams();
  const Rect outer = Windows().OuterForClient(Rect{0, 0, 0, 0}, spec.style, spec.exStyle, dpi_);
  return ClientSize{outer.Width(), outer.Height()};
}

std::int32_t TPreviewForm::PanelLine() const { return ScaleForDpi(kPanelLine, dpi_); }

std::int32_t TPreviewForm::PanelMargin() const { return ScaleForDpi(kPanelBorderWidth, dpi_); }

Rect TPreviewForm::PanelClientRect() const {
  const std::int32_t line = PanelLine();
  return Rect{line, line, client_.width - line, client_.height - line};
}

void TPreviewForm::LayOut() {
  const Rect inside = PanelClientRect();
  const std::int32_t margin = PanelMargin();
  image_.bounds = Rect{inside.left + margin, inside.top + margin, inside.right - margin,
                       inside.bottom - margin};
}

void TPreviewForm::Present() {
  const ClientSize panelClient{PanelClientRect().Width(), PanelClientRect().Height()};
  const Rect screen = Windows().Monitors().front().bounds;
  client_ = PreviewClientSize(image_.picture->Width(), image_.picture->Height(), screen, client_,
                              panelClient, dpi_);
  LayOut();
  const ClientSize frame = FrameSize();
  const std::int32_t width = client_.width + frame.width;
  const std::int32_t height = client_.height + frame.height;
  SetBounds(screen.left + (screen.Width() - width) / 2, screen.top + (screen.Height() - height) / 2,
            width, height);
  // Owned by the file dialog, so that it stays above it and goes with it.
  Windows().SetLong(Handle(), msg::kGwlHwndParent, static_cast<std::intptr_t>(ownerWindow_));
  ShowModal();
}

void TPreviewForm::Paint(Canvas& canvas) {
  // Everything is drawn in one pass over the whole client area, so nothing flickers when the
  // window is resized.
  canvas.FillRect(PanelRect(), canvas.SystemColorOf(SystemColor::kWindow));
  const Color line = canvas.SystemColorOf(SystemColor::kWindowFrame);
  const Rect panel = PanelRect();
  const std::int32_t width = PanelLine();
  canvas.FillRect(Rect{panel.left, panel.top, panel.right, panel.top + width}, line);
  canvas.FillRect(Rect{panel.left, panel.bottom - width, panel.right, panel.bottom}, line);
  canvas.FillRect(Rect{panel.left, panel.top, panel.left + width, panel.bottom}, line);
  canvas.FillRect(Rect{panel.right - width, panel.top, panel.right, panel.bottom}, line);
  image_.Paint(canvas);
}

bool TPreviewForm::WndProc(const WindowMessage& message, std::intptr_t& result) {
  switch (message.message) {
    case msg::kPaint:
      Windows().Paint(Handle(), [this](Canvas& canvas) { Paint(canvas); });
      result = 0;
      return true;
    case msg::kEraseBackground:
      result = 1;
      return true;
    case msg::kSize:
      client_ = ClientSize{msg::SignedLow(message.lParam) & 0xFFFF,
                           msg::SignedHigh(message.lParam) & 0xFFFF};
      LayOut();
      Invalidate();
      break;
    case msg::kDpiChanged: {
      // Moved to a monitor of another DPI: the suggested rectangle, and the panel's line and
      // margins at the new DPI (the size message that follows lays the picture out again).
      dpi_ = msg::SignedHigh(static_cast<std::intptr_t>(message.wParam));
      const Rect suggested = msg::RectAt(message.lParam);
      SetBounds(suggested.left, suggested.top, suggested.Width(), suggested.Height());
      LayOut();
      Invalidate();
      result = 0;
      return true;
    }
    case msg::kChar:
      if (message.wParam == kEscapeCharacter) {
        Close();
        result = 0;
        return true;
      }
      break;
    default:
      break;
  }
  return TForm::WndProc(message, result);
}

}  // namespace tavilune
