#include "program_view.h"

#include <cstdio>
#include <cstdlib>

#include "input.h"
#include "screen.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

std::string PointText(LONG x, LONG y) {
  char text[40];
  std::snprintf(text, sizeof text, "(%ld, %ld)", x, y);
  return text;
}

// The first visible system dialog of the process that the test accepts.
HWND FindSystemDialog(DWORD processId, const std::function<bool(HWND)>& test) {
  for (HWND window : TopLevelWindows(processId)) {
    if (IsWindowVisible(window) && SameClass(ClassOf(window), kSystemDialogClass) && test(window)) {
      return window;
    }
  }
  return nullptr;
}

// The file dialog is the system dialog that holds a file-name box.
HWND FindFileDialog(DWORD processId) {
  return FindSystemDialog(processId, [](HWND window) { return FileNameBox(window) != nullptr; });
}

HWND FindErrorBox(DWORD processId) {
  return FindSystemDialog(processId, [](HWND window) {
    return FileNameBox(window) == nullptr && TextOf(window) == kApplicationTitle;
  });
}

}  // namespace

std::string RectText(const RECT& r) {
  return PointText(r.left, r.top) + "-" + PointText(r.right, r.bottom);
}

bool CheckOrListWindows(Report& report, const Program& program, bool ok, const std::string& what) {
  if (!report.Check(ok, what)) report.Note("windows:" + DescribeWindows(program.id()));
  return ok;
}

HWND FileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  return box != nullptr ? box : GetDlgItem(dialog, kFileNameEdit);
}

HWND FindDescendant(HWND parent, const wchar_t* className, const std::wstring* text) {
  for (HWND child : Descendants(parent)) {
    if (SameClass(ClassOf(child), className) && (text == nullptr || TextOf(child) == *text)) {
      return child;
    }
  }
  return nullptr;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

Watch::Watch(std::function<bool()> condition)
    : thread_([this, condition = std::move(condition)] {
        while (!stop_) {
          if (condition()) seen_ = true;
          Sleep(10);
        }
      }) {}

Watch::~Watch() {
  stop_ = true;
  thread_.join();
}

VisibilityWatch::VisibilityWatch(DWORD processId)
    : Watch([processId] { return FindTopLevel(processId, kPictureWindowClass) != nullptr; }) {}

bool AnswerMessageDialog(Report& report, const Program& program, const std::string& expectedText,
                         WORD closingKey) {
  HWND dialog = WaitForTopLevelByTitle(program, kMessageDialogTitle, kFirstWindowTimeout);
  if (!CheckOrListWindows(report, program, dialog != nullptr,
                          u8"the message dialog \"情報\" appears")) {
    return false;
  }
  RECT rect = WindowRect(dialog);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  report.Check(std::abs(static_cast<int>(rect.left + rect.right) - screenWidth) <= 1 &&
                   std::abs(static_cast<int>(rect.top + rect.bottom) - screenHeight) <= 1,
               "message dialog centred on the primary screen " + RectText(rect));
  // The text sits in a static control; the icon beside it is a static control without text.
  std::string text;
  for (HWND child : Descendants(dialog)) {
    if (SameClass(ClassOf(child), L"Static") && !TextOf(child).empty()) {
      text = Narrow(TextOf(child));
      break;
    }
  }
  report.CheckEqualText(Escaped(text), Escaped(expectedText), "message dialog text");
  std::wstring ok = L"OK";
  HWND button = FindDescendant(dialog, L"Button", &ok);
  report.Check(button != nullptr, "message dialog has an OK button");

  BringToFront(dialog);
  PressKey(closingKey);
  bool closed = WaitUntilGone(dialog);
  report.Check(closed, std::string("message dialog closes with ") +
                           (closingKey == VK_RETURN ? "Enter" : "Escape"));
  if (!closed && button != nullptr) {
    // Go on with the rest of the case all the same.
    PostMessageW(button, BM_CLICK, 0, 0);
    WaitUntilGone(dialog);
  }
  return closed;
}

HWND WaitForFileDialog(Report& report, const Program& program) {
  HWND dialog =
      WaitForWindow(program, [&] { return FindFileDialog(program.id()); }, kFirstWindowTimeout);
  CheckOrListWindows(report, program, dialog != nullptr, "the file-open dialog appears");
  return dialog;
}

// Presses the dialog's button by its command and waits for the dialog to close.
bool PressDialogButton(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return WaitUntilGone(dialog, kStepTimeout);
}

bool ChooseFile(Report& report, const Program& program, const std::wstring& path) {
  HWND dialog = WaitForFileDialog(report, program);
  if (dialog == nullptr) return false;
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  report.Note("typed " + Narrow(path));
  return report.Check(PressDialogButton(dialog, IDOK),
                      "the file-open dialog takes the typed path and closes");
}

bool CancelFileDialog(Report& report, const Program& program) {
  HWND dialog = WaitForFileDialog(report, program);
  return dialog != nullptr &&
         report.Check(PressDialogButton(dialog, IDCANCEL), "the file-open dialog is cancelled");
}

std::string ErrorBoxText(const Program& program, HWND* found) {
  HWND box = FindErrorBox(program.id());
  if (found != nullptr) *found = box;
  if (box == nullptr) return {};
  HWND text = GetDlgItem(box, kMessageBoxText);
  if (text != nullptr) return Narrow(TextOf(text));
  for (HWND child : Descendants(box)) {
    if (SameClass(ClassOf(child), L"Static") && !TextOf(child).empty()) {
      return Narrow(TextOf(child));
    }
  }
  return {};
}

bool AnswerErrorBox(Report& report, const Program& program, const std::string& expectedText) {
  HWND box = WaitForErrorBox(program, kFirstWindowTimeout);
  if (!CheckOrListWindows(report, program, box != nullptr, "the error box \"Tavilune\" appears")) {
    return false;
  }
  report.CheckEqualText(ErrorBoxText(program), expectedText, "error box text");
  BringToFront(box);
  PressKey(VK_RETURN);
  bool closed = WaitUntilGone(box);
  if (!closed) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    closed = WaitUntilGone(box);
  }
  return report.Check(closed, "error box closes");
}

