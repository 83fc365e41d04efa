// Real keyboard and mouse input through SendInput, as a user's hands would give it.
#pragma once

#include <windows.h>

namespace tavilune::e2e {

// Brings the window to the foreground; true when it became the foreground window.
bool BringToFront(HWND window);
void PressKey(WORD virtualKey);
void PressKeyWithAlt(WORD virtualKey);  // Alt down, key, Alt up (Alt+F4)
void MoveMouseTo(int x, int y);         // screen pixels
// Presses the left button at from, moves in steps by (dx, dy) and releases.
void DragWithLeftButton(POINT from, int dx, int dy);
// Presses and releases the right button at the point without moving.
void ClickRightButton(POINT at);
// Left, right or middle click, and a left double click, at the point.
enum class MouseKey { kLeft, kRight, kMiddle };
void ClickAt(POINT at, MouseKey key);
void DoubleClickAt(POINT at);

}  // namespace tavilune::e2e
