// The picture dialog from outside: where it opens, what its preview shows for a picture, a text
// file and damaged JPEG data, the preview window, and that the next opening starts on the file
// chosen last.
//
// The preview's label, button and box are painted, not windows of their own, so they are checked
// as a user meets them. The preview area's window (class "TPreviewPanel") reads as the label's
// caption, as a screen reader would read it; the button and the box are found on the screen
// where the area's layout puts them, by their frames, and what they show by their pixels.
#include <windows.h>
// After <windows.h>, which it builds on.
#include <commctrl.h>

#include <algorithm>
#include <functional>
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

constexpr char kNoPictureLabel[] = u8"画像:";
constexpr char kNoPictureCaption[] = u8"(なし)";

// The case's pictures; their first letters pick them in the dialog's list by typing.
const wchar_t kPhotoName[] = L"a_photo.bmp";
const wchar_t kTextName[] = L"b_notes.txt";
const wchar_t kDamagedName[] = L"c_damaged.jpg";
const wchar_t kIconName[] = L"d_icon.ico";

// The preview area's layout in its client pixels: the label row 6 pixels in from the edges and
// 23 high; under it the box's panel down to 6 pixels above the bottom, the box inside the panel's
// two bevels; the 23 x 22 button at the right end of the label row, 2 pixels in from the panel.
constexpr long kAreaBorder = 6;
constexpr long kLabelHeight = 23;
constexpr long kBevels = 2;
constexpr long kButtonTop = 1;
constexpr long kButtonWidth = 23;
constexpr long kButtonHeight = 22;

// What the preview area shows, read as a user sees it. Rectangles are in the area's client
// pixels.
struct PreviewView {
  std::string label;  // the area's window text
  RECT button{};
  RECT box{};
  bool buttonDrawn = false;    // a raised push-button frame at `button`
  bool buttonEnabled = false;  // its glyph in colour rather than embossed in grey
  bool boxDrawn = false;       // the panel's lowered and raised bevels around `box`
  RECT ink{};       // the bounds of what differs from the face colour inside the box, or empty
  bool ok = false;  // read from a painted area
};

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT ToScreen(HWND window, RECT r) {
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

PreviewView ReadView(HWND area) {
  PreviewView view;
  view.label = Narrow(TextOf(area));
  RECT client{};
  if (!GetClientRect(area, &client)) return view;
  const long right = client.right - kAreaBorder - kBevels;
  view.button = RECT{right - kButtonWidth, kButtonTop, right, kButtonTop + kButtonHeight};
  view.box = RECT{kAreaBorder + kBevels, kAreaBorder + kLabelHeight + kBevels, right,
                  client.bottom - kAreaBorder - kBevels};
  if (IsEmpty(view.box)) return view;
  ScreenShot shot(ToScreen(area, client));
  if (!shot.ok()) return view;

  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF darkShadow = GetSysColor(COLOR_3DDKSHADOW);
  const RECT& b = view.button;
  const long buttonMiddle = (b.top + b.bottom) / 2;
  view.buttonDrawn =
      shot.At(b.left, buttonMiddle) == light && shot.At(b.right - 1, buttonMiddle) == darkShadow &&
      shot.At(b.left + 1, buttonMiddle) == face && shot.At(b.right - 2, buttonMiddle) == shadow &&
      shot.At(b.right, buttonMiddle) == face;
  // The glyph's colours other than those of an embossed one.
  for (long y = b.top + 2; y < b.bottom - 2 && !view.buttonEnabled; ++y) {
    for (long x = b.left + 2; x < b.right - 2; ++x) {
      const COLORREF c = shot.At(x, y);
      if (c != face && c != light && c != shadow && c != darkShadow) {
        view.buttonEnabled = true;
        break;
      }
    }
  }
  const RECT& box = view.box;
  const long boxMiddle = (box.top + box.bottom) / 2;
  view.boxDrawn =
      shot.At(box.left - 2, boxMiddle) == shadow && shot.At(box.left - 1, boxMiddle) == light &&
      shot.At(box.right, boxMiddle) == shadow && shot.At(box.right + 1, boxMiddle) == light;
  RECT ink{box.right, box.bottom, box.left, box.top};
  for (long y = box.top; y < box.bottom; ++y) {
    for (long x = box.left; x < box.right; ++x) {
      if (shot.At(x, y) == face) continue;
      ink = RECT{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                 std::max(ink.bottom, y + 1)};
    }
  }
  view.ink = IsEmpty(ink) ? RECT{} : ink;
  view.ok = view.buttonDrawn && view.boxDrawn;
  return view;
}

// Whether the box shows nothing but the caption, centred in the program's font
// (DEFAULT_GUI_FONT): its ink is no wider or higher than the text's extent, and at most a
// few pixels of side bearing narrower.
bool ShowsCaption(const PreviewView& view, const std::string& caption) {
  if (IsEmpty(view.ink)) return false;
  const std::wstring text = Widen(caption);
  SIZE extent{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const long width = view.ink.right - view.ink.left;
  const long height = view.ink.bottom - view.ink.top;
  const long offCentre = (view.ink.left + view.ink.right) - (view.box.left + view.box.right);
  return width <= extent.cx && width >= extent.cx - 6 && height <= extent.cy && offCentre >= -6 &&
         offCentre <= 6;
}

// Waits for the preview to show what the condition wants; returns the last view read.
PreviewView WaitForView(HWND area, const std::function<bool(const PreviewView&)>& condition,
                        DWORD timeoutMs = kStepTimeout) {
  PreviewView view;
  WaitUntil(
      [&] {
        view = ReadView(area);
        return view.ok && condition(view);
      },
      timeoutMs);
  return view;
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
        return open.area != nullptr && ReadView(open.area).ok;
      },
      kStepTimeout);
  if (!report.Check(open.area != nullptr, "the dialog holds the preview area (TPreviewPanel)")) {
    open.dialog = nullptr;
  }
  return open;
}