HWND WaitForPictureWindow(Report& report, const Program& program) {
  HWND window = WaitForTopLevel(program, kPictureWindowClass, nullptr, kFirstWindowTimeout);
  CheckOrListWindows(report, program, window != nullptr, "the picture window TForm1 is shown");
  return window;
}

std::unique_ptr<Program> StartChecked(Report& report, Session& session,
                                      const std::string& started) {
  auto program = session.Start();
  report.Check(program != nullptr, started);
  return program;
}

ShownProgram StartShown(Report& report, Session& session, const std::string& started) {
  ShownProgram shown{StartChecked(report, session, started)};
  if (shown.program != nullptr) shown.form = WaitForPictureWindow(report, *shown.program);
  return shown;
}

ShownProgram StartWithFirstChoice(Report& report, Session& session, const std::wstring& picture) {
  ShownProgram shown{StartChecked(report, session)};
  if (shown.program == nullptr) return shown;
  AnswerMessageDialog(report, *shown.program, kNoSettingsMessage, VK_RETURN);
  if (ChooseFile(report, *shown.program, picture)) {
    shown.form = WaitForPictureWindow(report, *shown.program);
  }
  return shown;
}

HWND WaitForErrorBox(const Program& program, DWORD timeoutMs) {
  return WaitForWindow(program, [&] { return FindErrorBox(program.id()); }, timeoutMs);
}

HWND WaitForMenu(const Program& program) {
  return WaitForTopLevel(program, kMenuClass, nullptr, 5000);
}

void PressKeys(const std::vector<WORD>& keys) {
  for (WORD key : keys) {
    PressKey(key);
    Settle(120);
  }
}

bool WalkMenu(Report& report, const Program& program, const std::vector<WORD>& keys,
              const std::string& opened, const std::string& closed) {
  if (!CheckOrListWindows(report, program, WaitForMenu(program) != nullptr, opened)) return false;
  PressKeys(keys);
  return report.Check(
      WaitUntil([&] { return FindTopLevel(program.id(), kMenuClass) == nullptr; }, 5000), closed);
}

bool IsTopmost(HWND window) { return (ExStyleOf(window) & WS_EX_TOPMOST) != 0; }

LRESULT AskToEndSession(HWND form, DWORD_PTR& answer, DWORD timeoutMs) {
  return SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                             timeoutMs, &answer);
}

