// The tray icon against the real shell: a form with a tray icon is put into the notification
// area, its slot is clicked with real input, and the callback message must come back as the
// icon's events; a right press opens its menu. Prints each check and exits 0 when all passed.
//
// Without a desktop tray Wine shows notification icons in a top-level window of its own at the
// top-left of the screen, one square slot per icon; on Windows the slot is found the same way
// only when such a window exists, so this program is meant for the Wine runs.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/menu.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/window_system_win32.h"
#include "tray/callback_window.h"
#include "tray/tray_icon.h"

namespace {

using namespace tavilune;

constexpr wchar_t kWineTrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t kWineTraySlotClass[] = L"__winex11_tray_icon";
constexpr wchar_t kMenuClass[] = L"#32768";

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

// Pumps the program's messages until the condition holds or the time is up.
bool PumpUntil(TApplication& app, const std::function<bool()>& condition, int seconds = 20) {
  auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < giveUp) {
    app.ProcessMessages();
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

HWND VisibleTrayWindow() {
  HWND tray = FindWindowW(kWineTrayClass, nullptr);
  return tray != nullptr && IsWindowVisible(tray) ? tray : nullptr;
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.dx = x;
  input.mi.dy = y;
  SendInput(1, &input, sizeof input);
}

// Moves the real cursor onto the point and presses and releases a button there.
void ClickAt(POINT at, DWORD down, DWORD up) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  LONG ax = static_cast<LONG>((at.x * 65535LL) / (width - 1));
  LONG ay = static_cast<LONG>((at.y * 65535LL) / (height - 1));
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay);
  Sleep(50);
  SendMouse(down | MOUSEEVENTF_ABSOLUTE, ax, ay);
  Sleep(50);
  SendMouse(up | MOUSEEVENTF_ABSOLUTE, ax, ay);
}

// The icons' slots: square child windows of the tray window, side by side.
std::vector<RECT> Slots(HWND tray) {
  std::vector<RECT> slots;
  for (HWND child = FindWindowExW(tray, nullptr, kWineTraySlotClass, nullptr); child != nullptr;
       child = FindWindowExW(tray, child, kWineTraySlotClass, nullptr)) {
    if (!IsWindowVisible(child)) continue;
    RECT rect{};
    GetWindowRect(child, &rect);
    slots.push_back(rect);
  }
  return slots;
}

// The real shell, with every call printed.
class PrintingShell : public Shell {
 public:
  bool NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) override {
    bool ok = shell_.NotifyIcon(action, record);
    std::printf("     Shell_NotifyIconA(%u, hWnd=%p uID=%u uFlags=%u msg=0x%X tip=%s) -> %d\n",
                action, reinterpret_cast<void*>(record.hWnd), record.uID, record.uFlags,
                record.uCallbackMessage, record.Tip().c_str(), ok);
    return ok;
  }
  std::uint32_t TaskbarCreatedMessage() override { return shell_.TaskbarCreatedMessage(); }
  void LetThrough(WindowHandle window, std::uint32_t message) override {
    shell_.LetThrough(window, message);
  }

 private:
  win32::Win32Shell shell_;
};

struct Press {
  TMouseButton button;
  TShiftState shift;
  std::int32_t x, y;
};

}  // namespace

