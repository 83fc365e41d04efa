// A window system in memory: windows with their styles, bounds and visibility, messages sent
// straight to listeners and posted ones queued, and every call that matters recorded.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace tavilune::testing {

struct FakeWindow {
  WindowSpec spec;
  WindowListener* listener = nullptr;
  bool visible = false;
  bool enabled = true;
  std::int32_t style = 0;
  std::int32_t exStyle = 0;
  Rect bounds;
  bool topmost = false;
};

struct MessageBoxCall {
  WindowHandle owner;
  std::string text;
  std::string caption;
  MessageBoxKind kind;
  bool quitPending = false;  // a real box would end at once
};

struct PopupCall {
  std::vector<MenuItemSpec> items;
  Point at;
  std::uint32_t flags;
  WindowHandle owner;
};

class FakeWindowSystem : public WindowSystem {
 public:
  // Stands for another program's window: the system activates it when the program's active
  // window goes (hidden, or a message box closed) and no window of the program's can take over.
  // A program that lost the activation so cannot take it back with SetActiveWindow.
  static constexpr WindowHandle kAnotherProgram = 0xA0;

  WindowHandle CreateNativeWindow(const WindowSpec& spec, WindowListener* listener) override;
  void DestroyWindow(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override { return windows.count(window) != 0; }
  std::intptr_t Send(WindowHandle window, const WindowMessage& message) override;
  bool Post(WindowHandle window, const WindowMessage& message) override;
  void SetText(WindowHandle window, const std::string& text) override {
    if (IsWindow(window)) windows[window].spec.title = text;
  }
  void SetFont(WindowHandle window, const std::string& face, int pixelHeight,
               int charset) override {
    log.push_back("SetFont " + std::to_string(window) + " " + face + " " +
                  std::to_string(pixelHeight) + " " + std::to_string(charset));
  }
  void ShowWindow(WindowHandle window, int command) override;
  bool IsWindowVisible(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  bool IsWindowEnabled(WindowHandle window) override;
  std::intptr_t GetLong(WindowHandle window, int index) override;
  void SetLong(WindowHandle window, int index, std::intptr_t value) override;
  void SetWindowPos(WindowHandle window, std::intptr_t insertAfter, const Rect& bounds,
                    std::uint32_t flags) override;
  Rect WindowRect(WindowHandle window) override;
  // Bordered windows in the fake have a 4-pixel frame and a 20-pixel caption at 96 DPI, scaled
  // to the DPI.
  Rect OuterForClient(const Rect& client, std::uint32_t style, std::uint32_t exStyle,
                      int dpi) override;
  void Invalidate(WindowHandle window) override { invalidated.push_back(window); }
  void Paint(WindowHandle window, const std::function<void(Canvas&)>& painter) override;
  void UpdateWindow(WindowHandle) override {}
  bool SetForegroundWindow(WindowHandle window) override;
  WindowHandle ActiveWindow() override { return active; }
  void SetActiveWindow(WindowHandle window) override {
    if (active != kAnotherProgram) active = window;
  }
  WindowHandle FocusWindow() override { return focus; }
  void SetFocus(WindowHandle window) override { focus = window; }
  void ReleaseCapture() override { ++releaseCaptureCalls; }
  Point CursorPos() override { return cursor; }
  std::uint32_t DoubleClickTime() override { return doubleClickTime; }
  std::uint32_t TickCount() override { return ticks; }
  std::vector<MonitorInfo> Monitors() override { return monitors; }
  MonitorInfo MonitorOfWindow(WindowHandle window) override;
  MonitorInfo MonitorNearest(const Rect& rect) override;
  int WindowDpi(WindowHandle) override { return dpi; }
  int DpiNearest(const Rect&) override { return dpi; }
  int IconSizeForDpi(int forDpi) override;
  void SetMessageFont(WindowHandle window, int forDpi) override {
    log.push_back("SetMessageFont " + std::to_string(window) + " " + std::to_string(forDpi));
  }
  // Every text takes 300 x 40 pixels, wrapped or not.
  Rect MessageTextExtent(const std::string&, std::int32_t, int) override { return {0, 0, 300, 40}; }
  IconHandle InformationIcon(int size) override { return 0x4000 + static_cast<IconHandle>(size); }
  bool PumpMessage(bool wait, bool& quit) override;
  void PostQuit(int code) override;
  ThreadId CurrentThread() override;
  void ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                      MessageBoxKind kind) override;
  std::uint32_t TrackPopupMenu(const std::vector<MenuItemSpec>& items, Point at,
                               std::uint32_t flags, WindowHandle owner,
                               MenuListener* listener) override;
  IconHandle ApplicationIcon() override { return applicationIcon; }
  // Each resource has a large and a small image for each DPI, told apart by their handles.
  IconHandle LoadIconResource(const std::string& name, IconSize size, int forDpi) override;

  // Sends a message as the system would deliver it to the window's listener.
  std::intptr_t Deliver(WindowHandle window, std::uint32_t message, std::uintptr_t wParam = 0,
                        std::intptr_t lParam = 0);
  FakeWindow& Window(WindowHandle window) { return windows.at(window); }
  // The top-level windows created with this title (UTF-8), oldest first.
  std::vector<WindowHandle> WindowsTitled(const std::string& title) const;

  std::map<WindowHandle, FakeWindow> windows;
  std::deque<std::pair<WindowHandle, WindowMessage>> posted;
  std::vector<std::pair<WindowHandle, WindowMessage>> sent;
  std::vector<WindowHandle> foregroundCalls;
  std::vector<WindowHandle> destroyed;
  std::vector<std::pair<WindowHandle, WindowSpec>> created;  // every window, in order
  std::vector<WindowHandle> invalidated;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<PopupCall> popups;
  std::vector<std::string> log;  // "ShowWindow 3 5", "SetWindowPos 3 -1 19", ...
  std::function<void(const MessageBoxCall&)> onMessageBox;
  // Answers a popup menu; the default closes it without a choice.
  std::function<std::uint32_t(const PopupCall&, MenuListener*)> onPopup;
  // Runs while painting; a test can hand a canvas to the painter.
  std::function<void(WindowHandle, const std::function<void(Canvas&)>&)> onPaint;

  Point cursor{0, 0};
  std::uint32_t doubleClickTime = 500;
  std::uint32_t ticks = 0;
  std::vector<MonitorInfo> monitors{{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, "DISPLAY1"}};
  int dpi = 96;  // of every monitor, and so of every window
  IconHandle applicationIcon = 0x1C0;
  bool iconResourcesFound = true;  // false: every icon resource is missing
  WindowHandle active = 0;
  WindowHandle focus = 0;
  int releaseCaptureCalls = 0;
  bool quitPosted = false;
  int quitCode = 0;

 private:
  // Where the activation goes when the active window goes: to its owner when that is shown and
  // enabled, else to another program.
  WindowHandle HandOverActivation(WindowHandle owner);

  // Beyond 32 bits on a 64-bit host, so that a handle cut to 32 bits anywhere names no window.
  WindowHandle next_ = (WindowHandle{1} << (sizeof(WindowHandle) * 4)) + 0x100;
};

}  // namespace tavilune::testing
