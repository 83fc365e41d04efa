// The program's Windows entry: the screen's facts, the executable's path and the Win32 platform,
// handed to the program. It is a source of the executable itself rather than of the platform
// library, since the C runtime asks for wWinMain only after the libraries have been searched.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/display.h"
#include "app/program.h"
#include "platform/memory.h"
#include "platform/win32/color_management_win32.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/system_call.h"
#include "platform/win32/text.h"
#include "platform/win32/window_system_win32.h"

namespace {

using namespace tavilune;

DisplayFacts ReadDisplayFacts() {
  win32::WindowDc screen(nullptr);
  DisplayFacts facts;
  facts.bitsPerPixel = GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
  facts.standardIconWidth = GetSystemMetrics(SM_CXICON);
  facts.standardIconHeight = GetSystemMetrics(SM_CYICON);
  facts.pixelsPerInchY = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return facts;
}

// The executable's path in ANSI bytes as before when it spells in the ANSI code page, else in
// UTF-8: a folder named in other characters must still find the settings file beside the
// program (the ANSI module name would hold "?" in their place).
FilePath ExecutablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      const std::wstring_view wide(path.data(), length);
      std::string ansi;
      if (win32::AnsiFromWide(wide, ansi)) return FilePath(std::move(ansi));
      return FilePath::Utf8(win32::Utf8(wide));
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // First, before the program loads any DLL itself (see system_call.h).
  win32::RestrictDllSearch();
  SetDisplay(ReadDisplayFacts());
  SetMemory(SystemMemoryFacts());
  win32::Win32WindowSystem windows(instance);
  win32::Win32FileSystem files;
  win32::Win32Dialogs dialogs(instance);
  win32::Win32Shell shell;
  win32::Win32ColorManagement colors;
  Platform platform{windows, files, dialogs, shell, colors};
  return RunProgram(platform, ExecutablePath());
}
