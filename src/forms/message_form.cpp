#include "forms/message_form.h"

#include "forms/messages.h"

namespace tavilune {

namespace {

constexpr std::uint32_t kStaticIcon = 0x0003;        // SS_ICON
constexpr std::uint32_t kStaticNoPrefix = 0x0080;    // SS_NOPREFIX: "&" is shown as it is
constexpr std::uint32_t kButtonDefault = 0x0001;     // BS_DEFPUSHBUTTON
constexpr std::uint32_t kStyleTabStop = 0x00010000;  // WS_TABSTOP
constexpr std::uint32_t kSetIcon = 0x0170;           // STM_SETICON
constexpr std::uintptr_t kButtonClicked = 0;         // BN_CLICKED, in WM_COMMAND's high word
// What the dialog manager sends for Enter (no button being the default by number) and Escape.
constexpr std::uintptr_t kCommandOk = 1;      // IDOK
constexpr std::uintptr_t kCommandCancel = 2;  // IDCANCEL

}  // namespace

// A control of one of the system's classes inside the box; the box places it and gives it its
// font and icon.
class TSystemControl : public TWinControl {
 public:
  TSystemControl(TWinControl* parent, TApplication& application, std::string className,
                 std::uint32_t style, std::string text)
      : TWinControl(parent, application), className_(std::move(className)), style_(style) {
    SetParent(parent);
    SetCaption(std::move(text));
    UpdateVisibleFromSystem(true);
  }

 protected:
  WindowSpec CreateParams() override {
    WindowSpec spec = TWinControl::CreateParams();
    spec.className = className_;
    spec.systemClass = true;
    spec.style |= style_;
    return spec;
  }

 private:
  std::string className_;
  std::uint32_t style_;
};

TMessageForm::TMessageForm(TApplication& application, std::string text, std::string caption)
    : TForm(nullptr, application), text_(std::move(text)) {
  SetName("MessageForm");
  SetCaption(std::move(caption));
  SetBorderStyle(BorderStyle::kDialog);
  icon_ = new TSystemControl(this, application, "STATIC", kStaticIcon, "");
  label_ = new TSystemControl(this, application, "STATIC", kStaticNoPrefix, text_);
  ok_ = new TSystemControl(this, application, "BUTTON", kButtonDefault | kStyleTabStop, "OK");
  const Rect screen = Windows().Monitors().front().bounds;
  const Rect outer = OuterFor(LayOut(Windows().DpiNearest(screen)));
  SetBounds((screen.Width() - outer.Width()) / 2, (screen.Height() - outer.Height()) / 2,
            outer.Width(), outer.Height());
}

Rect TMessageForm::OuterFor(const MessageDialogLayout& layout) {
  const WindowSpec spec = CreateParams();
  return Windows().OuterForClient(Rect{0, 0, layout.clientWidth, layout.clientHeight}, spec.style,
                                  spec.exStyle, dpi_);
}

WindowSpec TMessageForm::CreateParams() {
  WindowSpec spec = TForm::CreateParams();
  spec.className = "TMessageForm";
  // Holds dialog controls: the dialog manager turns Enter into the default button's command and
  // Escape into cancel.
  spec.exStyle |= msg::kExStyleControlParent;
  return spec;
}

void TMessageForm::CreateWnd() {
  TForm::CreateWnd();
  LayOut(dpi_);
}

MessageDialogLayout TMessageForm::LayOut(int dpi) {
  dpi_ = dpi;
  WindowSystem& windows = Windows();
  const std::int32_t iconSize = windows.IconSizeForDpi(dpi);
  // Word-wrapped at most half the primary screen wide.
  const Rect extent =
      windows.MessageTextExtent(text_, windows.Monitors().front().bounds.Width() / 2, dpi);
  const MessageDialogLayout layout =
      LayOutMessageDialog(extent.Width(), extent.Height(), iconSize, dpi);
  label_->SetBounds(layout.text.left, layout.text.top, layout.text.Width(), layout.text.Height());
  ok_->SetBounds(layout.button.left, layout.button.top, layout.button.Width(),
                 layout.button.Height());
  icon_->SetBounds(layout.icon.left, layout.icon.top, iconSize, iconSize);
  if (HandleAllocated()) {
    // The icon control takes the size of the icon it is given; it is put back where the layout
    // wants it afterwards.
    const WindowMessage setIcon{kSetIcon, windows.InformationIcon(iconSize), 0};
    windows.Send(icon_->Handle(), setIcon);
    windows.SetWindowPos(icon_->Handle(), msg::kHwndTop, layout.icon,
                         msg::kSwpNoZOrder | msg::kSwpNoActivate);
    for (TSystemControl* control : {label_, ok_}) windows.SetMessageFont(control->Handle(), dpi);
  }
  return layout;
}

bool TMessageForm::WndProc(const WindowMessage& message, std::intptr_t& result) {
  // The one button is both the default and the cancel button: its click, Enter and Escape all
  // close the box.
  const std::uintptr_t command = message.wParam & 0xFFFF;
  const bool okClicked = ((message.wParam >> 16) & 0xFFFF) == kButtonClicked &&
                         ok_->HandleAllocated() &&
                         static_cast<WindowHandle>(message.lParam) == ok_->Handle();
  if (message.message == msg::kCommand &&
      (okClicked || command == kCommandOk || command == kCommandCancel)) {
    Close();
    result = 0;
    return true;
  }
  if (message.message == msg::kActivate && (message.wParam & 0xFFFF) != 0 &&
      ok_->HandleAllocated()) {
    // As a dialog box does: each activation gives the focus to the button (rather than to the
    // box itself), which shows it as the one that Enter presses.
    Windows().SetFocus(ok_->Handle());
    result = 0;
    return true;
  }
  if (message.message == msg::kDpiChanged) {
    // Moved to a monitor of another DPI: the system suggests the place the box has there, and a
    // size scaled in proportion; but text and icon do not scale in proportion, so the box takes
    // the size its content laid out again needs, at the suggested place.
    const Rect suggested = msg::RectAt(message.lParam);
    const Rect outer = OuterFor(LayOut(msg::SignedHigh(static_cast<std::intptr_t>(message.wParam))));
    SetBounds(suggested.left, suggested.top, outer.Width(), outer.Height());
    result = 0;
    return true;
  }
  return TForm::WndProc(message, result);
}

}  // namespace tavilune