RECT CheckWindowPlace(Report& report, HWND window, POINT topLeft, int width, int height) {
  RECT rect = WindowRect(window);
  report.CheckEqualText(PointText(rect.left, rect.top), PointText(topLeft.x, topLeft.y),
                        "window position");
  report.CheckEqualText(PointText(rect.right - rect.left, rect.bottom - rect.top),
                        PointText(width, height), "window size");
  LONG style = StyleOf(window);
  report.Check((style & WS_POPUP) && !(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)),
               "window is a pop-up without caption or border (style " + Hex(style) + ")");
  return RECT{rect.left, rect.top, rect.left + width, rect.top + height};
}

void CheckFrameBands(Report& report, const ScreenShot& shot, int thickness, COLORREF colour) {
  const int t = thickness;
  const int width = shot.width();
  const int height = shot.height();
  POINT bad{};
  int wrong = shot.CountDifferent(0, 0, width, t, colour, &bad) +
              shot.CountDifferent(0, height - t, width, height, colour, &bad) +
              shot.CountDifferent(0, t, t, height - t, colour, &bad) +
              shot.CountDifferent(width - t, t, width, height - t, colour, &bad);
  report.Check(wrong == 0, "frame of " + std::to_string(t) + " pixels in " + Hex(colour) +
                               " on all sides (" + std::to_string(wrong) + " wrong pixels)");
}

void CheckFramedPicture(Report& report, HWND window, POINT topLeft, int thickness,
                        COLORREF frameColour, const TestPicture& picture) {
  const int t = thickness;
  RECT area =
      CheckWindowPlace(report, window, topLeft, picture.width + 2 * t, picture.height + 2 * t);

  // Wait until the picture has been painted, then judge one copy of the screen.
  WaitUntil(
      [&] {
        ScreenShot shot(area);
        return shot.At(t, t) == TestPicture::kTopLeft &&
               (t == 0 || (shot.At(0, 0) == frameColour &&
                           shot.At(shot.width() - 1, shot.height() - 1) == frameColour));
      },
      kStepTimeout);
  ScreenShot shot(area);
  if (!report.Check(shot.ok(), "screen can be read")) return;

  struct Corner {
    const char* name;
    int x, y;
    COLORREF colour;
  };
  const Corner corners[] = {
      {"top-left", t, t, TestPicture::kTopLeft},
      {"top-right", t + picture.width - 1, t, TestPicture::kTopRight},
      {"bottom-left", t, t + picture.height - 1, TestPicture::kBottomLeft},
      {"bottom-right", t + picture.width - 1, t + picture.height - 1, TestPicture::kBottomRight},
  };
  for (const Corner& corner : corners) {
    report.CheckEqualText(Hex(shot.At(corner.x, corner.y)), Hex(corner.colour),
                          std::string("picture's ") + corner.name + " pixel at window " +
                              PointText(corner.x, corner.y));
  }
  POINT bad{};
  int wrongInside = shot.CountDifferent(t + 1, t + 1, t + picture.width - 1, t + picture.height - 1,
                                        TestPicture::kBody, &bad);
  report.Check(wrongInside == 0, "picture's body drawn unscaled (" + std::to_string(wrongInside) +
                                     " wrong pixels, first at " + PointText(bad.x, bad.y) + ")");
  if (t > 0) CheckFrameBands(report, shot, t, frameColour);
}

void CheckDesignWindow(Report& report, HWND window) {
  RECT rect = WindowRect(window);
  report.CheckEqualText(PointText(rect.left, rect.top),
                        PointText(kDesignPosition.x, kDesignPosition.y), "design window position");
  report.CheckEqualText(PointText(rect.right - rect.left, rect.bottom - rect.top),
                        PointText(kDesignSize.cx, kDesignSize.cy), "design window size");
  const int width = kDesignSize.cx;
  const int height = kDesignSize.cy;
  RECT area = {rect.left, rect.top, rect.left + width, rect.top + height};
  WaitUntil([&] { return ScreenShot(area).At(1, 1) == kDesignFrameColour; }, kStepTimeout);
  ScreenShot shot(area);
  if (!report.Check(shot.ok(), "screen can be read")) return;
  POINT bad{};
  const int t = 3;
  CheckFrameBands(report, shot, t, kDesignFrameColour);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  int wrongInside = shot.CountDifferent(t, t, width - t, height - t, face, &bad);
  report.Check(wrongInside == 0, "no picture: the inside is the button face " + Hex(face) + " (" +
                                     std::to_string(wrongInside) + " wrong pixels, first " +
                                     Hex(shot.At(bad.x, bad.y)) + " at " + PointText(bad.x, bad.y) +
                                     ")");
}

