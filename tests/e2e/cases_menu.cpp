// The window menu, walked with the keyboard as a user would: frame thickness, stay-on-top,
// another picture, the about box and the exit command, each judged by what changes on the
// screen and in the settings file. (A menu's items cannot be read from another process under
// Wine, so the walk relies on the menu's documented order.)
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "screen.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

// Menu walks from a freshly opened window menu (nothing selected yet):
//   枠 > 色 | 太さ > 無し 1 2 3 4 5;  -;  ウィンドウ > 最小化 | 常に前面;  画像選択;  -;
//   Taviluneについて...;  終了
// Down selects the first item, Up the last; Right opens a submenu on its first item.
const std::vector<WORD> kOpenPictureKeys = {VK_UP, VK_UP, VK_UP, VK_RETURN};

bool UseWindowMenu(Report& report, const Program& program, HWND form, const std::vector<WORD>& keys,
                   const std::string& what) {
  BringToFront(form);
  RECT rect = WindowRect(form);
  ClickRightButton(POINT{rect.left + 30, rect.top + 20});
  return WalkMenu(report, program, keys, "right click opens the window menu (for " + what + ")",
                  "menu closes after choosing " + what);
}

HWND OpenAboutBox(Report& report, const Program& program, HWND form) {
  if (!UseWindowMenu(report, program, form, {VK_UP, VK_UP, VK_RETURN}, "the about box")) {
    return nullptr;
  }
  HWND about = WaitForTopLevel(program, kAboutBoxClass, nullptr, kStepTimeout);
  CheckOrListWindows(report, program, about != nullptr, "about box TForm2 is shown");
  return about;
}

void CloseAboutBoxWithAltF4(Report& report, HWND about) {
  BringToFront(about);
  PressKeyWithAlt(VK_F4);
  report.Check(WaitUntil([&] { return !IsWindowVisible(about); }, 5000),
               "Alt+F4 closes the about box");
}

namespace {

using Keys = std::vector<WORD>;

Keys ThicknessKeys(int n) {
  Keys keys = {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT};
  keys.insert(keys.end(), n, VK_DOWN);
  keys.push_back(VK_RETURN);
  return keys;
}
const Keys kStayOnTopKeys = {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN};
const Keys kExitKeys = {VK_UP, VK_RETURN};

// Waits for the window to take the width of the test picture in a frame of that thickness.
void WaitForThickness(HWND form, int thickness) {
  WaitUntil([&] { return WindowRect(form).right - WindowRect(form).left == 200 + 2 * thickness; },
            5000);
}

// Thickness from the menu, opened by a right click and by the menu key: the window grows and
// shrinks from its top-left corner, the picture moves with the frame, and the last choice is
// saved.
void MenuThickness(Report& report, Session& session) {
  SettingsValues stored = PlaceRestorableSettings(report, session, 50, 100);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, POINT{100, 50}, 3, kWhite, TestPicture{});
  for (int thickness : {5, 0, 1}) {
    if (!UseWindowMenu(report, *program, form, ThicknessKeys(thickness),
                       "thickness " + std::to_string(thickness))) {
      return;
    }
    WaitForThickness(form, thickness);
    CheckFramedPicture(report, form, POINT{100, 50}, thickness, kWhite, TestPicture{});
  }

  // The keyboard's menu key opens the same menu at the window's top-left corner.
  BringToFront(form);
  PressKey(VK_APPS);
  HWND menu = WaitForMenu(*program);
  if (report.Check(menu != nullptr, "the menu key opens the window menu")) {
    RECT menuRect = WindowRect(menu);
    RECT formRect = WindowRect(form);
    report.Check(menuRect.left == formRect.left && menuRect.top == formRect.top,
                 "at the window's top-left corner (" + std::to_string(menuRect.left) + ", " +
                     std::to_string(menuRect.top) + ")");
    PressKeys(ThicknessKeys(2));
    WaitForThickness(form, 2);
    CheckFramedPicture(report, form, POINT{100, 50}, 2, kWhite, TestPicture{});
  }

