#include "app/start_up.h"

#include "forms/application.h"
#include "forms/message_form.h"
#include "forms/messages.h"
#include "picture/picture_formats.h"
#include "platform/exceptions.h"
#include "settings/settings_file.h"
#include "settings/settings_path.h"
#include "window/picture_choice.h"
#include "window/picture_window.h"

namespace tavilune {

const char* const kNoSettingsMessage =
    u8"設定ファイルがありません。\r\n画像ファイルを選択してください";
const char* const kPictureMissingMessage =
    u8"設定ファイルからデータが読みこめませんでした\r\n画像ファイルを選択してください";
const char* const kInformationCaption = u8"情報";

namespace {

void RemoveTaskbarButton(TApplication& application) {
  WindowSystem& windows = application.Windows();
  WindowHandle owner = application.Handle();
  windows.ShowWindow(owner, msg::kSwHide);
  windows.SetLong(owner, msg::kGwlExStyle,
                  windows.GetLong(owner, msg::kGwlExStyle) |
                      static_cast<std::intptr_t>(msg::kExStyleToolWindow));
  windows.ShowWindow(owner, msg::kSwShow);
}

// Moves the window fully onto the nearest monitor when no monitor shows enough of it.
void KeepReachable(TForm1& form) {
  WindowSystem& windows = form.Windows();
  std::vector<Rect> areas;
  for (const MonitorInfo& monitor : windows.Monitors()) areas.push_back(monitor.workArea);
  const Rect bounds = form.BoundsRect();
  Point place = ReachablePosition(bounds, areas.data(), areas.size(),
                                  windows.MonitorNearest(bounds).workArea);
  if (place.x != bounds.left || place.y != bounds.top) {
    form.SetBounds(place.x, place.y, bounds.Width(), bounds.Height());
  }
}

}  // namespace

void ShowInformation(TForm1& form, const std::string& text) {
  TMessageForm box(form.Application(), text, kInformationCaption);
  box.ShowModal();
}

namespace {

// First start, or the remembered picture is gone: ask for one.
void StartWithNewPicture(TForm1& form) {
  // Until a picture has loaded there is nothing worth saving.
  form.ClearPicturePath();
  if (!ChooseAndLoadPicture(form)) {
    form.Application().Terminate();
    return;
  }
  form.SetFrameThickness(3);
  form.SetFrameColor(kWhite);
}

}  // namespace

void RunStartUp(TForm1& form, const FilePath& executablePath) {
  FileSystem& files = form.Services().files;
  form.MoveImage1(0, 0);
  FilePath settingsPath = executablePath;
  settingsPath.text = SettingsPath(executablePath.text, executablePath.encoding);
  form.SetSettingsFilePath(std::move(settingsPath));
  SetUpMainWindowPictureFormats(JpegPictureClass());

  if (FileExistsAt(files, form.SettingsFilePath())) {
    SettingsRecord settings;
    try {
      ReadSettingsFile(files, form.SettingsFilePath(), settings);
    } catch (...) {
      // What a short file gave is kept and saved, but nothing of it is shown.
      form.ApplySettings(settings);
      throw;
    }
    form.ApplySettings(settings);
    if (FileExistsAt(files, settings.PicturePathText())) {
      form.LoadPictureFile(settings.PicturePathText());
      form.FitToPicture();
      form.SetTop(settings.WindowTop);
      form.SetLeft(settings.WindowLeft);
      KeepReachable(form);
      if (settings.InTray == 1) {
        if (settings.StayOnTop != 0) form.SetStayOnTop(true);
        form.StartHidden();
      } else if (settings.StayOnTop != 0) {
        form.SetStayOnTop(true);
      }
    } else {
      ShowInformation(form, kPictureMissingMessage);
      StartWithNewPicture(form);
    }
  } else {
    ShowInformation(form, kNoSettingsMessage);
    StartWithNewPicture(form);
  }
  if (form.Application().Terminated()) return;
  RemoveTaskbarButton(form.Application());
}

}  // namespace tavilune
