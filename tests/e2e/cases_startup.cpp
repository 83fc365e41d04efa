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

Bytes PlaceSettings(Report& report, Session& session, const SettingsValues& values, size_t fileSize,
                    std::uint8_t fill, const std::wstring& name) {
  Bytes bytes = values.Encode();
  bytes.resize(fileSize, fill);
  PlaceFile(report, session, name, bytes);
  return bytes;
}

SettingsValues RestorableSettings(Report& report, Session& session, int top, int left) {
  return {.picturePath = ToAnsi(PlacePicture(report, session, L"picture.bmp")),
          .windowTop = top,
          .windowLeft = left};
}

SettingsValues PlaceRestorableSettings(Report& report, Session& session, int top, int left) {
  SettingsValues stored = RestorableSettings(report, session, top, left);
  PlaceSettings(report, session, stored);
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

// Starts the program, answers the message with the key and chooses the picture, which must not
// show before; then checks the picture at the design's place.
ShownProgram ChooseAfterMessage(Report& report, Session& session, const std::string& message,
                                WORD key, const std::wstring& picture) {
  ShownProgram shown{StartChecked(report, session)};
  if (shown.program == nullptr) return shown;
  VisibilityWatch watch(shown.program->id());
  AnswerMessageDialog(report, *shown.program, message, key);
  report.Check(!watch.seen(), "picture window not shown before a picture is chosen");
  if (!ChooseFile(report, *shown.program, picture)) return shown;
  shown.form = WaitForPictureWindow(report, *shown.program);
  if (shown.form != nullptr) {
    CheckFramedPicture(report, shown.form, kDesignPosition, 3, kWhite, TestPicture{});
  }
  return shown;
}

// Starts the program on the stored settings: no question, the picture where and as framed as
// stored.
ShownProgram StartRestored(Report& report, Session& session, const SettingsValues& stored,
                           const std::string& started = "program started") {
  ShownProgram shown = StartShown(report, session, started);
  if (shown.form == nullptr) return shown;
  CheckNoQuestions(report, *shown.program);
  CheckFramedPicture(report, shown.form, POINT{stored.windowLeft, stored.windowTop},
                     stored.frameThickness, static_cast<COLORREF>(stored.frameColor),
                     TestPicture{});
  return shown;
}

// First start in a folder without settings; the picture lies in a folder with a Japanese name,
// so the stored path shows the conversion to the ANSI code page.
void FirstStart(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"写真\\desk picture.bmp");
  const SettingsValues expected{.picturePath = ToAnsi(picture)};
  {
    auto [program, form] =
        ChooseAfterMessage(report, session, kNoSettingsMessage, VK_RETURN, picture);
    if (form == nullptr) return;
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
    if (!CloseAndCheckSettings(report, session, *program, form, expected)) return;
  }

  report.Note("second start with the saved file");
  auto [program, form] = StartRestored(report, session, expected, "program started again");
  if (form != nullptr) CloseWithAltF4(report, *program, form);
}

void CancelFirstStart(Report& report, Session& session) {
  auto program = StartChecked(report, session);
  if (program == nullptr) return;
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
  const SettingsValues stored{.frameColor = kRed,
                              .frameThickness = 5,
                              .picturePath = ToAnsi(picture),
                              .windowTop = 50,
                              .windowLeft = 100,
                              .inTray = 2,
                              .stayOnTop = 7,
                              .alignment = {0xAB, 0xCD}};
  PlaceSettings(report, session, stored);

  auto [program, form] = StartRestored(report, session, stored);
  if (form == nullptr) return;
  report.Check(IsTopmost(form), "window is stay-on-top (WS_EX_TOPMOST)");
  CheckTaskbarButton(report, *program, false);
  SettingsValues expected = stored;
  expected.inTray = 0;
  expected.stayOnTop = 1;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// A longer file is read for its first record only and cut back to one record at the next save.
// Thickness 0 also shows the picture without any frame.
void LongSettings(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  const SettingsValues stored{.frameColor = kDesignFrameColour,
                              .frameThickness = 0,
                              .picturePath = ToAnsi(picture),
                              .windowTop = 200,
                              .windowLeft = 300};
  PlaceSettings(report, session, stored, 300, 0x5A);

  auto [program, form] = StartRestored(report, session, stored);
  if (form == nullptr) return;
  report.Check(!IsTopmost(form), "window is not stay-on-top");
  CloseAndCheckSettings(report, session, *program, form, stored);
}

// A 100-byte file: the read fails past its end, the error is shown, nothing is applied and the
// taskbar step does not run; the partly read record is what the program holds and saves.
void ShortSettings(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"p.bmp");
  const SettingsValues stored{.frameColor = kRed,
                              .frameThickness = 5,
                              .picturePath = ToAnsi(picture),
                              .windowTop = 50,
                              .windowLeft = 100};
  if (!report.Check(stored.picturePath.size() < 100 - record::kPicturePath,
                    "picture path fits in the first 100 bytes of the record")) {
    return;
  }
  PlaceSettings(report, session, stored, 100);

  auto program = StartChecked(report, session);
  if (program == nullptr) return;
  AnswerErrorBox(report, *program, kReadPastEndError);
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  CheckDesignWindow(report, form);
  CheckTaskbarButton(report, *program, true);
  SettingsValues expected = stored;
  expected.windowTop = kDesignPosition.y;
  expected.windowLeft = kDesignPosition.x;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// A settings file that another program holds open without sharing cannot be opened: the
// sharing violation (code 32) is shown, then the design window; at the end nothing was read, so
// nothing is saved and the file stays as it was. (A read-only file fails the same way on
// Windows, but Wine run as root lets every file be written, so the lock is the failure that
// both systems produce.)
void LockedStart(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  const Bytes bytes = PlaceSettings(report, session, {.picturePath = ToAnsi(picture)});
  FileLock lock(session.SettingsPath());
  if (!report.Check(lock.held(), "settings file held open without sharing")) return;

  auto program = StartChecked(report, session);
  if (program == nullptr) return;
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
  PlaceSettings(report, session,
                {.frameColor = kRed,
                 .frameThickness = 5,
                 .picturePath = ToAnsi(session.Path(L"deleted picture.bmp")),
                 .windowTop = 300,
                 .windowLeft = 400,
                 .stayOnTop = 1});

  auto [program, form] =
      ChooseAfterMessage(report, session, kUnreadableSettingsMessage, VK_ESCAPE, picture);
  if (form == nullptr) return;
  report.Check(!IsTopmost(form), "stored stay-on-top not applied");
  CloseAndCheckSettings(report, session, *program, form, {.picturePath = ToAnsi(picture)});
}

// Started under another name, the program keeps its settings in that name's ".dat". The
// thickness 7 (only an edited file can hold it) is drawn by the same rule as the menu's.
void RenamedExe(Report& report, Session& session) {
  if (!report.Check(session.Prepare(L"desk.exe"), "program copied as desk.exe")) return;
  SettingsValues stored = RestorableSettings(report, session, 150, 250);
  stored.frameThickness = 7;  // beyond the menu's 0..5, applied by the same rule
  PlaceSettings(report, session, stored, 290, 0x11, L"desk.dat");
  SettingsValues decoy = stored;
  decoy.windowTop = 400;
  decoy.windowLeft = 600;
  const Bytes decoyBytes = PlaceSettings(report, session, decoy);

  auto [program, form] = StartRestored(report, session, stored);
  if (form == nullptr) return;
  if (!CloseAndCheckSettings(report, session, *program, form, stored)) return;
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