  SettingsValues expected = stored;
  expected.frameThickness = 2;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// Stay-on-top from the menu toggles the topmost style and leaves place and size alone.
void MenuStayOnTop(Report& report, Session& session) {
  SettingsValues stored = PlaceRestorableSettings(report, session, 60, 110);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  report.Check(!IsTopmost(form), "starts not on top");
  for (bool wanted : {true, false, true}) {
    if (!UseWindowMenu(report, *program, form, kStayOnTopKeys, "stay-on-top")) return;
    // The window may be made anew for the style change: look it up again.
    WaitUntil(
        [&] {
          form = FindTopLevel(program->id(), kPictureWindowClass);
          return form != nullptr && IsTopmost(form) == wanted;
        },
        5000);
    if (!report.Check(form != nullptr, "picture window still shown")) return;
    report.Check(IsTopmost(form) == wanted,
                 std::string("window is ") + (wanted ? "" : "no longer ") + "stay-on-top");
    CheckFramedPicture(report, form, POINT{110, 60}, 3, kWhite, TestPicture{});
  }
  SettingsValues expected = stored;
  expected.stayOnTop = 1;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// Another picture from the menu: the window takes the new picture's size at once and keeps its
// place and frame; a cancelled choice changes nothing, nor does a picture that fails to load.
void MenuOpenPicture(Report& report, Session& session) {
  constexpr COLORREF kBlue = RGB(0, 0, 0xFF);
  SettingsValues stored = RestorableSettings(report, session, 70, 120);
  stored.frameThickness = 4;
  stored.frameColor = kBlue;
  PlaceSettings(report, session, stored);
  TestPicture small{120, 80};
  std::wstring other = PlaceFile(report, session, L"別の写真\\small.bmp", small.Encode());

  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, POINT{120, 70}, 4, kBlue, TestPicture{});

  if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, "a picture (cancelled)")) return;
  CancelFileDialog(report, *program);
  Settle(300);
  CheckFramedPicture(report, form, POINT{120, 70}, 4, kBlue, TestPicture{});

  // A picture that fails to load: the error, and the window keeps its picture, its size and,
  // as a save made now shows, its remembered path.
  std::wstring damaged = PlaceFile(report, session, L"damaged.bmp", DamagedBitmap());
  if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, "a damaged picture")) return;
  if (!ChooseFile(report, *program, damaged)) return;
  AnswerErrorBox(report, *program, kDamagedBitmapError);
  WaitUntil([&] { return IsWindowEnabled(form) != FALSE; }, kStepTimeout);
  CheckFramedPicture(report, form, POINT{120, 70}, 4, kBlue, TestPicture{});
  DWORD_PTR answer = 0;
  AskToEndSession(form, answer);
  CheckSettingsFile(report, session.SettingsPath(), stored);

  if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, "another picture")) return;
  if (!ChooseFile(report, *program, other)) return;
  WaitUntil([&] { return WindowRect(form).right - WindowRect(form).left == 128; }, 5000);
  CheckFramedPicture(report, form, POINT{120, 70}, 4, kBlue, small);
  SettingsValues expected = stored;
  expected.picturePath = ToAnsi(other);
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// Pictures of today's cameras: a 12000 x 9000 bitmap (written here) and JPEG (made by the build
// beside the scratch folders) show at natural size with no box; then, from the menu, a bitmap
// claiming 70000 x 70000 is damaged, a JPEG claiming 65000 x 65000 too large for memory, and so
// is one claiming 30000 x 30000 progressive (its bitmap would fit, not with the decoder's
// coefficients); the window keeps its picture.
void LargePictures(Report& report, Session& session) {
  const TestPicture bitmap{12000, 9000};
  auto jpeg = ReadFileBytes(session.Path(L"..\\large.jpg"));
  if (!report.Check(jpeg.has_value(), "the build made large.jpg")) return;
  const std::wstring jpegPath = PlaceFile(report, session, L"large.jpg", *jpeg);
  Bytes huge = TestPicture{}.Encode();
  for (size_t at : {18, 22}) huge[at] = 0x70, huge[at + 1] = 0x11, huge[at + 2] = 0x01;  // 70000
  Bytes tooLarge = *jpeg;
  Bytes progressive = *jpeg;
  for (size_t at = 0; at + 8 < tooLarge.size(); ++at) {
    if (tooLarge[at] != 0xFF || tooLarge[at + 1] != 0xC0) continue;
    for (size_t side : {at + 5, at + 7}) tooLarge[side] = 0xFD, tooLarge[side + 1] = 0xE8;  // 65000
    progressive[at + 1] = 0xC2;
    for (size_t side : {at + 5, at + 7}) progressive[side] = 0x75, progressive[side + 1] = 0x30;
    break;
  }
  struct Shown {
    std::wstring path;
    COLORREF corner, body;
  };
  const Shown shown[] = {{PlaceFile(report, session, L"large.bmp", bitmap.Encode()),
                          TestPicture::kTopLeft, TestPicture::kBody},
                         {jpegPath, RGB(0xC0, 0x20, 0x40), RGB(0x60, 0x60, 0x60)}};
  auto alike = [](COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b)) <=
           12;
  };
  for (const Shown& picture : shown) {
    const SettingsValues stored{
        .picturePath = ToAnsi(picture.path), .windowTop = 40, .windowLeft = 60};
    WriteFileBytes(session.SettingsPath(), stored.Encode());
    auto [program, form] = StartShown(report, session);
    if (form == nullptr) return;
    CheckWindowPlace(report, form, POINT{60, 40}, 12006, 9006);
    const RECT visible{60, 40, 460, 340};
    WaitUntil([&] { return alike(ScreenShot(visible).At(3, 3), picture.corner); }, 60000);
    // A repaint of a part (a bottom-up bitmap counts its rows from the bottom) shows the same.
    const RECT part{2, 2, 40, 30};
    InvalidateRect(form, &part, FALSE);
    Settle(1000);
    ScreenShot shot(visible);
    report.Check(shot.At(0, 0) == kWhite && alike(shot.At(3, 3), picture.corner) &&
                     alike(shot.At(300, 200), picture.body),
                 "frame, top-left corner and body shown");
    report.CheckEqualText(ErrorBoxText(*program), "", "no error box");
    if (&picture == &shown[1]) {
      const std::pair<std::wstring, const char*> refused[] = {
          {PlaceFile(report, session, L"huge.bmp", huge), kDamagedBitmapError},
          {PlaceFile(report, session, L"huge.jpg", tooLarge), u8"メモリが足りません."},
          {PlaceFile(report, session, L"progressive.jpg", progressive), u8"メモリが足りません."}};
      for (const auto& [path, text] : refused) {
        if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, "a huge picture")) return;
        if (!ChooseFile(report, *program, path)) return;
        AnswerErrorBox(report, *program, text);
        WaitUntil([&] { return IsWindowEnabled(form) != FALSE; }, kStepTimeout);
        CheckWindowPlace(report, form, POINT{60, 40}, 12006, 9006);
        report.Check(alike(ScreenShot(visible).At(3, 3), picture.corner), "the picture stays");
      }
    }
    if (!CloseWithAltF4(report, *program, form)) return;
  }
}

