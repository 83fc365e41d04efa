// Hiding to the tray and coming back: the double click and the menu hide the window, presses
// on the notification icon bring it back, the tray menu restores or exits, and a program that
// ended hidden starts hidden. Under Wine without a desktop tray, the icons sit in Wine's own
// tray window at the top-left of the screen, one square slot per icon; on Windows the
// notification area would be searched instead, so these cases are for Wine's tray.
#include <windows.h>

#include <vector>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

constexpr wchar_t kWineTrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t kWineTraySlotClass[] = L"__winex11_tray_icon";

std::vector<RECT> TraySlots() {
  std::vector<RECT> slots;
  HWND tray = FindWindowW(kWineTrayClass, nullptr);
  if (tray == nullptr || !IsWindowVisible(tray)) return slots;
  for (HWND child = FindWindowExW(tray, nullptr, kWineTraySlotClass, nullptr); child != nullptr;
       child = FindWindowExW(tray, child, kWineTraySlotClass, nullptr)) {
    if (!IsWindowVisible(child)) continue;
    slots.push_back(WindowRect(child));
  }
  return slots;
}

bool WaitForIcon(Report& report, bool present, const std::string& when) {
  bool ok = WaitUntil([&] { return TraySlots().empty() != present; }, kStepTimeout);
  return report.Check(ok, std::string(present ? "tray icon shown " : "tray icon gone ") + when);
}

bool WaitForShown(Report& report, HWND form, bool shown, const std::string& when) {
  bool ok = WaitUntil([&] { return (IsWindowVisible(form) != FALSE) == shown; }, kStepTimeout);
  return report.Check(ok, std::string(shown ? "window shown " : "window hidden ") + when);
}

// Presses on the icon with the key; the window is to show and the icon to go.
void PressIconToShow(Report& report, HWND form, MouseKey key, const std::string& press) {
  ClickAt(Centre(TraySlots().front()), key);
  WaitForShown(report, form, true, "by a " + press + " on the icon");
  WaitForIcon(report, false, "after the " + press);
}

bool WalkOpenMenu(Report& report, const Program& program, const std::vector<WORD>& keys,
                  const std::string& what) {
  return WalkMenu(report, program, keys, "a menu opens for " + what, "menu closes after " + what);
}

void HideAndRestore(Report& report, Session& session) {
  SettingsValues stored = RestorableSettings(report, session, 90, 150);
  stored.stayOnTop = 1;
  PlaceSettings(report, session, stored);
  {
    auto [program, form] = StartShown(report, session);
    if (form == nullptr) return;
    report.Check(TraySlots().empty(), "no tray icon while the window is shown");
    const POINT onPicture = {150 + 40, 90 + 30};
    auto hideByDoubleClick = [&] {
      BringToFront(form);
      DoubleClickAt(onPicture);
      return WaitForShown(report, form, false, "by a double click") &&
             WaitForIcon(report, true, "after the double click");
    };

    report.Note("double click on the picture, left press on the icon");
    if (!hideByDoubleClick()) return;
    PressIconToShow(report, form, MouseKey::kLeft, "left press");
    report.Check(WaitUntil([&] { return GetForegroundWindow() == form; }, 5000),
                 "window is the foreground window again");
    report.Check(IsTopmost(form), "window is still stay-on-top");
    CheckFramedPicture(report, form, POINT{150, 90}, 3, kWhite, TestPicture{});

    report.Note("menu item 最小化, middle press on the icon");
    BringToFront(form);
    ClickRightButton(onPicture);
    if (!WalkOpenMenu(report, *program, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}, "最小化")) return;
    if (!WaitForShown(report, form, false, "by the menu")) return;
    if (!WaitForIcon(report, true, "after the menu")) return;
    PressIconToShow(report, form, MouseKey::kMiddle, "middle press");

    report.Note("right press on the icon: 元のサイズに戻す");
    if (!hideByDoubleClick()) return;
    ClickAt(Centre(TraySlots().front()), MouseKey::kRight);
    Settle(300);
    report.Check(!IsWindowVisible(form), "a right press leaves the window hidden");
    if (!WalkOpenMenu(report, *program, {VK_DOWN, VK_RETURN}, u8"元のサイズに戻す")) return;
    WaitForShown(report, form, true, u8"by 元のサイズに戻す");
    WaitForIcon(report, false, u8"after 元のサイズに戻す");
    CheckFramedPicture(report, form, POINT{150, 90}, 3, kWhite, TestPicture{});

    report.Note("log-off question while hidden, then right press on the icon: 終了");
    if (!hideByDoubleClick()) return;
    DeleteFileW(session.SettingsPath().c_str());
    DWORD_PTR answer = 0;
    report.Check(AskToEndSession(form, answer) != 0 && answer == 1,
                 "hidden window answers the log-off question with 1");
    SettingsValues hidden = stored;
    hidden.inTray = 1;
    CheckSettingsFile(report, session.SettingsPath(), hidden);
    ClickAt(Centre(TraySlots().front()), MouseKey::kRight);
    if (!WalkOpenMenu(report, *program, {VK_UP, VK_RETURN}, u8"終了")) return;
    if (!ExpectExit(report, *program)) return;
    WaitForIcon(report, false, "after the program ended");
  }
  SettingsValues expected = stored;
  expected.inTray = 1;
  CheckSettingsFile(report, session.SettingsPath(), expected);

  report.Note("next start: hidden in the tray");
  auto program = StartChecked(report, session, "program started again");
  if (program == nullptr ||
      !CheckOrListWindows(report, *program,
                          WaitUntil([] { return !TraySlots().empty(); }, kFirstWindowTimeout),
                          "tray icon shown at start")) {
    return;
  }
  Settle(1000);
  report.Check(FindTopLevel(program->id(), kPictureWindowClass) == nullptr,
               "no window shown at start");
  ClickAt(Centre(TraySlots().front()), MouseKey::kLeft);
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  WaitForIcon(report, false, "after the left press");
  CheckFramedPicture(report, form, POINT{150, 90}, 3, kWhite, TestPicture{});
  report.Check(IsTopmost(form), "window is stay-on-top");
  expected.inTray = 0;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// The shell's "TaskbarCreated" also comes while it still shows the icon (the taskbar made anew
// for a change of DPI, or any program broadcasting it): the program keeps its window hidden
// behind the icon it has and reports nothing.
void TaskbarCreatedWithIconShown(Report& report, Session& session) {
  SettingsValues stored = RestorableSettings(report, session, 90, 150);
  stored.inTray = 1;
  PlaceSettings(report, session, stored);
  auto program = StartChecked(report, session);
  if (program == nullptr) return;
  if (!WaitForIcon(report, true, "at a hidden start")) return;
  Settle(500);

  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  // Nothing is to happen, so give the program the time to do it wrong.
  Settle(2000);
  report.CheckEqualText(ErrorBoxText(*program), "", "no error box after the broadcast");
  report.Check(FindTopLevel(program->id(), kPictureWindowClass) == nullptr,
               "the window stays hidden");
  if (!WaitForIcon(report, true, "after the broadcast")) return;
  ClickAt(Centre(TraySlots().front()), MouseKey::kLeft);
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  WaitForIcon(report, false, "after a left press on the icon");
  CloseWithAltF4(report, *program, form);
}

}  // namespace

std::vector<CaseEntry> TrayCases() {
  return {{"hide_to_tray", HideAndRestore},
          {"taskbar_created_with_icon", TaskbarCreatedWithIconShown}};
}

}  // namespace tavilune::e2e
