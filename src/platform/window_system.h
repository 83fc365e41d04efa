// Top-level and child windows, their messages, the message loop, menus and message boxes.
// Messages travel as the system's numbers (the portable core names the ones it uses in
// forms/messages.h); handles are the system's values, opaque to the core.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tavilune {

class Canvas;

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
using ThreadId = std::uint32_t;

struct WindowMessage {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// Receives every message of a window it was created with, on the user-interface thread.
class WindowListener {
 public:
  virtual ~WindowListener() = default;
  // Returns true when the message was handled and result holds the answer; false asks for the
  // system's default handling.
  virtual bool HandleMessage(WindowHandle window, const WindowMessage& message,
                             std::intptr_t& result) = 0;
};

struct WindowSpec {
  std::string className;      // the window class, named after the control's class
  std::string title;          // UTF-8
  std::uint32_t style = 0;    // WS_* bits
  std::uint32_t exStyle = 0;  // WS_EX_* bits
  Rect bounds;                // outer rectangle, screen pixels (parent's client for children)
  WindowHandle parent = 0;    // owner of a pop-up window, parent of a child window
  bool doubleClicks = false;  // the window class takes double clicks
  bool systemClass = false;   // className names one of the system's classes ("STATIC", ...)
  IconHandle icon = 0;
};

struct MonitorInfo {
  Rect bounds;
  Rect workArea;
  std::string device;  // the system's name for the display, such as \\.\DISPLAY1 (UTF-8)
};

// A popup menu as the system shows it. Identifiers of leaf items are returned by TrackPopupMenu;
// submenus are filled before they show through the listener passed to TrackPopupMenu.
struct MenuItemSpec {
  std::string caption;  // UTF-8; "-" is a separator
  std::uint32_t id = 0;
  bool enabled = true;
  bool checked = false;
  std::vector<MenuItemSpec> children;
};

class MenuListener {
 public:
  virtual ~MenuListener() = default;
  // A submenu (identified by its item id) is about to show: the children's enabled and checked
  // states are read again from the returned specs.
  virtual std::vector<MenuItemSpec> SubmenuOpening(std::uint32_t submenuId) = 0;
};

enum class MessageBoxKind { kError, kInformation };

// Which image of an icon resource: the system's large icon size (32 x 32 at 96 DPI) or its small
// one (16 x 16), the size of the notification area's icons.
enum class IconSize { kLarge, kSmall };

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual WindowHandle CreateNativeWindow(const WindowSpec& spec, WindowListener* listener) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  virtual bool IsWindow(WindowHandle window) = 0;

  virtual std::intptr_t Send(WindowHandle window, const WindowMessage& message) = 0;
  virtual bool Post(WindowHandle window, const WindowMessage& message) = 0;

  virtual void SetText(WindowHandle window, const std::string& text) = 0;  // UTF-8
  // Gives a window a font: face name (UTF-8), height in pixels, character set number.
  virtual void SetFont(WindowHandle window, const std::string& face, int pixelHeight,
                       int charset) = 0;
  virtual void ShowWindow(WindowHandle window, int command) = 0;  // SW_* numbers
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual void EnableWindow(WindowHandle window, bool enable) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  // Get/SetWindowLongPtr: pointer-sized, since an index such as the owner's holds a handle.
  virtual std::intptr_t GetLong(WindowHandle window, int index) = 0;
  virtual void SetLong(WindowHandle window, int index, std::intptr_t value) = 0;
  // SetWindowPos with insertAfter as the system's value (HWND_TOPMOST is -1, HWND_NOTOPMOST -2).
  virtual void SetWindowPos(WindowHandle window, std::intptr_t insertAfter, const Rect& bounds,
                            std::uint32_t flags) = 0;
  virtual Rect WindowRect(WindowHandle window) = 0;
  // The outer rectangle of a window of these styles whose client area is the given rectangle,
  // on a monitor of that DPI (the system sizes the frame and caption of a window for its DPI).
  virtual Rect OuterForClient(const Rect& client, std::uint32_t style, std::uint32_t exStyle,
                              int dpi) = 0;
  virtual void Invalidate(WindowHandle window) = 0;
  // Answers WM_PAINT: the painter draws through a canvas between BeginPaint and EndPaint.
  virtual void Paint(WindowHandle window, const std::function<void(Canvas&)>& painter) = 0;
  virtual void UpdateWindow(WindowHandle window) = 0;
  virtual bool SetForegroundWindow(WindowHandle window) = 0;
  virtual WindowHandle ActiveWindow() = 0;
  virtual void SetActiveWindow(WindowHandle window) = 0;
  virtual WindowHandle FocusWindow() = 0;
  virtual void SetFocus(WindowHandle window) = 0;
  virtual void ReleaseCapture() = 0;

  virtual Point CursorPos() = 0;
  virtual std::uint32_t DoubleClickTime() = 0;
  virtual std::uint32_t TickCount() = 0;

  virtual std::vector<MonitorInfo> Monitors() = 0;  // the primary first
  virtual MonitorInfo MonitorOfWindow(WindowHandle window) = 0;
  virtual MonitorInfo MonitorNearest(const Rect& rect) = 0;

  // The DPI a window is laid out for: that of its monitor, the program being aware of each
  // monitor's DPI (platform/dpi.h scales the design's lengths to it). A window that moves to a
  // monitor of another DPI gets msg::kDpiChanged.
  virtual int WindowDpi(WindowHandle window) = 0;
  // The DPI of the monitor nearest to the rectangle (screen pixels), for a window not made yet.
  virtual int DpiNearest(const Rect& rect) = 0;
  // The system's icon size (SM_CXICON) at the DPI.
  virtual int IconSizeForDpi(int dpi) = 0;

  // What the information box takes from the system: its message font at a DPI (given to a
  // window), the extent of a text word-wrapped in that font at most maxWidth pixels wide, and
  // its information icon at a size (kept by the window system).
  virtual void SetMessageFont(WindowHandle window, int dpi) = 0;
  virtual Rect MessageTextExtent(const std::string& text, std::int32_t maxWidth, int dpi) = 0;
  virtual IconHandle InformationIcon(int size) = 0;

  // Runs one message through the loop. Waits for one when wait is true. Returns false when the
  // loop should end (WM_QUIT) or, without waiting, when no message was waiting.
  virtual bool PumpMessage(bool wait, bool& quit) = 0;
  virtual void PostQuit(int code) = 0;
  virtual ThreadId CurrentThread() = 0;

  virtual void ShowMessageBox(WindowHandle owner, const std::string& text,
                              const std::string& caption, MessageBoxKind kind) = 0;

  // Shows the menu at the point (screen coordinates) for the owner window with TrackPopupMenu's
  // flags; returns the chosen leaf's id, or 0 when the menu closed without a choice.
  virtual std::uint32_t TrackPopupMenu(const std::vector<MenuItemSpec>& items, Point at,
                                       std::uint32_t flags, WindowHandle owner,
                                       MenuListener* listener) = 0;

  virtual IconHandle ApplicationIcon() = 0;  // the program's own 32 x 32 icon
  // The resource's image for the system's icon size at that DPI.
  virtual IconHandle LoadIconResource(const std::string& name, IconSize size, int dpi) = 0;
};

}  // namespace tavilune