int main() {
  win32::Win32WindowSystem windows(GetModuleHandleW(nullptr));
  PrintingShell shell;
  TApplication app(windows);
  app.SetTitle("Tavilune tray check");
  app.Initialize();
  auto* form = new TForm(&app, app);
  form->SetBounds(300, 300, 200, 150);

  auto* icon = new TTrayIcon(form, app, shell);
  auto* menu = new TPopupMenu(form, app);
  menu->Items().Add("TrayRESIZE", u8"元のサイズに戻す");
  menu->Items().Add("TrayExit", u8"終了");
  icon->Icon().SetHandle(reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_APPLICATION)));
  icon->SetTipHelp("Tavilune");
  icon->SetRBPopupMenu(menu);
  std::vector<Press> presses;
  int moves = 0;
  icon->OnMouseDown = [&](TTrayIcon&, TMouseButton button, TShiftState shift, std::int32_t x,
                          std::int32_t y) {
    presses.push_back(Press{button, shift, x, y});
  };
  icon->OnMouseMove = [&](TTrayIcon&, TShiftState, std::int32_t, std::int32_t) { ++moves; };

  Check(VisibleTrayWindow() == nullptr, "no notification icon before Visible");

  icon->SetVisible(true);
  Check(icon->Added(), "the shell took the icon");
  Check(PumpUntil(app, [] { return VisibleTrayWindow() != nullptr; }),
        "the icon appears in the notification area");
  HWND tray = VisibleTrayWindow();
  if (tray == nullptr) {
    std::printf("no tray window: %d failure(s)\n", failures + 1);
    return 1;
  }
  std::vector<RECT> slots = Slots(tray);
  Check(slots.size() == 1 && slots[0].right - slots[0].left == slots[0].bottom - slots[0].top &&
            slots[0].right > slots[0].left,
        "one square slot for one icon");
  if (slots.empty()) return 1;

  // A second icon of the process takes a second slot, and leaves it again.
  {
    auto* second = new TTrayIcon(form, app, shell);
    // This program has no icon of its own to fall back on: without one the icon stays hidden.
    second->SetVisible(true);
    Check(!second->Visible(), "an icon with no picture anywhere stays hidden");
    second->SetIcon(&icon->Icon());
    second->SetVisible(true);
    Check(second->Identifier() == icon->Identifier() + 1,
          "the second icon has the next identifier");
    Check(PumpUntil(app, [&] { return Slots(tray).size() == 2; }),
          "a second icon takes a second slot");
    delete second;
    Check(PumpUntil(app, [&] { return Slots(tray).size() == 1; }),
          "and gives it back when destroyed");
  }

  // A left press on the slot: the shell's callback message reaches the callback window and
  // fires OnMouseDown with the left button at the cursor's screen position.
  SetForegroundWindow(tray);
  POINT slot{(slots[0].left + slots[0].right) / 2, (slots[0].top + slots[0].bottom) / 2};
  ClickAt(slot, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Check(PumpUntil(app, [&] { return !presses.empty(); }), "a left press fires OnMouseDown");
  if (!presses.empty()) {
    const Press& press = presses.front();
    Check(press.button == TMouseButton::kLeft && press.shift == TShiftState{ShiftFlag::kLeft},
          "with the left button and {left}");
    Check(press.x == slot.x && press.y == slot.y, "at the cursor's screen position (" +
                                                      std::to_string(press.x) + "," +
                                                      std::to_string(press.y) + ")");
  }
  Check(moves > 0, "moving over the icon fires OnMouseMove");
  Check(TCallbackWindow::Instance() != nullptr && TCallbackWindow::Instance()->LastIcon() == icon,
        "the callback window found the icon by its identifier");

  // A middle press fires OnMouseDown too.
  presses.clear();
  SetForegroundWindow(tray);
  ClickAt(slot, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
  Check(PumpUntil(app, [&] { return !presses.empty(); }) &&
            presses.front().button == TMouseButton::kMiddle,
        "a middle press fires OnMouseDown with the middle button");

  // A right press opens the menu instead; Escape closes it.
  presses.clear();
  std::atomic<bool> menuSeen{false};
  std::thread closer([&] {
    for (int i = 0; i < 400 && !menuSeen; ++i) {
      HWND popup = FindWindowW(kMenuClass, nullptr);
      if (popup != nullptr && IsWindowVisible(popup)) {
        menuSeen = true;
        Sleep(200);
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof keys[0]);
        return;
      }
      Sleep(50);
    }
  });
  SetForegroundWindow(tray);
  ClickAt(slot, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  PumpUntil(app, [&] { return menuSeen.load(); });
  closer.join();
  PumpUntil(
      app,
      [] {
        return FindWindowW(kMenuClass, nullptr) == nullptr ||
               !IsWindowVisible(FindWindowW(kMenuClass, nullptr));
      },
      5);
  Check(menuSeen, "a right press opens the icon's menu");
  Check(presses.empty(), "and fires no OnMouseDown");

  // A single left click fires OnClick once, no sooner than the double-click time plus 50 ms
  // after the release; a double click fires OnDblClick and no OnClick.
  int clicks = 0;
  int doubleClicks = 0;
  icon->OnClick = [&](TTrayIcon&) { ++clicks; };
  icon->OnDblClick = [&](TTrayIcon&) { ++doubleClicks; };
  Sleep(GetDoubleClickTime() + 100);  // the earlier presses must not pair with the next one
  app.ProcessMessages();
  SetForegroundWindow(tray);
  ClickAt(slot, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  DWORD released = GetTickCount();
  Check(PumpUntil(app, [&] { return clicks > 0; }), "a single click fires OnClick");
  DWORD waited = GetTickCount() - released;
  Check(waited + 20 >= GetDoubleClickTime() + 50,
        "after the double-click time plus 50 ms (" + std::to_string(waited) + " ms)");
  PumpUntil(
      app, [] { return false; }, 1);
  Check(clicks == 1 && doubleClicks == 0, "once");

  clicks = 0;
  Sleep(GetDoubleClickTime() + 100);
  SetForegroundWindow(tray);
  ClickAt(slot, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ClickAt(slot, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Check(PumpUntil(app, [&] { return doubleClicks > 0; }), "a double click fires OnDblClick");
  PumpUntil(
      app, [] { return false; }, 2);
  Check(clicks == 0 && doubleClicks == 1, "and no OnClick");
  icon->OnClick = nullptr;
  icon->OnDblClick = nullptr;

  // The shell forgets the icon and announces a new notification area: the icon comes back.
  {
    NotifyIconRecord forget;
    forget.cbSize = kNotifyIconRecordSize;
    forget.hWnd = TCallbackWindow::Instance()->Handle();
    forget.uID = static_cast<std::uint32_t>(icon->Identifier());
    win32::Win32Shell().NotifyIcon(kNimDelete, forget);
    Check(PumpUntil(app, [] { return VisibleTrayWindow() == nullptr; }),
          "the shell forgot the icon");
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Check(PumpUntil(app, [] { return VisibleTrayWindow() != nullptr; }),
          "the icon is added again when the shell announces its new notification area");
  }

  icon->SetVisible(false);
  Check(!icon->Added(), "hiding deletes the icon");
  Check(PumpUntil(app, [] { return VisibleTrayWindow() == nullptr; }),
        "the icon leaves the notification area");

  // Shown again and then destroyed with its form: the icon goes with it.
  icon->SetVisible(true);
  Check(PumpUntil(app, [] { return VisibleTrayWindow() != nullptr; }), "shown again");
  delete form;
  Check(PumpUntil(app, [] { return VisibleTrayWindow() == nullptr; }),
        "destroying the form removes the icon");

  std::printf("%s: %d failure(s)\n", failures == 0 ? "PASSED" : "FAILED", failures);
  return failures == 0 ? 0 : 1;
}
