#include "platform/win32/dpi_win32.h"

#include "platform/win32/handles.h"
#include "platform/win32/system_call.h"

namespace tavilune::win32 {

namespace {

constexpr int kMonitorEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiCall = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

}  // namespace

int ScreenDpi() {
  WindowDc screen(nullptr);
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int DpiOfWindow(HWND window) {
  static const auto call = FindSystemCall<GetDpiForWindowCall>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = call != nullptr && window != nullptr ? call(window) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int DpiOfMonitorNear(const RECT& rect) {
  // shcore is no import of the program: it is loaded once, on the first question, and kept.
  static const auto call =
      FindSystemCall<GetDpiForMonitorCall>(L"shcore.dll", "GetDpiForMonitor", /*load=*/true);
  UINT x = 0;
  UINT y = 0;
  if (call != nullptr &&
      SUCCEEDED(
          call(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), kMonitorEffectiveDpi, &x, &y)) &&
      y != 0) {
    return static_cast<int>(y);
  }
  return ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto call =
      FindSystemCall<GetSystemMetricsForDpiCall>(L"user32.dll", "GetSystemMetricsForDpi");
  if (call != nullptr) return call(index, static_cast<UINT>(dpi));
  return GetSystemMetrics(index);
}

RECT OuterForClientAtDpi(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  static const auto call =
      FindSystemCall<AdjustWindowRectExForDpiCall>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT outer = client;
  if (call == nullptr || !call(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    outer = client;
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  }
  return outer;
}

LOGFONTW MessageFontForDpi(int dpi) {
  static const auto call =
      FindSystemCall<SystemParametersInfoForDpiCall>(L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (call != nullptr &&
      call(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    return metrics.lfMessageFont;
  }
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
  return metrics.lfMessageFont;
}

}  // namespace tavilune::win32
