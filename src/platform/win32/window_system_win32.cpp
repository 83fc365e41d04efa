#include "platform/win32/window_system_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <map>
#include <memory>

#include "platform/win32/canvas_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/fence.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_call.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

namespace {

Rect ToRect(const RECT& rect) { return Rect{rect.left, rect.top, rect.right, rect.bottom}; }

// The menu being tracked on this thread: its submenus by handle, so that the submenu
// initialisation message can ask the program for their current state.
struct MenuSession {
  MenuListener* listener = nullptr;
  std::map<HMENU, std::uint32_t> submenus;
  Fence fence;  // around the submenu initialisation, which runs inside the menu's loop
};
thread_local MenuSession* currentMenu = nullptr;

void InitMenuPopup(HMENU menu) {
  if (currentMenu == nullptr || currentMenu->listener == nullptr) return;
  auto found = currentMenu->submenus.find(menu);
  if (found == currentMenu->submenus.end()) return;
  MenuListener& listener = *currentMenu->listener;
  currentMenu->fence.Run([&] {
    std::vector<MenuItemSpec> states = listener.SubmenuOpening(found->second);
    for (UINT position = 0; position < states.size(); ++position) {
      EnableMenuItem(menu, position,
                     MF_BYPOSITION | (states[position].enabled ? MF_ENABLED : MF_GRAYED));
      CheckMenuItem(menu, position,
                    MF_BYPOSITION | (states[position].checked ? MF_CHECKED : MF_UNCHECKED));
    }
  });
}

}  // namespace

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_INITMENUPOPUP) InitMenuPopup(reinterpret_cast<HMENU>(wParam));
  auto* listener = reinterpret_cast<WindowListener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (listener != nullptr) {
    std::intptr_t result = 0;
    WindowMessage forwarded{message, wParam, lParam};
    if (listener->HandleMessage(reinterpret_cast<WindowHandle>(window), forwarded, result)) {
      return result;
    }
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return DefWindowProcW(window, message, wParam, lParam);
}

namespace {

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }

OwnedMenu BuildMenu(const std::vector<MenuItemSpec>& items, MenuSession& session) {
  OwnedMenu menu(CreatePopupMenu());
  for (const MenuItemSpec& item : items) {
    if (item.caption == "-") {
      AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) |
                 (item.checked ? MF_CHECKED : MF_UNCHECKED);
    std::wstring caption = Wide(item.caption);
    if (!item.children.empty()) {
      OwnedMenu submenu = BuildMenu(item.children, session);
      if (AppendMenuW(menu.Get(), flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.Get()),
                      caption.c_str())) {
        // From here the parent destroys it.
        session.submenus[submenu.Detach()] = item.id;
      }
    } else {
      AppendMenuW(menu.Get(), flags, item.id, caption.c_str());
    }
  }
  return menu;
}

struct MonitorCollection {
  std::vector<MonitorInfo> monitors;
  Fence fence;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& collection = *reinterpret_cast<MonitorCollection*>(data);
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  std::vector<MonitorInfo>& monitors = collection.monitors;
  // A failed allocation ends the enumeration.
  return collection.fence.Run([&] {
    MonitorInfo entry{ToRect(info.rcMonitor), ToRect(info.rcWork), Utf8(info.szDevice)};
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
      monitors.insert(monitors.begin(), entry);
    } else {
      monitors.push_back(entry);
    }
  });
}

MonitorInfo InfoOf(HMONITOR monitor) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return MonitorInfo{};
  return MonitorInfo{ToRect(info.rcMonitor), ToRect(info.rcWork), Utf8(info.szDevice)};
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {}

Win32WindowSystem::~Win32WindowSystem() = default;

