// The running window: dragging it, the log-off question, and where a restored window appears.
#include <windows.h>

#include <cstdio>
#include <thread>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

std::string RectText(const RECT& rect) {
  char text[80];
  std::snprintf(text, sizeof text, "(%ld, %ld)-(%ld, %ld)", rect.left, rect.top, rect.right,
                rect.bottom);
  return text;
}

// The log-off question saves at once, keeps the window open and lets the log-off go on; when the
// save fails it asks the log-off to stop.
void QueryEndSession(Report& report, Session& session) {
  SettingsValues stored = PlaceRestorableSettings(report, session, 80, 100, 300);
  stored.stayOnTop = 7;
  Bytes bytes = stored.Encode();
  bytes.resize(300, 0x33);
  WriteFileBytes(session.SettingsPath(), bytes);

  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, POINT{100, 80}, 3, kWhite, TestPicture{});

  DWORD_PTR answer = 0;
  report.Check(AskToEndSession(form, answer) != 0, "WM_QUERYENDSESSION answered in time");
  report.CheckEqual(static_cast<long long>(answer), 1, "WM_QUERYENDSESSION answer");
  SettingsValues expected = stored;
  expected.stayOnTop = 1;
  CheckSettingsFile(report, session.SettingsPath(), expected);
  report.Check(program->Running() && IsWindowVisible(form), "window stays open after the question");

  // When the save fails, the error is shown and the log-off is asked not to go on. The question
  // waits for the error box, so it is asked from a second thread while this one answers the box.
  Bytes saved = ReadFileBytes(session.SettingsPath()).value_or(Bytes{});
  {
    FileLock lock(session.SettingsPath());
    report.Check(lock.held(), "settings file held open without sharing");
    DWORD_PTR refused = 1;
    LRESULT answered = 0;
    std::thread asker([&] { answered = AskToEndSession(form, refused, 60000); });
    HWND box = WaitForErrorBox(*program, kStepTimeout);
    std::string error = ErrorBoxText(*program);
    report.Check(error == kAccessDeniedError || error == kSharingViolationError,
                 "the failed save is shown (\"" + error + "\")");
    if (box != nullptr) AnswerErrorBox(report, *program, error);
    asker.join();
    report.Check(answered != 0, "WM_QUERYENDSESSION answered");
    report.CheckEqual(static_cast<long long>(refused), 0,
                      "WM_QUERYENDSESSION answer after a failed save");
  }
  auto after = ReadFileBytes(session.SettingsPath());
  report.Check(after.has_value() && *after == saved, "settings file kept as it was");
  report.Check(program->Running() && IsWindowVisible(form), "window still open");

  CloseWithAltF4(report, *program, form);
}

// A left drag on the picture moves the window and the new place is saved; a right click and a
// drag on the frame do not move it.
void Drag(Report& report, Session& session) {
  SettingsValues stored = PlaceRestorableSettings(report, session, 50, 100);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, POINT{100, 50}, 3, kWhite, TestPicture{});
  BringToFront(form);
  RECT before = WindowRect(form);

  ClickRightButton(POINT{before.left + 60, before.top + 40});
  Settle(500);
  // A menu may have opened on the right click: dismiss whatever came up.
  PressKey(VK_ESCAPE);
  Settle(200);
  PressKey(VK_ESCAPE);
  Settle(300);
  RECT afterRight = WindowRect(form);
  report.CheckEqualText(RectText(afterRight), RectText(before),
                        "a right click does not move the window");

  // Presses on the frame do nothing: a drag that starts on the frame leaves the window.
  BringToFront(form);
  DragWithLeftButton(POINT{before.left + 1, before.top + 40}, 40, 30);
  Settle(300);
  report.CheckEqualText(RectText(WindowRect(form)), RectText(before),
                        "a left drag on the frame does not move the window");

  BringToFront(form);
  DragWithLeftButton(POINT{before.left + 60, before.top + 40}, 40, 30);
  RECT moved{};
  WaitUntil(
      [&] {
        moved = WindowRect(form);
        return moved.left == before.left + 40 && moved.top == before.top + 30;
      },
      5000);
  RECT wanted = {before.left + 40, before.top + 30, before.right + 40, before.bottom + 30};
  report.CheckEqualText(RectText(moved), RectText(wanted),
                        "a left drag by (+40, +30) moves the window with it");
  CheckFramedPicture(report, form, POINT{wanted.left, wanted.top}, 3, kWhite, TestPicture{});

  if (!CloseWithAltF4(report, *program, form)) return;
  SettingsValues expected = stored;
  expected.windowTop = moved.top;
  expected.windowLeft = moved.left;
  CheckSettingsFile(report, session.SettingsPath(), expected);
}

// A stored place that no monitor shows is pulled onto the nearest monitor's work area, whole.
void OffscreenPosition(Report& report, Session& session) {
  const POINT places[] = {{5000, 5000}, {-5000, -5000}};
  for (const POINT& place : places) {
    report.Note("stored left " + std::to_string(place.x) + ", top " + std::to_string(place.y));
    SettingsValues stored = PlaceRestorableSettings(report, session, place.y, place.x);
    auto [program, form] = StartShown(report, session);
    if (form == nullptr) return;
    RECT rect = WindowRect(form);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(place, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    report.Check(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
                     rect.bottom <= work.bottom,
                 "window " + RectText(rect) + " lies inside the work area " + RectText(work));
    CheckFramedPicture(report, form, POINT{rect.left, rect.top}, 3, kWhite, TestPicture{});
    if (!CloseWithAltF4(report, *program, form)) return;
    SettingsValues expected = stored;
    expected.windowTop = rect.top;
    expected.windowLeft = rect.left;
    CheckSettingsFile(report, session.SettingsPath(), expected);
  }
}

// The 32-bit and the 64-bit program keep one settings file: the first moves the window and
// saves, the other starts there and saves the very same bytes, and the first reads them back.
void SharedSettings(Report& report, Session& session) {
  if (!report.Check(session.HasOtherProgram(), "a second program was given (--other-exe)")) return;
  SettingsValues stored = PlaceRestorableSettings(report, session, 50, 100);
  POINT place{100, 50};
  Bytes saved;
  for (int run = 0; run < 3; ++run) {
    if (run > 0 &&
        !report.Check(session.SwapProgram(), "the other program takes the copy's place")) {
      return;
    }
    auto [program, form] = StartShown(report, session);
    if (form == nullptr) return;
    CheckFramedPicture(report, form, place, 3, kWhite, TestPicture{});
    if (run == 0) {
      BringToFront(form);
      DragWithLeftButton(POINT{place.x + 60, place.y + 40}, 40, 30);
      place = {place.x + 40, place.y + 30};
      report.Check(WaitUntil([&] { return WindowRect(form).left == place.x; }, 5000),
                   "dragged to a new place");
    }
    if (!CloseWithAltF4(report, *program, form)) return;
    auto bytes = ReadFileBytes(session.SettingsPath());
    if (!report.Check(bytes.has_value(), "settings file saved")) return;
    if (run == 0) {
      SettingsValues expected = stored;
      expected.windowTop = place.y;
      expected.windowLeft = place.x;
      CheckSettingsFile(report, session.SettingsPath(), expected);
      saved = *bytes;
    } else {
      report.Check(*bytes == saved, "the other program saved the same 276 bytes");
    }
  }
}

}  // namespace

std::vector<CaseEntry> WindowCases() {
  return {
      {"query_end_session", QueryEndSession},
      {"drag", Drag},
      {"offscreen_position", OffscreenPosition},
      {"shared_settings", SharedSettings},
  };
}

}  // namespace tavilune::e2e
