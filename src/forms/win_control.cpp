#include "forms/win_control.h"

#include <algorithm>
#include <limits>

#include "forms/application.h"
#include "forms/messages.h"

namespace tavilune {

TWinControl::TWinControl(TComponent* owner, TApplication& application)
    : TComponent(owner), application_(application) {}

TWinControl::~TWinControl() { DestroyHandle(); }

WindowSystem& TWinControl::Windows() const { return application_.Windows(); }

void TWinControl::SetParent(TWinControl* parent) {
  if (parent_ == parent) return;
  DestroyHandle();
  parent_ = parent;
}

WindowSpec TWinControl::CreateParams() {
  WindowSpec spec;
  spec.style = parent_ != nullptr ? msg::kStyleChild | msg::kStyleClipSiblings : msg::kStylePopup;
  return spec;
}

WindowHandle TWinControl::Handle() {
  if (handle_ != 0) return handle_;
  WindowSpec spec = CreateParams();
  spec.title = caption_;
  spec.bounds = bounds_;
  spec.parent = parent_ != nullptr ? parent_->Handle() : application_.Handle();
  if (visible_) spec.style |= msg::kStyleVisible;
  handle_ = Windows().CreateNativeWindow(spec, this);
  CreateWnd();
  return handle_;
}

void TWinControl::DestroyHandle() {
  if (handle_ == 0) return;
  WindowHandle handle = handle_;
  handle_ = 0;
  Windows().DestroyWindow(handle);
}

void TWinControl::RecreateWnd() {
  if (handle_ == 0) return;
  DestroyHandle();
  Handle();
}

void TWinControl::ApplyBounds() {
  if (handle_ == 0) return;
  Windows().SetWindowPos(handle_, msg::kHwndTop, bounds_, msg::kSwpNoZOrder | msg::kSwpNoActivate);
}

void TWinControl::SetLeft(std::int32_t left) { SetBounds(left, Top(), Width(), Height()); }
void TWinControl::SetTop(std::int32_t top) { SetBounds(Left(), top, Width(), Height()); }
void TWinControl::SetWidth(std::int32_t width) { SetBounds(Left(), Top(), width, Height()); }
void TWinControl::SetHeight(std::int32_t height) { SetBounds(Left(), Top(), Width(), height); }

void TWinControl::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height) {
  // A place can come from an edited settings file and be anything: one so near the end of the
  // coordinate range that the far edge would not fit is moved back just enough, so that right
  // and bottom (and every width computed from them) stay representable.
  width = std::max(width, 0);
  height = std::max(height, 0);
  left = std::min(left, std::numeric_limits<std::int32_t>::max() - width);
  top = std::min(top, std::numeric_limits<std::int32_t>::max() - height);
  Rect next = RectFromSize(left, top, width, height);
  if (next == bounds_) return;
  bounds_ = next;
  ApplyBounds();
}

void TWinControl::SetVisible(bool visible) {
  visible_ = visible;
  if (visible) {
    Windows().ShowWindow(Handle(), msg::kSwShow);
  } else if (handle_ != 0) {
    Windows().ShowWindow(handle_, msg::kSwHide);
  }
}

void TWinControl::Invalidate() {
  if (handle_ != 0) Windows().Invalidate(handle_);
}

void TWinControl::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (handle_ != 0) Windows().SetText(handle_, caption_);
}

bool TWinControl::WndProc(const WindowMessage& message, std::intptr_t&) {
  // The system moves and sizes top-level windows itself (dragging, for one): keep up with it.
  if ((message.message == msg::kMove || message.message == msg::kSize) && parent_ == nullptr &&
      handle_ != 0) {
    bounds_ = Windows().WindowRect(handle_);
  }
  return false;
}

bool TWinControl::HandleMessage(WindowHandle window, const WindowMessage& message,
                                std::intptr_t& result) {
  if (handle_ == 0 && message.message == msg::kCreate) handle_ = window;
  bool handled = false;
  try {
    handled = WndProc(message, result);
  } catch (...) {
    // An exception never leaves a window message: the standard error box shows it.
    application_.HandleException();
    result = 0;
    handled = true;
  }
  if (message.message == msg::kDestroy && handle_ == window) handle_ = 0;
  return handled;
}

}  // namespace tavilune
