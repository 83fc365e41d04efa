#include "tray/callback_window.h"

#include "forms/application.h"
#include "forms/form.h"
#include "forms/menu.h"
#include "tray/icon_registry.h"
#include "tray/tray_icon.h"

namespace tavilune {

// Changes an icon's click-pending flag, which only the click dispatch sets.
struct ClickPendingAccess {
  static void Set(TTrayIcon& icon, bool pending) { icon.clickPending_ = pending; }
};

namespace {

TCallbackWindow* theCallbackWindow = nullptr;

}  // namespace

TCallbackWindow::TCallbackWindow(TComponent* owner, TApplication& application)
    : TWinControl(owner, application) {
  if (auto* parent = dynamic_cast<TWinControl*>(owner)) SetParent(parent);
  SetBounds(0, 0, 0, 0);
  if (theCallbackWindow == nullptr) theCallbackWindow = this;
}

TCallbackWindow::~TCallbackWindow() {
  if (theCallbackWindow == this) theCallbackWindow = nullptr;
  closing_ = true;
  lastIcon_ = nullptr;
  handOver_->Abandon(Application());
}

TCallbackWindow* TCallbackWindow::Instance() { return theCallbackWindow; }

TCallbackWindow& TCallbackWindow::ForComponent(TComponent* owner, TApplication& application) {
  if (theCallbackWindow == nullptr) {
    // Owned (and so destroyed) by the component's owner, or by the application.
    new TCallbackWindow(owner != nullptr ? owner : &application, application);
  }
  return *theCallbackWindow;
}

void TCallbackWindow::Forget(TTrayIcon* icon) {
  if (lastIcon_ == icon) lastIcon_ = nullptr;
}

bool TCallbackWindow::WndProc(const WindowMessage& message, std::intptr_t& result) {
  if (message.message == TrayCallbackMessage) {
    HandleTrayMessage(message.wParam, message.lParam);
    result = 0;
    return true;
  }
  return TWinControl::WndProc(message, result);
}

namespace {

using Action = void (*)(TCallbackWindow& window, TTrayIcon& icon, Point at);

void Fire(const TTrayIcon::MouseEvent& event, TTrayIcon& icon, TMouseButton button, ShiftFlag flag,
          Point at) {
  if (event) event(icon, button, TShiftState{flag}, at.x, at.y);
}

void MouseMove(TCallbackWindow&, TTrayIcon& icon, Point at) {
  if (icon.OnMouseMove) icon.OnMouseMove(icon, TShiftState{}, at.x, at.y);
}

void LeftDown(TCallbackWindow& window, TTrayIcon& icon, Point at) {
  if (icon.LBPopupMenu() != nullptr && icon.AutoPopup()) {
    window.PopupMenuOf(icon, TCallbackWindow::MenuSide::kLeft, at);
  } else {
    Fire(icon.OnMouseDown, icon, TMouseButton::kLeft, ShiftFlag::kLeft, at);
  }
}

void LeftUp(TCallbackWindow& window, TTrayIcon& icon, Point at) {
  if (icon.OnMouseUp) {
    Fire(icon.OnMouseUp, icon, TMouseButton::kLeft, ShiftFlag::kLeft, at);
  } else if (icon.OnClick) {
    window.SingleClickStep(icon);
  } else {
    ClickPendingAccess::Set(icon, false);
  }
}

void LeftDoubleClick(TCallbackWindow&, TTrayIcon& icon, Point) {
  // The release that follows finds the flag set and ends the double click.
  ClickPendingAccess::Set(icon, true);
  if (icon.OnDblClick) icon.OnDblClick(icon);
}

void RightDown(TCallbackWindow& window, TTrayIcon& icon, Point at) {
  if (icon.RBPopupMenu() != nullptr && icon.AutoPopup()) {
    window.PopupMenuOf(icon, TCallbackWindow::MenuSide::kRight, at);
  } else {
    Fire(icon.OnMouseDown, icon, TMouseButton::kRight, ShiftFlag::kRight, at);
  }
}

void RightUp(TCallbackWindow&, TTrayIcon& icon, Point at) {
  Fire(icon.OnMouseUp, icon, TMouseButton::kRight, ShiftFlag::kRight, at);
}

void MiddleDown(TCallbackWindow&, TTrayIcon& icon, Point at) {
  // The middle button has no menu.
  Fire(icon.OnMouseDown, icon, TMouseButton::kMiddle, ShiftFlag::kMiddle, at);
}

void MiddleUp(TCallbackWindow&, TTrayIcon& icon, Point at) {
  Fire(icon.OnMouseUp, icon, TMouseButton::kMiddle, ShiftFlag::kMiddle, at);
}

// The mouse messages the shell reports, and what each does. Right and middle double clicks
// arrive in place of a second press and do nothing; so does any message not listed.
struct DispatchRow {
  std::uint32_t mouseMessage;
  Action action;
};

// clang-format off
constexpr DispatchRow kDispatchTable[] = {
    {msg::kMouseMove, &MouseMove},
    {msg::kLButtonDown, &LeftDown},
    {msg::kLButtonUp, &LeftUp},
    {msg::kLButtonDblClk, &LeftDoubleClick},
    {msg::kRButtonDown, &RightDown},
    {msg::kRButtonUp, &RightUp},
    {msg::kRButtonDblClk, nullptr},
    {msg::kMButtonDown, &MiddleDown},
    {msg::kMButtonUp, &MiddleUp},
    {msg::kMButtonDblClk, nullptr},
};
// clang-format on

}  // namespace

void TCallbackWindow::HandleTrayMessage(std::uintptr_t wParam, std::intptr_t lParam) {
  TTrayIcon* icon =
      IconRegistry::Instance().Find(IconRegistry::KeyOf(static_cast<std::uint32_t>(wParam)));
  if (icon == nullptr) return;
  // Remembered before the enabled test: a disabled icon is the last icon too.
  lastIcon_ = icon;
  if (!icon->Enabled()) return;
  // Where the cursor is now, in screen coordinates, signed on monitors left of or above the
  // primary one.
  Point at = Windows().CursorPos();
  auto mouseMessage = static_cast<std::uint32_t>(lParam);
  for (const DispatchRow& row : kDispatchTable) {
    if (row.mouseMessage != mouseMessage) continue;
    if (row.action != nullptr) row.action(*this, *icon, at);
    return;
  }
}

void TCallbackWindow::PopupMenuOf(TTrayIcon& icon, MenuSide side, Point at) {
  std::int32_t identifier = icon.Identifier();
  if (auto* form = dynamic_cast<TForm*>(icon.Owner())) {
    // The menu closes when the user clicks elsewhere only if the program is in the foreground.
    Windows().SetForegroundWindow(form->Handle());
    Application().ProcessMessages();
    // The waiting messages may have taken the icon or its menu away.
    TTrayIcon* still =
        IconRegistry::Instance().Find(IconRegistry::KeyOf(static_cast<std::uint32_t>(identifier)));
    if (still != &icon) return;
  }
  TPopupMenu* menu = side == MenuSide::kLeft ? icon.LBPopupMenu() : icon.RBPopupMenu();
  if (menu == nullptr) return;
  menu->Popup(at.x, at.y);
  // A message for the menu's owner, the application window, makes the system switch to the
  // program once the menu is over; without it a notification icon's menu shown a second time
  // can close at once.
  Windows().Post(Application().Handle(), WindowMessage{msg::kNull, 0, 0});
}

void TCallbackWindow::SingleClickStep(TTrayIcon& icon) {
  if (!icon.ClickPending()) {
    ClickPendingAccess::Set(icon, true);
    TSingleClick::Start(Application(), icon.Workers(), handOver_, [this] { SingleClickDone(); });
  } else {
    // This release ends a double click.
    ClickPendingAccess::Set(icon, false);
  }
}

void TCallbackWindow::SingleClickDone() {
  if (closing_) return;
  TTrayIcon* icon = lastIcon_;
  if (icon == nullptr) return;
  try {
    if (icon->OnClick && icon->ClickPending()) icon->OnClick(*icon);
  } catch (...) {
    // The error box shows it (the hand-over runs completions under the application's
    // handling); the click is over all the same.
    if (lastIcon_ == icon) ClickPendingAccess::Set(*icon, false);
    throw;
  }
  // The handler may have destroyed the icon.
  if (lastIcon_ == icon) ClickPendingAccess::Set(*icon, false);
}

}  // namespace tavilune
