// TCallbackWindow: the one hidden window of the process to which the shell sends the mouse
// activity of every tray icon, and which turns it into the icons' events and popup menus.
#pragma once

#include <cstdint>
#include <memory>

#include "forms/win_control.h"
#include "platform/types.h"
#include "tray/single_click.h"

namespace tavilune {

class TTrayIcon;

class TCallbackWindow : public TWinControl {
 public:
  // A zero-size child of the owner when the owner is a windowed control; otherwise a hidden
  // top-level window owned by the application window.
  TCallbackWindow(TComponent* owner, TApplication& application);
  ~TCallbackWindow() override;

  // The process's callback window, or none before the first icon and after its owner went.
  static TCallbackWindow* Instance();
  // The process's callback window, made for this owner when there is none (the first icon's,
  // or a later icon's after the first owner and its window have gone). A component without an
  // owner has its callback window owned by the application.
  static TCallbackWindow& ForComponent(TComponent* owner, TApplication& application);

  // The icon of the most recent callback message that named a registered icon.
  TTrayIcon* LastIcon() const { return lastIcon_; }
  // The completion of every single-click worker, on the user-interface thread.
  void SingleClickDone();
  // An icon that is being destroyed: completions still on their way must not reach it.
  void Forget(TTrayIcon* icon);

  // Handles one callback message: wParam the icon's identifier, lParam the mouse message.
  void HandleTrayMessage(std::uintptr_t wParam, std::intptr_t lParam);

  // The steps that show an icon's menu at the cursor; exposed to the dispatch table.
  enum class MenuSide { kLeft, kRight };
  void PopupMenuOf(TTrayIcon& icon, MenuSide side, Point at);
  // A left release that ends a click (not a double click) starts the wait for a second one.
  void SingleClickStep(TTrayIcon& icon);

 protected:
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;

 private:
  TTrayIcon* lastIcon_ = nullptr;
  bool closing_ = false;
  std::shared_ptr<SingleClickHandOver> handOver_ = std::make_shared<SingleClickHandOver>();
};

}  // namespace tavilune
