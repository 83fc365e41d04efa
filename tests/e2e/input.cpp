#include "input.h"

#include "window_search.h"

namespace tavilune::e2e {

namespace {

void SendKey(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

// Moves to the point, presses, holds, releases and waits.
void Click(POINT at, DWORD down, DWORD up, DWORD holdMs, DWORD afterMs) {
  MoveMouseTo(at.x, at.y);
  Settle(150);
  SendMouse(down);
  Settle(holdMs);
  SendMouse(up);
  Settle(afterMs);
}

}  // namespace

bool BringToFront(HWND window) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetForegroundWindow(window);
    if (GetForegroundWindow() == window) return true;
    Settle(100);
  }
  return false;
}

void PressKey(WORD virtualKey) {
  SendKey(virtualKey, true);
  Settle(30);
  SendKey(virtualKey, false);
}

void PressKeyWithAlt(WORD virtualKey) {
  SendKey(VK_MENU, true);
  Settle(30);
  SendKey(virtualKey, true);
  Settle(30);
  SendKey(virtualKey, false);
  Settle(30);
  SendKey(VK_MENU, false);
}

void MoveMouseTo(int x, int y) {
  // Absolute coordinates are given on a 0..65535 scale over the primary screen.
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((x * 65535LL + (width - 1) / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((y * 65535LL + (height - 1) / 2) / (height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

void DragWithLeftButton(POINT from, int dx, int dy) {
  MoveMouseTo(from.x, from.y);
  Settle(150);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Settle(300);  // the window enters its move loop on the press
  const int steps = 10;
  for (int step = 1; step <= steps; ++step) {
    MoveMouseTo(from.x + dx * step / steps, from.y + dy * step / steps);
    Settle(60);
  }
  Settle(200);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Settle(200);
}

void ClickRightButton(POINT at) { Click(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 100, 200); }

void ClickAt(POINT at, MouseKey key) {
  if (key == MouseKey::kLeft) return Click(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 60, 150);
  if (key == MouseKey::kRight)
    return Click(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 60, 150);
  Click(at, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 60, 150);
}

void DoubleClickAt(POINT at) {
  MoveMouseTo(at.x, at.y);
  Settle(150);
  for (int click = 0; click < 2; ++click) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Settle(40);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle(40);
  }
  Settle(200);
}

}  // namespace tavilune::e2e