// The about box: centred, modal over the picture window (a stay-on-top picture window steps out
// of the topmost band meanwhile), deaf to Escape and Enter, closed with Alt+F4, and at the same
// place the second time. Then the exit command ends the program.
// The about box's credit line as the program file's version resource says it should read: the
// name, major and minor version, two spaces and the authors. Built from the file, so that a
// credit line whose version differs from the resource's fails.
std::string CreditFromVersionResource(const std::wstring& exe) {
  DWORD unused = 0;
  std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), &unused));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (info.empty() ||
      !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
      !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) ||
      fixed == nullptr) {
    return "(no version resource)";
  }
  return "Tavilune " + std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + u8"  作：月見坂工房";
}

// The about box's text that begins with the program's name.
std::string CreditLine(HWND about) {
  for (HWND child : Descendants(about)) {
    const std::string text = Narrow(TextOf(child));
    if (text.rfind("Tavilune ", 0) == 0) return text;
  }
  return {};
}

void MenuAboutAndExit(Report& report, Session& session) {
  SettingsValues stored = RestorableSettings(report, session, 80, 130);
  stored.stayOnTop = 1;
  PlaceSettings(report, session, stored);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  RECT firstPlace{};
  for (int round = 1; round <= 2; ++round) {
    HWND about = OpenAboutBox(report, *program, form);
    if (about == nullptr) return;
    RECT rect = WindowRect(about);
    RECT client{};
    GetClientRect(about, &client);
    if (round == 1) {
      firstPlace = rect;
      report.CheckEqualText(Narrow(TextOf(about)), u8"Taviluneについて", "about box caption");
      report.CheckEqualText(CreditLine(about), CreditFromVersionResource(session.ExePath()),
                            "credit line names the version of the program's version resource");
      report.CheckEqual(client.right, 231, "about box client width");
      report.CheckEqual(client.bottom, 81, "about box client height");
      const int width = rect.right - rect.left;
      const int height = rect.bottom - rect.top;
      report.CheckEqual(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2,
                        "about box top centred");
      report.CheckEqual(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                        "about box left centred");
    } else {
      report.Check(EqualRect(&rect, &firstPlace), "about box at the same place again");
    }
    report.Check(!IsWindowEnabled(form), "picture window disabled while the about box is open");
    report.Check(!IsTopmost(form), "stay-on-top window leaves the topmost band meanwhile");
    BringToFront(about);
    PressKey(VK_ESCAPE);
    PressKey(VK_RETURN);
    Settle(500);
    report.Check(IsWindowVisible(about), "Escape and Enter leave the about box open");
    CloseAboutBoxWithAltF4(report, about);
    report.Check(WaitUntil([&] { return IsWindowEnabled(form) != FALSE; }, 5000),
                 "picture window enabled again");
    report.Check(WaitUntil([&] { return IsTopmost(form); }, 5000),
                 "picture window back in the topmost band");
  }
  if (!UseWindowMenu(report, *program, form, kExitKeys, "exit")) return;
  if (!ExpectExit(report, *program)) return;
  CheckSettingsFile(report, session.SettingsPath(), stored);
}

