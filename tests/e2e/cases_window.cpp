// The running window: dragging it, the log-off question, and where a restored window appears.
#include <windows.h>

#include <thread>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

// Settings that restore the test picture at (100, 80) with StayOnTop stored as 7, in a file of
// 300 bytes; returns the values, and the file's bytes in `bytes`.
SettingsValues PlaceOnTopSettings(Report& report, Session& session, Bytes& bytes) {
  SettingsValues stored = RestorableSettings(report, session, 80, 100);
  stored.stayOnTop = 7;
  bytes = PlaceSettings(report, session, stored, 300);
  return stored;
}

// Checks that the error box (when one came) tells of the failed save, and answers it.
void AnswerFailedSave(Report& report, const Program& program, HWND box) {
  std::string error = ErrorBoxText(program);
  report.Check(error == kAccessDeniedError || error == kSharingViolationError,
               "the failed save is shown (\"" + error + "\")");
  if (box != nullptr) AnswerErrorBox(report, program, error);
}

// The log-off question saves at once, keeps the window open and lets the log-off go on; when the
// save fails it asks the log-off to stop.
void QueryEndSession(Report& report, Session& session) {
  Bytes bytes;
  SettingsValues stored = PlaceOnTopSettings(report, session, bytes);

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
    AnswerFailedSave(report, *program, WaitForErrorBox(*program, kStepTimeout));
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

// Names of the save's temporary files left in the case's folder, each after a space.
std::string LeftoverTemporaryFiles(const Session& session) {
  std::string names;
  for (const std::wstring& name : FilesIn(session.folder())) {
    if (name.rfind(L"tavilune.dat.tmp", 0) == 0) names += ' ' + Narrow(name);
  }
  return names;
}

// Another program holds the settings file sharing reads only, as virus scanners, indexers and
// sync clients hold a file they have just seen change, while the log-off question saves. A hold
// of a moment is waited out: the answer is 1 and only comes once the file is free, the new
// record is in place, no error box. A hold that lasts is a failed save as before: the error box,
// the answer 0, the old file byte for byte and no temporary file left beside it.
void SaveWhileHeld(Report& report, Session& session, DWORD holdMs, bool waitedOut) {
  Bytes old;
  SettingsValues stored = PlaceOnTopSettings(report, session, old);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;

  Watch errorBoxSeen([&] { return !ErrorBoxText(*program).empty(); });
  FileLock lock(session.SettingsPath(), FILE_SHARE_READ);
  if (!report.Check(lock.held(), "settings file held, sharing reads only")) return;
  const ULONGLONG heldSince = GetTickCount64();
  DWORD_PTR answer = 2;
  LRESULT answered = 0;
  ULONGLONG answeredAfter = 0;
  std::thread asker([&] {
    answered = AskToEndSession(form, answer);
    answeredAfter = GetTickCount64() - heldSince;
  });
  if (!waitedOut) {
    HWND box = WaitForErrorBox(*program, kStepTimeout);
    report.Check(GetTickCount64() - heldSince < holdMs, "error box shown while the file is held");
    AnswerFailedSave(report, *program, box);
  }
  const ULONGLONG held = GetTickCount64() - heldSince;
  if (held < holdMs) Sleep(static_cast<DWORD>(holdMs - held));
  lock.Release();
  asker.join();
  report.Note("answered " + std::to_string(answeredAfter) + " ms after the hold began");
  report.Check(answered != 0, "WM_QUERYENDSESSION answered");
  report.CheckEqual(static_cast<long long>(answer), waitedOut ? 1 : 0, "WM_QUERYENDSESSION answer");
  if (waitedOut) {
    report.Check(answeredAfter >= holdMs, "the answer waited for the file to be free");
    report.Check(!errorBoxSeen.seen(), "no error box");
    SettingsValues expected = stored;
    expected.stayOnTop = 1;
    CheckSettingsFile(report, session.SettingsPath(), expected);
  } else {
    auto after = ReadFileBytes(session.SettingsPath());
    report.Check(after.has_value() && *after == old, "previous settings file kept byte for byte");
  }
  const std::string leftovers = LeftoverTemporaryFiles(session);
  report.Check(leftovers.empty(), "no temporary file left" + leftovers);
  report.Check(program->Running() && IsWindowVisible(form), "window stays open");
  CloseWithAltF4(report, *program, form);
}

void SaveWaitsForHeldFile(Report& report, Session& session) {
  SaveWhileHeld(report, session, 700, true);
}

void SaveFailsOnHeldFile(Report& report, Session& session) {
  SaveWhileHeld(report, session, 5000, false);
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

  SettingsValues expected = stored;
  expected.windowTop = moved.top;
  expected.windowLeft = moved.left;
  CloseAndCheckSettings(report, session, *program, form, expected);
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
    SettingsValues expected = stored;
    expected.windowTop = rect.top;
    expected.windowLeft = rect.left;
    if (!CloseAndCheckSettings(report, session, *program, form, expected)) return;
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
      {"save_waits_for_held_file", SaveWaitsForHeldFile},
      {"save_fails_on_held_file", SaveFailsOnHeldFile},
      {"drag", Drag},
      {"offscreen_position", OffscreenPosition},
      {"shared_settings", SharedSettings},
  };
}

}  // namespace tavilune::e2e