void Win32WindowSystem::SetFont(WindowHandle window, const std::string& face, int pixelHeight,
                                int charset) {
  GdiObject<HFONT>& font = fonts_[{face, pixelHeight, charset}];
  if (!font) {
    LOGFONTW logical{};
    logical.lfHeight = -pixelHeight;
    logical.lfCharSet = static_cast<BYTE>(charset);
    logical.lfQuality = DEFAULT_QUALITY;
    std::wstring name = Wide(face);
    wcsncpy(logical.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    font = GdiObject<HFONT>(CreateFontIndirectW(&logical));
    if (!font) return;
  }
  SendMessageW(H(window), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

void Win32WindowSystem::RegisterClassFor(const WindowSpec& spec) {
  std::wstring name = Wide(spec.className.empty() ? "TWinControl" : spec.className);
  if (registered_.count(name)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = spec.doubleClicks ? CS_DBLCLKS : 0;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = reinterpret_cast<HICON>(spec.icon);
  windowClass.lpszClassName = name.c_str();
  RegisterClassExW(&windowClass);
  registered_.insert(name);
}

WindowHandle Win32WindowSystem::CreateNativeWindow(const WindowSpec& spec,
                                                   WindowListener* listener) {
  if (!spec.systemClass) RegisterClassFor(spec);
  std::wstring className = Wide(spec.className.empty() ? "TWinControl" : spec.className);
  std::wstring title = Wide(spec.title);
  HWND window =
      CreateWindowExW(spec.exStyle, className.c_str(), title.c_str(), spec.style, spec.bounds.left,
                      spec.bounds.top, spec.bounds.Width(), spec.bounds.Height(), H(spec.parent),
                      nullptr, instance_, spec.systemClass ? nullptr : listener);
  if (window != nullptr && spec.icon != 0) {
    SendMessageW(window, WM_SETICON, ICON_BIG, static_cast<LPARAM>(spec.icon));
  }
  return reinterpret_cast<WindowHandle>(window);
}

void Win32WindowSystem::DestroyWindow(WindowHandle window) { ::DestroyWindow(H(window)); }

bool Win32WindowSystem::IsWindow(WindowHandle window) { return ::IsWindow(H(window)) != FALSE; }

std::intptr_t Win32WindowSystem::Send(WindowHandle window, const WindowMessage& message) {
  return SendMessageW(H(window), message.message, message.wParam, message.lParam);
}

bool Win32WindowSystem::Post(WindowHandle window, const WindowMessage& message) {
  return PostMessageW(H(window), message.message, message.wParam, message.lParam) != FALSE;
}

void Win32WindowSystem::SetText(WindowHandle window, const std::string& text) {
  SetWindowTextW(H(window), Wide(text).c_str());
}

void Win32WindowSystem::ShowWindow(WindowHandle window, int command) {
  ::ShowWindow(H(window), command);
}

bool Win32WindowSystem::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(H(window)) != FALSE;
}

void Win32WindowSystem::EnableWindow(WindowHandle window, bool enable) {
  ::EnableWindow(H(window), enable);
}

bool Win32WindowSystem::IsWindowEnabled(WindowHandle window) {
  return ::IsWindowEnabled(H(window)) != FALSE;
}

std::intptr_t Win32WindowSystem::GetLong(WindowHandle window, int index) {
  return GetWindowLongPtrW(H(window), index);
}

void Win32WindowSystem::SetLong(WindowHandle window, int index, std::intptr_t value) {
  SetWindowLongPtrW(H(window), index, value);
}

void Win32WindowSystem::SetWindowPos(WindowHandle window, std::intptr_t insertAfter,
                                     const Rect& bounds, std::uint32_t flags) {
  ::SetWindowPos(H(window), reinterpret_cast<HWND>(insertAfter), bounds.left, bounds.top,
                 bounds.Width(), bounds.Height(), flags);
}

Rect Win32WindowSystem::WindowRect(WindowHandle window) {
  RECT rect{};
  GetWindowRect(H(window), &rect);
  return ToRect(rect);
}

Rect Win32WindowSystem::OuterForClient(const Rect& client, std::uint32_t style,
                                       std::uint32_t exStyle, int dpi) {
  return ToRect(OuterForClientAtDpi(RECT{client.left, client.top, client.right, client.bottom},
                                    style, exStyle, dpi));
}

void Win32WindowSystem::Invalidate(WindowHandle window) {
  InvalidateRect(H(window), nullptr, FALSE);
}

void Win32WindowSystem::Paint(WindowHandle window, const std::function<void(Canvas&)>& painter) {
  PaintDc dc(H(window));
  Win32Canvas canvas(dc.Get());
  painter(canvas);
}

void Win32WindowSystem::UpdateWindow(WindowHandle window) { ::UpdateWindow(H(window)); }

bool Win32WindowSystem::SetForegroundWindow(WindowHandle window) {
  return ::SetForegroundWindow(H(window)) != FALSE;
}

WindowHandle Win32WindowSystem::ActiveWindow() {
  return reinterpret_cast<WindowHandle>(GetActiveWindow());
}

void Win32WindowSystem::SetActiveWindow(WindowHandle window) { ::SetActiveWindow(H(window)); }

WindowHandle Win32WindowSystem::FocusWindow() { return reinterpret_cast<WindowHandle>(GetFocus()); }

void Win32WindowSystem::SetFocus(WindowHandle window) { ::SetFocus(H(window)); }

void Win32WindowSystem::ReleaseCapture() { ::ReleaseCapture(); }

Point Win32WindowSystem::CursorPos() {
  POINT point{};
  GetCursorPos(&point);
  return Point{point.x, point.y};
}

std::uint32_t Win32WindowSystem::DoubleClickTime() { return GetDoubleClickTime(); }

std::uint32_t Win32WindowSystem::TickCount() { return GetTickCount(); }

std::vector<MonitorInfo> Win32WindowSystem::Monitors() {
  MonitorCollection collection;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&collection));
  collection.fence.Rethrow();
  std::vector<MonitorInfo>& monitors = collection.monitors;
  if (monitors.empty()) {
    Rect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    monitors.push_back(MonitorInfo{screen, screen, {}});
  }
  return monitors;
}

MonitorInfo Win32WindowSystem::MonitorOfWindow(WindowHandle window) {
  return InfoOf(MonitorFromWindow(H(window), MONITOR_DEFAULTTONEAREST));
}

MonitorInfo Win32WindowSystem::MonitorNearest(const Rect& rect) {
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  return InfoOf(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST));
}

