// Real keyboard and mouse input through SendInput, as a user's hands would give it.
#pragma once

#include <windows.h>

namespace tavilune::e2e {

// Brings the window to the foreground; true when it became the foreground window.
bool BringToFront(HWND window);
void PressKey(WORD virtualKey);
void PressKeyWithAlt(WORD virtualKey);  // Alt down, key, Alt up (Alt+F4)
void MoveMouseTo(int x, int y);         // screen pixels
void MouseButton(bool left, bool down);
// Presses the left button at from, moves in steps by (dx, dy) and releases.
void DragWithLeftButton(POINT from, int dx, int dy);
// Presses and releases the right button at the point without moving.
void ClickRightButton(POINT at);

}  // namespace tavilune::e2e
