// Start-up stories: the first start, a cancelled first start, restoring a settings file, and the
// settings files that cannot be used as they are.
#include <windows.h>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

std::wstring PlaceFile(Report& report, Session& session, const std::wstring& relative,
                       const Bytes& bytes) {
  std::wstring path = session.Path(relative);
  std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  bool ok = MakeFolders(folder) && WriteFileBytes(path, bytes);
  report.Check(ok, "wrote " + Narrow(relative) + " (" + std::to_string(bytes.size()) + " bytes)");
  return path;
}

std::wstring PlacePicture(Report& report, Session& session, const std::wstring& relative) {
  return PlaceFile(report, session, relative, TestPicture{}.Encode());
}

SettingsValues PlaceRestorableSettings(Report& report, Session& session, int top, int left,
                                       size_t fileSize) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  SettingsValues stored;
  stored.picturePath = ToAnsi(picture);
  stored.windowTop = top;
  stored.windowLeft = left;
  Bytes bytes = stored.Encode();
  bytes.resize(fileSize, 0x33);
  PlaceFile(report, session, L"tavilune.dat", bytes);
  return stored;
}

namespace {

constexpr COLORREF kRed = RGB(0xFF, 0, 0);

// No message and no file dialog came up: the settings were taken as they are.
void CheckNoQuestions(Report& report, const Program& program) {
  report.Check(FindTopLevelByTitle(program.id(), kMessageDialogTitle) == nullptr,
               "no message dialog");
  HWND dialog = FindTopLevel(program.id(), kSystemDialogClass);
  report.Check(dialog == nullptr,
               "no dialog box (" + (dialog ? Narrow(TextOf(dialog)) : std::string("none")) + ")");
}

// First start in a folder without settings; the picture lies in a folder with a Japanese name,
// so the stored path shows the conversion to the ANSI code page.
void FirstStart(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"写真\\desk picture.bmp");
  {
    auto program = session.Start();
    if (!report.Check(program != nullptr, "program started")) return;
    VisibilityWatch watch(program->id());
    AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_RETURN);
    report.Check(!watch.seen(), "picture window not shown before a picture is chosen");
    if (!ChooseFile(report, *program, picture)) return;
    HWND form = WaitForPictureWindow(report, *program);
    if (form == nullptr) return;
    CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
    report.Check(!IsTopmost(form), "window is not stay-on-top");
    CheckTaskbarButton(report, *program, false);
    HWND application = FindTopLevel(program->id(), kApplicationClass, nullptr, false);
    if (application != nullptr) {
      RECT rect = WindowRect(application);
      report.Check(
          IsWindowVisible(application) && rect.right == rect.left && rect.bottom == rect.top,
          "application window stays visible with zero size");
      report.Check(GetWindow(form, GW_OWNER) == application,
                   "picture window is owned by the application window");
    }
    report.Check(!FileExists(session.SettingsPath()), "nothing saved while running");
    if (!CloseWithAltF4(report, *program, form)) return;
  }
  SettingsValues expected;
  expected.picturePath = ToAnsi(picture);
  CheckSettingsFile(report, session.SettingsPath(), expected);

  report.Note("second start with the saved file");
  auto [program, form] = StartShown(report, session, "program started again");
  if (form == nullptr) return;
  CheckNoQuestions(report, *program);
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
  CloseWithAltF4(report, *program, form);
}

void CancelFirstStart(Report& report, Session& session) {
  auto program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return;
  VisibilityWatch watch(program->id());
  AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_ESCAPE);
  CancelFileDialog(report, *program);
  ExpectExit(report, *program);
  report.Check(!watch.seen(), "picture window was never shown");
  report.Check(!FileExists(session.SettingsPath()), "no settings file written");
}

// A hand-made record restores picture, frame, place and stay-on-top; the flag bytes are read as
// the program documents them (InTray 2 is not "in the tray", StayOnTop 7 is "on").
void Restore(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"写真\\desk picture.bmp");
  SettingsValues stored;
  stored.frameColor = static_cast<std::int32_t>(kRed);
  stored.frameThickness = 5;
  stored.picturePath = ToAnsi(picture);
  stored.windowTop = 50;
  stored.windowLeft = 100;
  stored.inTray = 2;
  stored.stayOnTop = 7;
  stored.alignment[0] = 0xAB;
  stored.alignment[1] = 0xCD;
  PlaceFile(report, session, L"tavilune.dat", stored.Encode());

  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckNoQuestions(report, *program);
  CheckFramedPicture(report, form, POINT{100, 50}, 5, kRed, TestPicture{});
  report.Check(IsTopmost(form), "window is stay-on-top (WS_EX_TOPMOST)");
  CheckTaskbarButton(report, *program, false);
  if (!CloseWithAltF4(report, *program, form)) return;

  SettingsValues expected = stored;
  expected.inTray = 0;
  expected.stayOnTop = 1;
  CheckSettingsFile(report, session.SettingsPath(), expected);
}

// A longer file is read for its first record only and cut back to one record at the next save.
// Thickness 0 also shows the picture without any frame.
void LongSettings(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  SettingsValues stored;
  stored.frameColor = static_cast<std::int32_t>(kDesignFrameColour);
  stored.frameThickness = 0;
  stored.picturePath = ToAnsi(picture);
  stored.windowTop = 200;
  stored.windowLeft = 300;
  Bytes bytes = stored.Encode();
  bytes.resize(300, 0x5A);
  PlaceFile(report, session, L"tavilune.dat", bytes);

  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckNoQuestions(report, *program);
  CheckFramedPicture(report, form, POINT{300, 200}, 0, kDesignFrameColour, TestPicture{});
  report.Check(!IsTopmost(form), "window is not stay-on-top");
  if (!CloseWithAltF4(report, *program, form)) return;
  CheckSettingsFile(report, session.SettingsPath(), stored);
}

