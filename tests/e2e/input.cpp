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

void MouseButton(bool left, bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  if (left) {
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  } else {
    input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  }
  SendInput(1, &input, sizeof input);
}

void DragWithLeftButton(POINT from, int dx, int dy) {
  MoveMouseTo(from.x, from.y);
  Settle(150);
  MouseButton(true, true);
  Settle(300);  // the window enters its move loop on the press
  const int steps = 10;
  for (int step = 1; step <= steps; ++step) {
    MoveMouseTo(from.x + dx * step / steps, from.y + dy * step / steps);
    Settle(60);
  }
  Settle(200);
  MouseButton(true, false);
  Settle(200);
}

void ClickRightButton(POINT at) {
  MoveMouseTo(at.x, at.y);
  Settle(150);
  MouseButton(false, true);
  Settle(100);
  MouseButton(false, false);
  Settle(200);
}

}  // namespace tavilune::e2e

namespace tavilune::e2e {

void ClickAt(POINT at, MouseKey key) {
  DWORD down = MOUSEEVENTF_LEFTDOWN;
  DWORD up = MOUSEEVENTF_LEFTUP;
  if (key == MouseKey::kRight) {
    down = MOUSEEVENTF_RIGHTDOWN;
    up = MOUSEEVENTF_RIGHTUP;
  } else if (key == MouseKey::kMiddle) {
    down = MOUSEEVENTF_MIDDLEDOWN;
    up = MOUSEEVENTF_MIDDLEUP;
  }
  MoveMouseTo(at.x, at.y);
  Settle(150);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down;
  SendInput(1, &input, sizeof input);
  Settle(60);
  input.mi.dwFlags = up;
  SendInput(1, &input, sizeof input);
  Settle(150);
}

void DoubleClickAt(POINT at) {
  MoveMouseTo(at.x, at.y);
  Settle(150);
  INPUT input{};
  input.type = INPUT_MOUSE;
  for (int click = 0; click < 2; ++click) {
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof input);
    Settle(40);
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    Settle(40);
  }
  Settle(200);
}

}  // namespace tavilune::e2e
