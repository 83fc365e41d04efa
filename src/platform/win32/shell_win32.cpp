#include "platform/win32/shell_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstring>

#include "platform/win32/system_call.h"

namespace tavilune::win32 {

static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == kNotifyIconRecordSize,
              "the first form of the notification record is 88 bytes on the 32-bit system");

bool Win32Shell::NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) {
  // The full structure, zeroed, of which the shell reads only the first form's bytes.
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof(data));
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.hIcon);
  static_assert(sizeof(data.szTip) >= kNotifyIconTipBytes);
  std::memcpy(data.szTip, record.szTip.data(), kNotifyIconTipBytes);
  data.szTip[kNotifyIconTipBytes - 1] = '\0';
  // shell32 is loaded on first use, as comdlg32 is (see dialogs_win32.cpp).
  static const auto notify = FindSystemCall<BOOL(WINAPI*)(DWORD, NOTIFYICONDATAA*)>(
      L"shell32.dll", "Shell_NotifyIconA", /*load=*/true);
  return notify != nullptr && notify(static_cast<DWORD>(action), &data) != FALSE;
}

std::uint32_t Win32Shell::TaskbarCreatedMessage() {
  return RegisterWindowMessageA("TaskbarCreated");
}

void Win32Shell::LetThrough(WindowHandle window, std::uint32_t message) {
  // Refused only for a bad window or message; the program runs on without the filter then.
  ChangeWindowMessageFilterEx(reinterpret_cast<HWND>(window), message, MSGFLT_ALLOW, nullptr);
}

}  // namespace tavilune::win32