// The colour chooser's red, green and blue boxes (in its folded-away part, present all the same).
constexpr int kColourRed = 706;
constexpr int kColourGreen = 707;
constexpr int kColourBlue = 708;
const Keys kColourKeys = {VK_DOWN, VK_RIGHT, VK_RETURN};

HWND FindColourDialog(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    if (IsWindowVisible(window) && SameClass(ClassOf(window), kSystemDialogClass) &&
        GetDlgItem(window, kColourRed) != nullptr) {
      return window;
    }
  }
  return nullptr;
}

// Answers the colour chooser: types the colour into its boxes and confirms, or cancels.
bool AnswerColourDialog(Report& report, const Program& program, const COLORREF* colour) {
  // The first one also loads the common dialogs.
  HWND dialog =
      WaitForWindow(program, [&] { return FindColourDialog(program.id()); }, kFirstWindowTimeout);
  if (!CheckOrListWindows(report, program, dialog != nullptr, "the colour chooser appears")) {
    return false;
  }
  if (colour != nullptr) {
    const std::pair<int, int> boxes[] = {{kColourRed, GetRValue(*colour)},
                                         {kColourGreen, GetGValue(*colour)},
                                         {kColourBlue, GetBValue(*colour)}};
    for (const auto& [id, value] : boxes) {
      std::wstring text = std::to_wstring(value);
      SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  return report.Check(PressDialogButton(dialog, colour != nullptr ? IDOK : IDCANCEL),
                      colour != nullptr ? "colour chosen" : "colour chooser cancelled");
}

// The frame colour from the menu: chosen in the colour chooser, kept through a thickness of 0
// (when "色" is greyed and does nothing), unchanged by a cancelled chooser, and saved.
void MenuFrameColour(Report& report, Session& session) {
  SettingsValues stored = PlaceRestorableSettings(report, session, 50, 100);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  const COLORREF chosen = RGB(0x20, 0xC0, 0x40);

  if (!UseWindowMenu(report, *program, form, kColourKeys, u8"色")) return;
  if (!AnswerColourDialog(report, *program, &chosen)) return;
  Settle(300);
  CheckFramedPicture(report, form, POINT{100, 50}, 3, chosen, TestPicture{});

  if (!UseWindowMenu(report, *program, form, ThicknessKeys(0), "thickness 0")) return;
  WaitForThickness(form, 0);
  // "色" is greyed now: Enter on it does nothing and the menu stays until Escape.
  BringToFront(form);
  RECT rect = WindowRect(form);
  ClickRightButton(POINT{rect.left + 30, rect.top + 20});
  PressKeys(kColourKeys);
  Settle(1000);
  report.Check(FindColourDialog(program->id()) == nullptr,
               u8"with thickness 0 \"色\" opens no colour chooser");
  for (int i = 0; i < 3 && FindTopLevel(program->id(), kMenuClass) != nullptr; ++i) {
    PressKey(VK_ESCAPE);
    Settle(200);
  }
  report.Check(FindTopLevel(program->id(), kMenuClass) == nullptr, "menu dismissed with Escape");

  if (!UseWindowMenu(report, *program, form, ThicknessKeys(2), "thickness 2")) return;
  WaitForThickness(form, 2);
  CheckFramedPicture(report, form, POINT{100, 50}, 2, chosen, TestPicture{});

  if (!UseWindowMenu(report, *program, form, kColourKeys, u8"色 (cancelled)")) return;
  AnswerColourDialog(report, *program, nullptr);
  Settle(300);
  CheckFramedPicture(report, form, POINT{100, 50}, 2, chosen, TestPicture{});

  SettingsValues expected = stored;
  expected.frameColor = static_cast<std::int32_t>(chosen);
  expected.frameThickness = 2;
  CloseAndCheckSettings(report, session, *program, form, expected);
}

// Whether the picture window is the system's foreground window and its thread's active one.
bool ActiveAndForeground(HWND form) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetForegroundWindow() == form &&
         GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) &&
         info.hwndActive == form;
}