OpenDialog StartToDialog(Report& report, Session& session, std::unique_ptr<Program>& program) {
  program = StartChecked(report, session);
  if (program == nullptr) return {};
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
    ClickAt(POINT{rect.right - 30, rect.bottom - 30}, MouseKey::kLeft);
  }
  PressKey(static_cast<WORD>(letter));
  Settle(200);
}

COLORREF CentreColour(const RECT& area) {
  const POINT middle = Centre(area);
  ScreenShot shot(RECT{middle.x, middle.y, middle.x + 1, middle.y + 1});
  return shot.ok() ? shot.At(0, 0) : CLR_INVALID;
}

// The picture control's rule for a picture made to touch two edges of the box, kept in its
// ratio, truncated and centred.
RECT FittedInto(const RECT& box, long width, long height) {
  const long cw = box.right - box.left;
  const long ch = box.bottom - box.top;
  const double ratio = static_cast<double>(width) / height;
  // The longer side fills its edge first; where the other side then overflows, it fills its own.
  long w = width > height ? cw : static_cast<long>(ch * ratio);
  long h = width > height ? static_cast<long>(cw / ratio) : ch;
  if (h > ch) h = ch, w = static_cast<long>(ch * ratio);
  if (w > cw) w = cw, h = static_cast<long>(cw / ratio);
  const long left = box.left + (cw - w) / 2;
  const long top = box.top + (ch - h) / 2;
  return RECT{left, top, left + w, top + h};
}

bool NoMessageOrErrorBox(const Program& program) {
  return ErrorBoxText(program).empty() &&
         FindTopLevelByTitle(program.id(), kMessageDialogTitle) == nullptr;
}

std::wstring PlacePictures(Report& report, Session& session) {
  TestPicture photo{640, 480};
  PlaceFile(report, session, std::wstring(L"pictures\\") + kPhotoName, photo.Encode());
  const std::string words = "a text file, not a picture\r\n";
  PlaceFile(report, session, std::wstring(L"pictures\\") + kTextName,
            Bytes(words.begin(), words.end()));
  auto jpeg = ReadFileBytes(session.DataPath(L"jpeg\\baseline_420.jpg"));
  if (report.Check(jpeg.has_value(), "JPEG test file readable")) {
    PlaceFile(report, session, std::wstring(L"pictures\\") + kDamagedName,
              JpegWithStrayScan(*jpeg));
  }
  TestPicture icon{32, 32};
  PlaceFile(report, session, std::wstring(L"pictures\\") + kIconName, icon.EncodeIcon());
  return session.Path(L"pictures");
}

// Escape on the preview window, checked to close it.
void CloseWithEscape(Report& report, HWND preview, const std::string& what) {
  BringToFront(preview);
  PressKey(VK_ESCAPE);
  report.Check(WaitUntilGone(preview, kStepTimeout), what);
}