// A 100-byte file: the read fails past its end, the error is shown, nothing is applied and the
// taskbar step does not run; the partly read record is what the program holds and saves.
void ShortSettings(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"p.bmp");
  SettingsValues stored;
  stored.frameColor = static_cast<std::int32_t>(kRed);
  stored.frameThickness = 5;
  stored.picturePath = ToAnsi(picture);
  stored.windowTop = 50;
  stored.windowLeft = 100;
  if (!report.Check(stored.picturePath.size() < 100 - record::kPicturePath,
                    "picture path fits in the first 100 bytes of the record")) {
    return;
  }
  Bytes bytes = stored.Encode();
  bytes.resize(100);
  PlaceFile(report, session, L"tavilune.dat", bytes);

  auto program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return;
  AnswerErrorBox(report, *program, kReadPastEndError);
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  CheckDesignWindow(report, form);
  CheckTaskbarButton(report, *program, true);
  if (!CloseWithAltF4(report, *program, form)) return;
  SettingsValues expected = stored;
  expected.windowTop = kDesignPosition.y;
  expected.windowLeft = kDesignPosition.x;
  CheckSettingsFile(report, session.SettingsPath(), expected);
}

// A settings file that another program holds open without sharing cannot be opened: the
// sharing violation (code 32) is shown, then the design window; at the end nothing was read, so
// nothing is saved and the file stays as it was. (A read-only file fails the same way on
// Windows, but Wine run as root lets every file be written, so the lock is the failure that
// both systems produce.)
void LockedStart(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  SettingsValues stored;
  stored.picturePath = ToAnsi(picture);
  Bytes bytes = stored.Encode();
  PlaceFile(report, session, L"tavilune.dat", bytes);
  FileLock lock(session.SettingsPath());
  if (!report.Check(lock.held(), "settings file held open without sharing")) return;

  auto program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return;
  AnswerErrorBox(report, *program, kSharingViolationError);
  HWND form = WaitForPictureWindow(report, *program);
  if (form != nullptr) {
    CheckDesignWindow(report, form);
    CheckTaskbarButton(report, *program, true);
    PressAltF4(report, form);
  }
  ExpectExitWithoutErrorBox(report, *program);
  program->Terminate();
  lock.Release();
  auto after = ReadFileBytes(session.SettingsPath());
  report.Check(after.has_value() && *after == bytes, "settings file unchanged");
}

// The remembered picture is gone: message M2, the dialog, and after choosing the defaults apply,
// not the stored place, frame or stay-on-top.
void PictureMissing(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"new picture.bmp");
  SettingsValues stored;
  stored.frameColor = static_cast<std::int32_t>(kRed);
  stored.frameThickness = 5;
  stored.picturePath = ToAnsi(session.Path(L"deleted picture.bmp"));
  stored.windowTop = 300;
  stored.windowLeft = 400;
  stored.stayOnTop = 1;
  PlaceFile(report, session, L"tavilune.dat", stored.Encode());

  auto program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return;
  VisibilityWatch watch(program->id());
  AnswerMessageDialog(report, *program, kUnreadableSettingsMessage, VK_ESCAPE);
  report.Check(!watch.seen(), "picture window not shown before a picture is chosen");
  if (!ChooseFile(report, *program, picture)) return;
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
  report.Check(!IsTopmost(form), "stored stay-on-top not applied");
  if (!CloseWithAltF4(report, *program, form)) return;
  SettingsValues expected;
  expected.picturePath = ToAnsi(picture);
  CheckSettingsFile(report, session.SettingsPath(), expected);
}

// Started under another name, the program keeps its settings in that name's ".dat". The
// thickness 7 (only an edited file can hold it) is drawn by the same rule as the menu's.
void RenamedExe(Report& report, Session& session) {
  if (!report.Check(session.Prepare(L"desk.exe"), "program copied as desk.exe")) return;
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  SettingsValues stored;
  stored.picturePath = ToAnsi(picture);
  stored.windowTop = 150;
  stored.windowLeft = 250;
  stored.frameThickness = 7;  // beyond the menu's 0..5, applied by the same rule
  Bytes bytes = stored.Encode();
  bytes.resize(290, 0x11);
  PlaceFile(report, session, L"desk.dat", bytes);
  SettingsValues decoy = stored;
  decoy.windowTop = 400;
  decoy.windowLeft = 600;
  Bytes decoyBytes = decoy.Encode();
  PlaceFile(report, session, L"tavilune.dat", decoyBytes);

  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckNoQuestions(report, *program);
  CheckFramedPicture(report, form, POINT{250, 150}, 7, kWhite, TestPicture{});
  if (!CloseWithAltF4(report, *program, form)) return;
  CheckSettingsFile(report, session.Path(L"desk.dat"), stored);
  auto other = ReadFileBytes(session.Path(L"tavilune.dat"));
  report.Check(other.has_value() && *other == decoyBytes, "tavilune.dat left alone");
}

}  // namespace

std::vector<CaseEntry> StartupCases() {
  return {
      {"first_start", FirstStart},
      {"cancel_first_start", CancelFirstStart},
      {"restore", Restore},
      {"long_settings", LongSettings},
      {"short_settings", ShortSettings},
      {"locked_start", LockedStart},
      {"picture_missing", PictureMissing},
      {"renamed_exe", RenamedExe},
  };
}

}  // namespace tavilune::e2e
