// The picture dialog from outside: where it opens, what its preview shows for a picture, a text
// file and damaged JPEG data, the preview window, and that the next opening starts on the file
// chosen last.
//
// The preview's label, button and box are painted, not windows of their own. The program keeps
// their state in the text of the preview area's window (class "TPreviewPanel"), one
// "name=value" line each, which WM_GETTEXT reads from here:
//   PictureLabel= (640x480)
//   PreviewButton=enabled 139,1,23,22            (state, then left,top,width,height)
//   PaintPanel=
//   PaintBox=8,31,154,317 picture 640x480 at 8,132,154,115
// Rectangles are in the area's client pixels; what the screen shows is checked against them.
#include <windows.h>
// After <windows.h>, which it builds on.
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "screen.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

constexpr wchar_t kPreviewAreaClass[] = L"TPreviewPanel";
constexpr wchar_t kPreviewWindowClass[] = L"TPreviewForm";
constexpr wchar_t kPreviewTitle[] = L"プレビュー";
constexpr wchar_t kListViewClass[] = L"SysListView32";
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

constexpr char kNoPictureLabel[] = u8"画像:";
constexpr char kNoPictureCaption[] = u8"(なし)";
constexpr char kInvalidPictureCaption[] = u8"画像が不正です";

// The case's pictures; their first letters pick them in the dialog's list by typing.
const wchar_t kPhotoName[] = L"a_photo.bmp";
const wchar_t kTextName[] = L"b_notes.txt";
const wchar_t kDamagedName[] = L"c_damaged.jpg";
const wchar_t kIconName[] = L"d_icon.ico";

struct PreviewState {
  std::string label;
  bool buttonEnabled = false;
  RECT button{};
  std::string boxCaption;
  RECT box{};
  SIZE picture{};
  RECT pictureAt{};
  bool ok = false;
};

RECT ParseRect(const std::string& text) {
  RECT r{};
  long left = 0, top = 0, width = 0, height = 0;
  if (std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &left, &top, &width, &height) == 4) {
    r = RECT{left, top, left + width, top + height};
  }
  return r;
}

PreviewState ReadState(HWND area) {
  PreviewState state;
  std::map<std::string, std::string> values;
  std::istringstream lines(Narrow(TextOf(area)));
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  if (!values.count("PictureLabel") || !values.count("PreviewButton") ||
      !values.count("PaintPanel") || !values.count("PaintBox")) {
    return state;
  }
  state.label = values["PictureLabel"];
  const std::string& button = values["PreviewButton"];
  state.buttonEnabled = button.rfind("enabled ", 0) == 0;
  state.button = ParseRect(button.substr(button.find(' ') + 1));
  state.boxCaption = values["PaintPanel"];
  char box[64] = {}, at[64] = {};
  long width = 0, height = 0;
  if (std::sscanf(values["PaintBox"].c_str(), "%63s picture %ldx%ld at %63s", box, &width, &height,
                  at) == 4) {
    state.box = ParseRect(box);
    state.picture = SIZE{width, height};
    state.pictureAt = ParseRect(at);
    state.ok = true;
  }
  return state;
}

std::string RectText(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

RECT ToScreen(HWND window, RECT r) {
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  return box != nullptr ? box : GetDlgItem(dialog, kFileNameEdit);
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
  for (HWND child : Descendants(parent)) {
    if (SameClass(ClassOf(child), className)) return child;
  }
  return nullptr;
}

// Waits for the state of the preview to satisfy the condition; returns the last state read.
PreviewState WaitForState(HWND area, const std::function<bool(const PreviewState&)>& condition,
                          DWORD timeoutMs = kStepTimeout) {
  PreviewState state;
  WaitUntil(
      [&] {
        state = ReadState(area);
        return state.ok && condition(state);
      },
      timeoutMs);
  return state;
}

// The dialog's first opening, at the first start: the message, then the dialog with its
// preview area.
struct OpenDialog {
  HWND dialog = nullptr;
  HWND area = nullptr;
};

OpenDialog WaitForPictureDialog(Report& report, const Program& program) {
  OpenDialog open;
  open.dialog = WaitForFileDialog(report, program);
  if (open.dialog == nullptr) return open;
  WaitUntil(
      [&] {
        open.area = FindDescendant(open.dialog, kPreviewAreaClass);
        return open.area != nullptr && ReadState(open.area).ok;
      },
      kStepTimeout);
  if (!report.Check(open.area != nullptr, "the dialog holds the preview area (TPreviewPanel)")) {
    open.dialog = nullptr;
  }
  return open;
}

OpenDialog StartToDialog(Report& report, Session& session, std::unique_ptr<Program>& program) {
  program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return {};
  if (!AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_RETURN)) return {};
  return WaitForPictureDialog(report, *program);
}