void CheckFocusCameBack(Report& report, HWND form, const std::string& box) {
  // Judged as the program leaves it: the picture window is not brought forward here.
  report.Check(WaitUntil([&] { return ActiveAndForeground(form); }, 5000),
               "picture window active and in the foreground again after " + box);
}

// After each modal box closes (the about box, the colour chooser, an error box) the picture
// window is the active, foreground window again, as it was when the box opened.
void FocusAfterBoxes(Report& report, Session& session) {
  PlaceRestorableSettings(report, session, 50, 100);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;

  HWND about = OpenAboutBox(report, *program, form);
  if (about == nullptr) return;
  PostMessageW(about, WM_CLOSE, 0, 0);
  report.Check(WaitUntil([&] { return !IsWindowVisible(about); }, 5000), "about box closed");
  CheckFocusCameBack(report, form, "the about box");

  if (!UseWindowMenu(report, *program, form, kColourKeys, u8"色")) return;
  if (!AnswerColourDialog(report, *program, nullptr)) return;
  CheckFocusCameBack(report, form, "the colour chooser");

  std::wstring damaged = PlaceFile(report, session, L"damaged.bmp", DamagedBitmap());
  if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, "a damaged picture")) return;
  if (!ChooseFile(report, *program, damaged)) return;
  if (!AnswerErrorBox(report, *program, kDamagedBitmapError)) return;
  CheckFocusCameBack(report, form, "the error box");

  CloseWithAltF4(report, *program, form);
}

}  // namespace

std::vector<CaseEntry> MenuCases() {
  return {
      {"menu_thickness", MenuThickness},         {"menu_frame_colour", MenuFrameColour},
      {"menu_stay_on_top", MenuStayOnTop},       {"menu_open_picture", MenuOpenPicture},
      {"menu_about_and_exit", MenuAboutAndExit}, {"focus_after_boxes", FocusAfterBoxes},
      {"large_pictures", LargePictures},
  };
}

}  // namespace tavilune::e2e
