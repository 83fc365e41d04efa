// The program's entry: the platform, the application and its forms, the message loop.
#include <windows.h>

#include <string>
#include <vector>

#include "app/start_up.h"
#include "forms/application.h"
#include "picture/jpeg_image.h"
#include "picture/picture_formats.h"
#include "platform/display.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/text.h"
#include "platform/win32/window_system_win32.h"
#include "window/about_box.h"
#include "window/picture_window.h"

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
  SetDisplay(ReadDisplayFacts());
  // The JPEG decoder's start: its defaults follow the screen as it is now, and it registers
  // its extensions before any window exists.
  InitJpegDefaults(Display());
  RegisterJpegPictureFormats();

  win32::Win32WindowSystem windows(instance);
  win32::Win32FileSystem files;
  win32::Win32Dialogs dialogs(instance);
  win32::Win32Shell shell;
  Platform platform{windows, files, dialogs, shell};
  {
    TApplication application(windows);
    application.Initialize();
    application.SetTitle("Tavilune");
    const FilePath executable = ExecutablePath();
    auto* form1 = new TForm1(application, platform,
                             [&executable](TForm1& form) { RunStartUp(form, executable); });
    auto* form2 = new TForm2(application);
    form1->onShowAbout = [form2] { form2->ShowModal(); };
    application.Run();
    // The application takes its forms down last created first; the picture window saves as
    // its destruction begins.
    for (TForm* form : application.Forms()) {
      if (form->HandleAllocated()) windows.ShowWindow(form->Handle(), 0);
    }
  }
  UnregisterJpegPictureFormats();
  return 0;
}