// Shows the folder's files of every kind: the pattern typed into the name box and confirmed
// makes the dialog go to the folder and list what matches, without closing.
bool ShowFolder(Report& report, const OpenDialog& open, const std::wstring& folder) {
  std::wstring pattern = folder + L"\\*.*";
  SendMessageW(FileNameBox(open.dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pattern.c_str()));
  PostMessageW(open.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(open.dialog, IDOK)));
  HWND list = nullptr;
  bool listed = WaitUntil(
      [&] {
        list = FindDescendant(open.dialog, kListViewClass);
        return list != nullptr && IsWindowVisible(open.dialog) &&
               SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= 3;
      },
      kStepTimeout);
  return report.Check(listed, "the dialog lists the case's folder with every kind of file");
}

// Picks a file in the list by typing its first letter there, as a user would.
void PickByLetter(const OpenDialog& open, wchar_t letter) {
  HWND list = FindDescendant(open.dialog, kListViewClass);
  if (list == nullptr) return;
  BringToFront(open.dialog);
  if (GetFocus() != list) {
    // A click on the list's empty lower right corner gives it the keyboard.
    RECT rect = WindowRect(list);
    MoveMouseTo(rect.right - 30, rect.bottom - 30);
    Settle(100);
    MouseButton(true, true);
    Settle(50);
    MouseButton(true, false);
    Settle(200);
  }
  PressKey(static_cast<WORD>(letter));
  Settle(200);
}

COLORREF CentreColour(const RECT& area) {
  RECT middle{(area.left + area.right) / 2, (area.top + area.bottom) / 2, 0, 0};
  middle.right = middle.left + 1;
  middle.bottom = middle.top + 1;
  ScreenShot shot(middle);
  return shot.ok() ? shot.At(0, 0) : CLR_INVALID;
}

// The picture control's rule for a picture made to touch two edges of the box, kept in its
// ratio, truncated and centred.
RECT FittedInto(const RECT& box, long width, long height) {
  const long cw = box.right - box.left;
  const long ch = box.bottom - box.top;
  const double ratio = static_cast<double>(width) / height;
  long w = 0, h = 0;
  if (width > height) {
    w = cw;
    h = static_cast<long>(cw / ratio);
    if (h > ch) {
      h = ch;
      w = static_cast<long>(ch * ratio);
    }
  } else {
    h = ch;
    w = static_cast<long>(ch * ratio);
    if (w > cw) {
      w = cw;
      h = static_cast<long>(cw / ratio);
    }
  }
  const long left = box.left + (cw - w) / 2;
  const long top = box.top + (ch - h) / 2;
  return RECT{left, top, left + w, top + h};
}

bool NoMessageOrErrorBox(const Program& program) {
  return ErrorBoxText(program).empty() &&
         FindTopLevelByTitle(program.id(), kMessageDialogTitle) == nullptr;
}

std::wstring PlacePictures(Report& report, Session& session) {
  TestPicture photo;
  photo.width = 640;
  photo.height = 480;
  PlaceFile(report, session, std::wstring(L"pictures\\") + kPhotoName, photo.Encode());
  const std::string words = "a text file, not a picture\r\n";
  PlaceFile(report, session, std::wstring(L"pictures\\") + kTextName,
            Bytes(words.begin(), words.end()));
  // A sound JPEG header with a stray scan after the only one: the library gives up after the
  // last row, while the picture is drawn.
  auto jpeg = ReadFileBytes(session.DataPath(L"jpeg\\baseline_420.jpg"));
  if (report.Check(jpeg.has_value(), "JPEG test file readable")) {
    Bytes bytes = *jpeg;
    size_t sos = 0;
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
      if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
        sos = i;
        break;
      }
    }
    const size_t length = static_cast<size_t>(bytes[sos + 2] << 8 | bytes[sos + 3]);
    Bytes header(bytes.begin() + sos, bytes.begin() + sos + 2 + length);
    bytes.resize(bytes.size() - 2);
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), {0x00, 0x00, 0xFF, 0xD9});
    PlaceFile(report, session, std::wstring(L"pictures\\") + kDamagedName, bytes);
  }
  TestPicture icon;
  icon.width = 32;
  icon.height = 32;
  PlaceFile(report, session, std::wstring(L"pictures\\") + kIconName, icon.EncodeIcon());
  return session.Path(L"pictures");
}