int Win32WindowSystem::WindowDpi(WindowHandle window) { return DpiOfWindow(H(window)); }

int Win32WindowSystem::DpiNearest(const Rect& rect) {
  return DpiOfMonitorNear(RECT{rect.left, rect.top, rect.right, rect.bottom});
}

int Win32WindowSystem::IconSizeForDpi(int dpi) { return SystemMetricForDpi(SM_CXICON, dpi); }

// One font per DPI, made on first need; the windows it was given to may use it until the window
// system goes.
HFONT Win32WindowSystem::MessageFont(int dpi) {
  GdiObject<HFONT>& font = messageFonts_[dpi];
  if (!font) {
    const LOGFONTW logical = MessageFontForDpi(dpi);
    font = GdiObject<HFONT>(CreateFontIndirectW(&logical));
  }
  return font.Get();
}

void Win32WindowSystem::SetMessageFont(WindowHandle window, int dpi) {
  SendMessageW(H(window), WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont(dpi)), TRUE);
}

Rect Win32WindowSystem::MessageTextExtent(const std::string& text, std::int32_t maxWidth, int dpi) {
  const std::wstring wide = Wide(text);
  RECT extent{0, 0, maxWidth, 0};
  WindowDc screen(nullptr);
  SelectedObject selected(screen.Get(), MessageFont(dpi));
  DrawTextW(screen.Get(), wide.c_str(), -1, &extent,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  return ToRect(extent);
}

// Scaled down from the icon's largest image where the system can (LoadIconWithScaleDown, in
// comctl32 version 6), else the shared one of the system's standard size, which is the size the
// system has for its DPI.
IconHandle Win32WindowSystem::InformationIcon(int size) {
  using LoadIconWithScaleDownCall = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  // comctl32 is imported (the version the manifest names), so it is loaded already.
  static const auto call =
      FindSystemCall<LoadIconWithScaleDownCall>(L"comctl32.dll", "LoadIconWithScaleDown");
  OwnedIcon& icon = informationIcons_[size];
  HICON loaded = nullptr;
  if (!icon && call != nullptr && SUCCEEDED(call(nullptr, IDI_INFORMATION, size, size, &loaded))) {
    icon = OwnedIcon(loaded);
  }
  if (!icon) return reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_INFORMATION));
  return reinterpret_cast<IconHandle>(icon.Get());
}