// Checks that the window is enabled again within the time.
void CheckUsable(Report& report, HWND window, const std::string& what, DWORD timeoutMs = 5000) {
  report.Check(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }, timeoutMs), what);
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
  PreviewView view = WaitForView(open.area, [](const PreviewView& v) { return !IsEmpty(v.ink); });
  report.Check(view.boxDrawn, "the box's bevels around " + RectText(view.box));
  report.Check(ShowsCaption(view, kNoPictureCaption),
               "box shows (なし) at first (its ink " + RectText(view.ink) + ")");
  report.Check(view.buttonDrawn,
               "preview button at the right end of the caption row " + RectText(view.button));
  report.Check(!view.buttonEnabled, "preview button disabled at first: its glyph in grey");

  if (!ShowFolder(report, open, folder)) return SaveScreenLog(report, session, "no_folder");

  report.Note("picking the 640 x 480 bitmap");
  PickByLetter(open, L'A');
  const RECT fitted = FittedInto(view.box, 640, 480);
  view = WaitForView(open.area, [&](const PreviewView& v) { return SameRect(v.ink, fitted); });
  report.CheckEqualText(view.label, " (640x480)", "label gives the picture's size");
  report.Check(view.buttonEnabled, "preview button enabled: its glyph in colour");
  // Nothing but the picture in the box: no caption beside it.
  report.CheckEqualText(RectText(view.ink), RectText(fitted),
                        "picture fitted into the box, ratio kept, centred");
  const RECT onScreen = ToScreen(open.area, fitted);
  report.CheckEqualText(Hex(CentreColour(onScreen)), Hex(TestPicture::kBody),
                        "the picture shows in the box");

  report.Note("picking the text file");
  PickByLetter(open, L'B');
  view = WaitForView(open.area, [](const PreviewView& v) {
    return v.label == kNoPictureLabel && ShowsCaption(v, kNoPictureCaption);
  });
  report.CheckEqualText(view.label, kNoPictureLabel, "label reads 画像:");
  // The caption's ink alone: no picture in the box.
  report.Check(ShowsCaption(view, kNoPictureCaption),
               "box reads (なし) and shows no picture (its ink " + RectText(view.ink) + ")");
  report.Check(!view.buttonEnabled, "preview button disabled");
  Settle(500);
  report.Check(NoMessageOrErrorBox(*program), "no message for a file that is no picture");

  report.Note("picking the JPEG with damaged data");
  PickByLetter(open, L'C');
  // The rows decoded before the failure are drawn over the box's new caption (画像が不正です),
  // which they hide: the user sees the picture as far as it goes.
  const RECT damagedFitted = FittedInto(view.box, 67, 45);
  view =
      WaitForView(open.area, [&](const PreviewView& v) { return SameRect(v.ink, damagedFitted); });
  report.CheckEqualText(view.label, " (67x45)", "its header still gives the size");
  report.CheckEqualText(RectText(view.ink), RectText(damagedFitted),
                        "the decoded rows fill the picture's place in the box");
  Settle(500);
  report.Check(NoMessageOrErrorBox(*program), "no error box for the damaged picture");
  report.Check(IsWindowVisible(open.dialog) && IsWindowEnabled(open.dialog), "dialog still open");

  report.Note("the dialog goes on working");
  PickByLetter(open, L'A');
  view = WaitForView(open.area, [&](const PreviewView& v) { return v.label == " (640x480)"; });
  report.CheckEqualText(view.label, " (640x480)", "the bitmap previews again");
  view = WaitForView(open.area, [&](const PreviewView& v) { return SameRect(v.ink, fitted); });
  report.CheckEqualText(RectText(view.ink), RectText(fitted),
                        "only the picture in the box again, no caption");

  report.Note("picking the icon, listed through the typed pattern");
  PickByLetter(open, L'D');
  view = WaitForView(open.area, [](const PreviewView& v) { return v.label == " (32x32)"; });
  report.CheckEqualText(view.label, " (32x32)", "an icon previews like the other formats");
  report.Check(view.buttonEnabled, "preview button enabled by the icon");
  report.Check(!IsEmpty(view.ink) && !ShowsCaption(view, kNoPictureCaption),
               "the icon shows in the box (its ink " + RectText(view.ink) + ")");
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
  report.Check(WaitUntil([&] { return GetForegroundWindow() == open.dialog; }, 5000),
               "after the information box the file dialog is the foreground window");
  if (!ShowFolder(report, open, folder)) return SaveScreenLog(report, session, "no_folder");
  PickByLetter(open, L'A');
  PreviewView view = WaitForView(open.area, [](const PreviewView& v) { return v.buttonEnabled; });
  if (!report.Check(view.buttonEnabled, "preview button enabled by the bitmap")) return;

  const RECT button = ToScreen(open.area, view.button);
  BringToFront(open.dialog);
  ClickAt(Centre(button), MouseKey::kLeft);
  HWND preview = WaitForTopLevel(*program, kPreviewWindowClass, kPreviewTitle, kStepTimeout);
  if (!CheckOrListWindows(report, *program, preview != nullptr,
                          "the button opens the preview window \"プレビュー\"")) {
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
  CloseWithEscape(report, preview, "Escape closes the preview window");
  report.Check(IsWindowVisible(open.dialog), "the file dialog is still there");
  CheckUsable(report, open.dialog, "and usable again");
  // Judged as the program leaves it, with the other program's window there to take the
  // activation should the preview give it away.
  report.Check(WaitUntil([&] { return GetForegroundWindow() == open.dialog; }, 5000),
               "the file dialog is the foreground window again, not the other program's");

  report.Note("a double click on the preview picture");
  const RECT box = ToScreen(open.area, FittedInto(view.box, 640, 480));
  BringToFront(open.dialog);
  DoubleClickAt(Centre(box));
  preview = WaitForTopLevel(*program, kPreviewWindowClass, kPreviewTitle, kStepTimeout);
  if (report.Check(preview != nullptr, "a double click on the picture opens the preview window")) {
    CloseWithEscape(report, preview, "Escape closes it again");
    CheckUsable(report, open.dialog, "the file dialog is usable again");
  }

  if (!ChooseFile(report, *program, folder + L"\\" + kPhotoName)) return;
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  TestPicture photo{640, 480};
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, photo);
  CloseWithAltF4(report, *program, form);
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

  if (!UseWindowMenu(report, *program, form, kOpenPictureKeys, u8"画像選択")) return;
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
  CheckUsable(report, form, "the picture window is usable again", kStepTimeout);
  CloseWithAltF4(report, *program, form);
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