void CheckTaskbarButton(Report& report, const Program& program, bool expectButton) {
  HWND application = FindTopLevel(program.id(), kApplicationClass, nullptr, false);
  if (!CheckOrListWindows(report, program, application != nullptr,
                          "the application window TApplication exists")) {
    return;
  }
  report.CheckEqualText(Narrow(TextOf(application)), "Tavilune", "application window title");
  LONG exStyle = ExStyleOf(application);
  bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  report.Check(tool != expectButton,
               std::string(expectButton ? "taskbar button kept: no" : "no taskbar button:") +
                   " WS_EX_TOOLWINDOW on the application window (ex-style " + Hex(exStyle) + ")");
}

void PressAltF4(Report& report, HWND window) {
  report.Check(BringToFront(window), "picture window comes to the foreground");
  PressKeyWithAlt(VK_F4);
  report.Note("pressed Alt+F4");
}

bool ExpectExit(Report& report, const Program& program, DWORD timeoutMs) {
  return CheckOrListWindows(report, program, program.WaitForExit(timeoutMs), "the program ends");
}

bool CloseWithAltF4(Report& report, const Program& program, HWND form) {
  PressAltF4(report, form);
  return ExpectExit(report, program);
}

bool CloseAndCheckSettings(Report& report, const Session& session, const Program& program,
                           HWND form, const SettingsValues& expected) {
  if (!CloseWithAltF4(report, program, form)) return false;
  CheckSettingsFile(report, session.SettingsPath(), expected);
  return true;
}

void ExpectExitWithoutErrorBox(Report& report, const Program& program) {
  bool ended = program.WaitForExit(kStepTimeout);
  std::string error = ErrorBoxText(program);
  report.Check(ended && error.empty(), "the program ends without an error box" +
                                           (error.empty() ? "" : " (shows \"" + error + "\")"));
}

void CheckSettingsFile(Report& report, const std::wstring& path, const SettingsValues& expected) {
  auto bytes = ReadFileBytes(path);
  if (!report.Check(bytes.has_value(), "settings file exists")) return;
  report.CheckEqual(static_cast<long long>(bytes->size()), record::kSize, "settings file size");
  if (bytes->size() < record::kSize) return;
  report.CheckEqualText(Hex(ReadInt32(*bytes, record::kFrameColor)), Hex(expected.frameColor),
                        "FrameColor @0");
  report.CheckEqual(ReadInt32(*bytes, record::kFrameThickness), expected.frameThickness,
                    "FrameThickness @4");
  report.CheckEqualText(Escaped(ReadPicturePath(*bytes)), Escaped(expected.picturePath),
                        "PicturePath @8 (ANSI bytes)");
  report.CheckEqual(ReadInt32(*bytes, record::kWindowTop), expected.windowTop, "WindowTop @264");
  report.CheckEqual(ReadInt32(*bytes, record::kWindowLeft), expected.windowLeft, "WindowLeft @268");
  report.CheckEqual((*bytes)[record::kInTray], expected.inTray, "InTray @272");
  report.CheckEqual((*bytes)[record::kStayOnTop], expected.stayOnTop, "StayOnTop @273");
  report.CheckEqual((*bytes)[record::kAlignment], expected.alignment[0], "alignment @274");
  report.CheckEqual((*bytes)[record::kAlignment + 1], expected.alignment[1], "alignment @275");
}

void SaveScreenLog(Report& report, const Session& session, const std::string& name) {
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  ScreenShot shot(screen);
  if (!shot.ok()) return;
  const int width = shot.width();
  const int height = shot.height();
  Bytes bytes(54 + static_cast<size_t>(width) * height * 4, 0);
  auto put = [&](size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<std::uint32_t>(bytes.size()));
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, static_cast<std::uint32_t>(-height));
  bytes[26] = 1;
  bytes[28] = 32;
  size_t at = 54;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, at += 4) {
      COLORREF colour = shot.At(x, y);
      bytes[at] = GetBValue(colour);
      bytes[at + 1] = GetGValue(colour);
      bytes[at + 2] = GetRValue(colour);
    }
  }
  std::wstring path = session.Path(Widen(name) + L".screen.bmp");
  if (WriteFileBytes(path, bytes)) report.Note("screen saved to " + Narrow(path));
}

}  // namespace tavilune::e2e
