#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/window_system.h"

namespace tavilune::win32 {

// The one window procedure of every window class the program registers: on WM_NCCREATE it
// attaches the WindowListener given as the creation parameter, then hands it each message;
// what the listener leaves goes to the system's default handling.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32WindowSystem : public WindowSystem {
 public:
  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;

  WindowHandle CreateNativeWindow(const WindowSpec& spec, WindowListener* listener) override;
  void DestroyWindow(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override;
  std::intptr_t Send(WindowHandle window, const WindowMessage& message) override;
  bool Post(WindowHandle window, const WindowMessage& message) override;
  void SetText(WindowHandle window, const std::string& text) override;
  void SetFont(WindowHandle window, const std::string& face, int pixelHeight, int charset) override;
  void ShowWindow(WindowHandle window, int command) override;
  bool IsWindowVisible(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  bool IsWindowEnabled(WindowHandle window) override;
  std::intptr_t GetLong(WindowHandle window, int index) override;
  void SetLong(WindowHandle window, int index, std::intptr_t value) override;
  void SetWindowPos(WindowHandle window, std::intptr_t insertAfter, const Rect& bounds,
                    std::uint32_t flags) override;
  Rect WindowRect(WindowHandle window) override;
  Rect OuterForClient(const Rect& client, std::uint32_t style, std::uint32_t exStyle,
                      int dpi) override;
  void Invalidate(WindowHandle window) override;
  void Paint(WindowHandle window, const std::function<void(Canvas&)>& painter) override;
  void UpdateWindow(WindowHandle window) override;
  bool SetForegroundWindow(WindowHandle window) override;
  WindowHandle ActiveWindow() override;
  void SetActiveWindow(WindowHandle window) override;
  WindowHandle FocusWindow() override;
  void SetFocus(WindowHandle window) override;
  void ReleaseCapture() override;
  Point CursorPos() override;
  std::uint32_t DoubleClickTime() override;
  std::uint32_t TickCount() override;
  std::vector<MonitorInfo> Monitors() override;
  MonitorInfo MonitorOfWindow(WindowHandle window) override;
  MonitorInfo MonitorNearest(const Rect& rect) override;
  int WindowDpi(WindowHandle window) override;
  int DpiNearest(const Rect& rect) override;
  int IconSizeForDpi(int dpi) override;
  void SetMessageFont(WindowHandle window, int dpi) override;
  Rect MessageTextExtent(const std::string& text, std::int32_t maxWidth, int dpi) override;
  IconHandle InformationIcon(int size) override;
  bool PumpMessage(bool wait, bool& quit) override;
  void PostQuit(int code) override;
  ThreadId CurrentThread() override;
  void ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                      MessageBoxKind kind) override;
  std::uint32_t TrackPopupMenu(const std::vector<MenuItemSpec>& items, Point at,
                               std::uint32_t flags, WindowHandle owner,
                               MenuListener* listener) override;
  IconHandle ApplicationIcon() override;
  IconHandle LoadIconResource(const std::string& name, IconSize size, int dpi) override;

  HINSTANCE Instance() const { return instance_; }

 private:
  void RegisterClassFor(const WindowSpec& spec);
  // The system's message font at the DPI, made once and kept.
  HFONT MessageFont(int dpi);

  HINSTANCE instance_;
  std::set<std::wstring> registered_;
  // Made for windows, one for each face, height and character set, so that laying a box out
  // again (at each change of DPI) reuses them; deleted with the window system.
  std::map<std::tuple<std::string, int, int>, GdiObject<HFONT>> fonts_;
  std::map<std::string, OwnedIcon> icons_;  // loaded by resource name
  std::map<int, GdiObject<HFONT>> messageFonts_;  // by DPI
  std::map<int, OwnedIcon> informationIcons_;     // by size
};

}  // namespace tavilune::win32