// Placement, the preview of a picture, of a text file and of damaged JPEG data.
void PreviewSelection(Report& report, Session& session) {
  const std::wstring folder = PlacePictures(report, session);
  std::unique_ptr<Program> program;
  OpenDialog open = StartToDialog(report, session, program);
  if (open.dialog == nullptr) return;

  // Centred across the first monitor and at one third of the height left over.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT screen = monitor.rcMonitor;
  RECT rect = WindowRect(open.dialog);
  const long width = rect.right - rect.left;
  const long height = rect.bottom - rect.top;
  report.CheckEqual(rect.left, screen.left + (screen.right - screen.left - width) / 2,
                    "dialog's left edge centres it across the monitor");
  report.CheckEqual(rect.top, screen.top + (screen.bottom - screen.top - height) / 3,
                    "dialog's top edge at one third of the free height");

  // The preview area on the right of the system's controls, inside the dialog.
  RECT area = WindowRect(open.area);
  HWND list = FindDescendant(open.dialog, kListViewClass);
  RECT listRect = list ? WindowRect(list) : RECT{};
  report.Check(list != nullptr && area.left >= listRect.right,
               "preview area " + RectText(area) + " right of the file list " + RectText(listRect));
  report.Check(area.right <= rect.right && area.top >= rect.top && area.bottom <= rect.bottom,
               "preview area inside the dialog " + RectText(rect));
  PreviewState state = ReadState(open.area);
  report.CheckEqualText(state.boxCaption, kNoPictureCaption, "box shows (なし) at first");
  report.Check(!state.buttonEnabled, "preview button disabled at first");
  report.Check(state.button.right == state.box.right && state.button.top <= 1,
               "preview button at the right end of the caption row " + RectText(state.button));

  if (!ShowFolder(report, open, folder)) return SaveScreenLog(report, session, "no_folder");

  report.Note("picking the 640 x 480 bitmap");
  PickByLetter(open, L'A');
  state = WaitForState(open.area, [](const PreviewState& s) { return s.picture.cx == 640; });
  report.CheckEqualText(state.label, " (640x480)", "label gives the picture's size");
  report.Check(state.buttonEnabled, "preview button enabled");
  report.CheckEqualText(state.boxCaption, "", "box caption cleared");
  const RECT fitted = FittedInto(state.box, 640, 480);
  report.CheckEqualText(RectText(state.pictureAt), RectText(fitted),
                        "picture fitted into the box, ratio kept, centred");
  const RECT onScreen = ToScreen(open.area, state.pictureAt);
  WaitUntil([&] { return CentreColour(onScreen) == TestPicture::kBody; }, kStepTimeout);
  report.CheckEqualText(Hex(CentreColour(onScreen)), Hex(TestPicture::kBody),
                        "the picture shows in the box");

  report.Note("picking the text file");
  PickByLetter(open, L'B');
  state = WaitForState(open.area, [](const PreviewState& s) { return s.label == kNoPictureLabel; });
  report.CheckEqualText(state.label, kNoPictureLabel, "label reads 画像:");
  report.CheckEqualText(state.boxCaption, kNoPictureCaption, "box reads (なし)");
  report.Check(!state.buttonEnabled, "preview button disabled");
  report.Check(state.picture.cx == 0, "no picture in the box");
  Settle(500);
  report.Check(NoMessageOrErrorBox(*program), "no message for a file that is no picture");

  report.Note("picking the JPEG with damaged data");
  PickByLetter(open, L'C');
  state = WaitForState(
      open.area, [](const PreviewState& s) { return s.boxCaption == kInvalidPictureCaption; });
  report.CheckEqualText(state.boxCaption, kInvalidPictureCaption, "box reads 画像が不正です");
  report.CheckEqualText(state.label, " (67x45)", "its header still gives the size");
  Settle(500);
  report.Check(NoMessageOrErrorBox(*program), "no error box for the damaged picture");
  report.Check(IsWindowVisible(open.dialog) && IsWindowEnabled(open.dialog), "dialog still open");

  report.Note("the dialog goes on working");
  PickByLetter(open, L'A');
  state = WaitForState(open.area, [](const PreviewState& s) { return s.picture.cx == 640; });
  report.CheckEqualText(state.label, " (640x480)", "the bitmap previews again");
  report.CheckEqualText(state.boxCaption, "", "box caption cleared again");

  report.Note("picking the icon, listed through the typed pattern");
  PickByLetter(open, L'D');
  state = WaitForState(open.area, [](const PreviewState& s) { return s.picture.cx == 32; });
  report.CheckEqualText(state.label, " (32x32)", "an icon previews like the other formats");
  report.Check(state.buttonEnabled, "preview button enabled by the icon");
  SaveScreenLog(report, session, "preview");

  CancelFileDialog(report, *program);
  ExpectExit(report, *program);
}

