// The DPI of windows and monitors, and the system's metrics and fonts at a DPI. The calls that
// answer per monitor came with later systems (Windows 8.1 and 10), so each is looked up when
// first needed; without them every monitor has the screen's DPI, and the system-wide answers
// are the right ones.
#pragma once

#include <windows.h>

namespace tavilune::win32 {

// The screen's DPI (LOGPIXELSY of the screen's device context).
int ScreenDpi();
// The DPI the window is laid out for (GetDpiForWindow).
int DpiOfWindow(HWND window);
// The DPI of the monitor nearest to the rectangle (GetDpiForMonitor, effective DPI).
int DpiOfMonitorNear(const RECT& rect);
// GetSystemMetricsForDpi.
int SystemMetricForDpi(int index, int dpi);
// AdjustWindowRectExForDpi: the outer rectangle for a client rectangle.
RECT OuterForClientAtDpi(const RECT& client, DWORD style, DWORD exStyle, int dpi);
// The system's message font at the DPI (SystemParametersInfoForDpi; without it the screen's
// font, scaled).
LOGFONTW MessageFontForDpi(int dpi);

}  // namespace tavilune::win32