bool Win32WindowSystem::PumpMessage(bool wait, bool& quit) {
  quit = false;
  MSG message{};
  if (wait) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      quit = true;
      return false;
    }
  } else {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
      quit = true;
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
  }
  // A window that holds dialog controls (WS_EX_CONTROLPARENT) gets the dialog manager's keys:
  // Enter presses the default button, Escape cancels, Tab moves between the controls.
  const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root != nullptr && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0 &&
      IsDialogMessageW(root, &message)) {
    return true;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

void Win32WindowSystem::PostQuit(int code) { PostQuitMessage(code); }

ThreadId Win32WindowSystem::CurrentThread() { return GetCurrentThreadId(); }

void Win32WindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                       const std::string& caption, MessageBoxKind kind) {
  UINT type = MB_OK | (kind == MessageBoxKind::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  MessageBoxW(H(owner), Wide(text).c_str(), Wide(caption).c_str(), type);
}

std::uint32_t Win32WindowSystem::TrackPopupMenu(const std::vector<MenuItemSpec>& items, Point at,
                                                std::uint32_t flags, WindowHandle owner,
                                                MenuListener* listener) {
  MenuSession session;
  session.listener = listener;
  const OwnedMenu menu = BuildMenu(items, session);
  MenuSession* previous = std::exchange(currentMenu, &session);
  // The choice comes back from the call, so that it runs after the menu has closed and
  // nothing is left posted behind it.
  UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(menu.Get(), flags | TPM_RETURNCMD, at.x, at.y, 0, H(owner), nullptr));
  currentMenu = previous;
  session.fence.Rethrow();
  return chosen;
}

IconHandle Win32WindowSystem::ApplicationIcon() {
  return LoadIconResource("MAINICON", IconSize::kLarge, ScreenDpi());
}

namespace {

// The image the resource holds for the system's icon size at the DPI, as the system picks it: a
// larger image is scaled down only when the resource has none of that size. Through the common
// controls' LoadIconWithScaleDown where the program runs with them (version 6, which its manifest
// asks for), else by the plain loader at that size.
HICON LoadIconAtSize(HINSTANCE instance, const std::wstring& name, int size) {
  using LoadIconWithScaleDownCall = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto loadScaledDown =
      FindSystemCall<LoadIconWithScaleDownCall>(L"comctl32.dll", "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (loadScaledDown != nullptr &&
      SUCCEEDED(loadScaledDown(instance, name.c_str(), size, size, &icon))) {
    return icon;
  }
  return static_cast<HICON>(LoadImageW(instance, name.c_str(), IMAGE_ICON, size, size, 0));
}

}  // namespace

// Windows, their classes and the notification area go on using an icon after the call, and
// nothing above hands it back: each icon is loaded once for each size and lives as long as the
// window system.
IconHandle Win32WindowSystem::LoadIconResource(const std::string& name, IconSize size, int dpi) {
  const int pixels = SystemMetricForDpi(size == IconSize::kSmall ? SM_CXSMICON : SM_CXICON, dpi);
  const std::string key = name + "/" + std::to_string(pixels);
  auto found = icons_.find(key);
  if (found == icons_.end()) {
    OwnedIcon icon(LoadIconAtSize(instance_, Wide(name), pixels));
    if (!icon) return 0;
    found = icons_.emplace(key, std::move(icon)).first;
  }
  return reinterpret_cast<IconHandle>(found->second.Get());
}

}  // namespace tavilune::win32