// The preview window from the button; Escape brings the dialog back; the chosen picture then
// shows in the picture window.
void PreviewWindow(Report& report, Session& session) {
  const std::wstring folder = PlacePictures(report, session);
  std::unique_ptr<Program> program;
  OpenDialog open = StartToDialog(report, session, program);
  if (open.dialog == nullptr) return;
  if (!ShowFolder(report, open, folder)) return SaveScreenLog(report, session, "no_folder");
  PickByLetter(open, L'A');
  PreviewState state =
      WaitForState(open.area, [](const PreviewState& s) { return s.buttonEnabled; });
  if (!report.Check(state.buttonEnabled, "preview button enabled by the bitmap")) return;

  const RECT button = ToScreen(open.area, state.button);
  BringToFront(open.dialog);
  MoveMouseTo((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  Settle(150);
  MouseButton(true, true);
  Settle(80);
  MouseButton(true, false);
  HWND preview = WaitForTopLevel(*program, kPreviewWindowClass, kPreviewTitle, kStepTimeout);
  if (!report.Check(preview != nullptr, "the button opens the preview window \"プレビュー\"")) {
    report.Note("windows:" + DescribeWindows(program->id()));
    return SaveScreenLog(report, session, "no_preview");
  }
  report.Check(GetWindow(preview, GW_OWNER) == open.dialog, "owned by the file dialog");
  report.Check((ExStyleOf(preview) & WS_EX_TOOLWINDOW) && (StyleOf(preview) & WS_THICKFRAME),
               "a sizeable tool window");
  report.Check(!IsWindowEnabled(open.dialog), "file dialog disabled while the preview is up");
  // The picture plus the panel's line (1 + 1) and margins (5 + 5): shown at its natural size.
  RECT client{};
  GetClientRect(preview, &client);
  report.CheckEqual(client.right, 640 + 12, "client width: picture, border line and margins");
  report.CheckEqual(client.bottom, 480 + 12, "client height: picture, border line and margins");
  RECT outer = WindowRect(preview);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  report.CheckEqual(outer.left, (screenWidth - (outer.right - outer.left)) / 2,
                    "preview window centred across the screen");
  report.CheckEqual(outer.top, (screenHeight - (outer.bottom - outer.top)) / 2,
                    "preview window centred down the screen");
  POINT origin{0, 0};
  ClientToScreen(preview, &origin);
  const RECT picture{origin.x + 6, origin.y + 6, origin.x + 6 + 640, origin.y + 6 + 480};
  WaitUntil([&] { return CentreColour(picture) == TestPicture::kBody; }, kStepTimeout);
  ScreenShot shot(picture);
  if (report.Check(shot.ok(), "screen can be read")) {
    report.CheckEqualText(Hex(shot.At(0, 0)), Hex(TestPicture::kTopLeft), "picture's top-left");
    report.CheckEqualText(Hex(shot.At(639, 479)), Hex(TestPicture::kBottomRight),
                          "picture's bottom-right: unscaled");
  }
  SaveScreenLog(report, session, "preview_window");

  BringToFront(preview);
  PressKey('Q');
  Settle(300);
  report.Check(IsWindow(preview) && IsWindowVisible(preview), "another key leaves it open");
  BringToFront(preview);
  PressKey(VK_ESCAPE);
  bool closed =
      WaitUntil([&] { return !IsWindow(preview) || !IsWindowVisible(preview); }, kStepTimeout);
  report.Check(closed, "Escape closes the preview window");
  report.Check(IsWindowVisible(open.dialog), "the file dialog is still there");
  report.Check(WaitUntil([&] { return IsWindowEnabled(open.dialog) != FALSE; }, 5000),
               "and usable again");

  report.Note("a double click on the preview picture");
  const RECT box = ToScreen(open.area, state.pictureAt);
  BringToFront(open.dialog);
  MoveMouseTo((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  Settle(150);
  for (int click = 0; click < 2; ++click) {
    MouseButton(true, true);
    Settle(40);
    MouseButton(true, false);
    Settle(40);
  }
  preview = WaitForTopLevel(*program, kPreviewWindowClass, kPreviewTitle, kStepTimeout);
  if (report.Check(preview != nullptr, "a double click on the picture opens the preview window")) {
    BringToFront(preview);
    PressKey(VK_ESCAPE);
    report.Check(WaitUntil([&] { return !IsWindow(preview) || !IsWindowVisible(preview); },
                           kStepTimeout),
                 "Escape closes it again");
    report.Check(WaitUntil([&] { return IsWindowEnabled(open.dialog) != FALSE; }, 5000),
                 "the file dialog is usable again");
  }

  if (!ChooseFile(report, *program, folder + L"\\" + kPhotoName)) return;
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  TestPicture photo;
  photo.width = 640;
  photo.height = 480;
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, photo);
  PressAltF4(report, form);
  ExpectExit(report, *program);
}

// After a choice, the window menu's 画像選択 opens the dialog on the chosen file.
void PreviewReopensLastFile(Report& report, Session& session) {
  const std::wstring folder = PlacePictures(report, session);
  std::unique_ptr<Program> program;
  OpenDialog open = StartToDialog(report, session, program);
  if (open.dialog == nullptr) return;
  const std::wstring chosen = folder + L"\\" + kPhotoName;
  if (!ChooseFile(report, *program, chosen)) return;
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;

  // The window menu, walked from its end: 終了, Taviluneについて..., -, 画像選択.
  BringToFront(form);
  RECT rect = WindowRect(form);
  ClickRightButton(POINT{rect.left + 30, rect.top + 20});
  HWND menu = nullptr;
  WaitUntil(
      [&] {
        menu = FindTopLevel(program->id(), kMenuClass);
        return menu != nullptr;
      },
      5000);
  if (!report.Check(menu != nullptr, "right click opens the window menu")) return;
  for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RETURN}) {
    PressKey(key);
    Settle(120);
  }
  open = WaitForPictureDialog(report, *program);
  if (open.dialog == nullptr) return;
  std::wstring name;
  WaitUntil(
      [&] {
        name = TextOf(FileNameBox(open.dialog));
        return !name.empty();
      },
      5000);
  // The box holds the file's name (the dialog may open its folder and show the name alone).
  const std::wstring wanted = kPhotoName;
  const bool startsOnIt =
      name == chosen || (name.size() >= wanted.size() &&
                         name.compare(name.size() - wanted.size(), wanted.size(), wanted) == 0);
  report.Check(startsOnIt,
               "the dialog starts on the last chosen file (name box: " + Narrow(name) + ")");
  CancelFileDialog(report, *program);
  report.Check(IsWindowVisible(form), "cancelling keeps the picture window");
  // Wine's file dialog takes a moment (about two seconds here) to return after it has gone.
  report.Check(WaitUntil([&] { return IsWindowEnabled(form) != FALSE; }, kStepTimeout),
               "the picture window is usable again");
  PressAltF4(report, form);
  ExpectExit(report, *program);
}

}  // namespace

std::vector<CaseEntry> PreviewDialogCases() {
  return {
      {"preview_selection", PreviewSelection},
      {"preview_window", PreviewWindow},
      {"preview_reopens_last_file", PreviewReopensLastFile},
  };
}

}  // namespace tavilune::e2e
