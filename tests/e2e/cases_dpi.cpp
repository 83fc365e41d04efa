// A screen at 144 DPI (150 %), in a Wine prefix of its own: the boxes the program lays out
// itself grow by half, the picture window stays one screen pixel per picture pixel.
#include <windows.h>

#include <string>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

constexpr int kDpi = 144;

// A length of the program's 96-DPI design at this screen's DPI, rounded as MulDiv rounds.
int Scaled(int design) { return MulDiv(design, kDpi, 96); }

// Every case first proves that the screen really is at 144 DPI, so that none can pass on a
// prefix left at 96.
bool ScreenAtDpi(Report& report) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return report.CheckEqual(dpi, kDpi, "the screen is at 144 DPI in this prefix");
}

// The about box at 150 %: its 231 x 81 client area and its 12-pixel font, both scaled.
void AboutBox144(Report& report, Session& session) {
  if (!ScreenAtDpi(report)) return;
  PlaceRestorableSettings(report, session, 80, 130);
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  HWND about = OpenAboutBox(report, *program, form);
  if (about == nullptr) return;
  Settle(500);
  SaveScreenLog(report, session, "about_box_144dpi");
  RECT client{};
  GetClientRect(about, &client);
  report.CheckEqual(client.right, Scaled(231), "about box client width");
  report.CheckEqual(client.bottom, Scaled(81), "about box client height");
  // The credit line's label (Label2: 8, 24, 177 x 12 at 96 DPI) moved and grew with the box.
  HWND credit = nullptr;
  for (HWND child : Descendants(about)) {
    if (Narrow(TextOf(child)).rfind("Tavilune 1.0", 0) == 0) credit = child;
  }
  if (report.Check(credit != nullptr, "the credit line is a child of the box")) {
    RECT r = WindowRect(credit);
    MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&r), 2);
    const RECT expected{Scaled(8), Scaled(24), Scaled(8 + 177), Scaled(24 + 12)};
    report.Check(EqualRect(&r, &expected),
                 "credit line at " + RectText(r) + ", expected " + RectText(expected));
  }
  CloseAboutBoxWithAltF4(report, about);
  CloseWithAltF4(report, *program, form);
}

// The information box at 150 %: the icon at the system's icon size for the DPI, the text
// beside it and never under it, the button scaled.
void MessageDialog144(Report& report, Session& session) {
  if (!ScreenAtDpi(report)) return;
  auto program = StartChecked(report, session);
  if (program == nullptr) return;
  HWND dialog = WaitForTopLevelByTitle(*program, kMessageDialogTitle, kFirstWindowTimeout);
  if (!report.Check(dialog != nullptr, u8"the message dialog \"情報\" appears")) return;
  Settle(500);
  SaveScreenLog(report, session, "message_dialog_144dpi");
  HWND icon = nullptr;
  HWND text = nullptr;
  HWND button = nullptr;
  for (HWND child : Descendants(dialog)) {
    if (SameClass(ClassOf(child), L"Button") && TextOf(child) == L"OK") button = child;
    if (!SameClass(ClassOf(child), L"Static")) continue;
    if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
      icon = child;
    } else if (!TextOf(child).empty()) {
      text = child;
    }
  }
  if (!report.Check(icon != nullptr && text != nullptr && button != nullptr,
                    "the box has its icon, its text and its OK button")) {
    return;
  }
  const RECT iconRect = WindowRect(icon);
  const RECT textRect = WindowRect(text);
  const RECT buttonRect = WindowRect(button);
  report.CheckEqual(iconRect.right - iconRect.left, GetSystemMetrics(SM_CXICON),
                    "icon at the system's icon width for the DPI");
  RECT overlap{};
  report.Check(!IntersectRect(&overlap, &iconRect, &textRect),
               "icon " + RectText(iconRect) + " and text " + RectText(textRect) + " apart");
  report.Check(textRect.left - iconRect.right >= Scaled(12),
               "a scaled margin between icon and text");
  report.CheckEqual(buttonRect.right - buttonRect.left, Scaled(75), "OK button width");
  report.CheckEqual(buttonRect.bottom - buttonRect.top, Scaled(25), "OK button height");
  BringToFront(dialog);
  PressKey(VK_RETURN);
  report.Check(WaitUntilGone(dialog), "message dialog closes with Enter");
  CancelFileDialog(report, *program);
  ExpectExit(report, *program);
}

// The picture window keeps to device pixels: a 120 x 80 picture in a 2-pixel frame is a
// 124 x 84 window, pixel for pixel, at 144 DPI as at 96.
void PictureWindow144(Report& report, Session& session) {
  if (!ScreenAtDpi(report)) return;
  const TestPicture small{120, 80};
  PlaceSettings(report, session,
                {.frameThickness = 2,
                 .picturePath = ToAnsi(PlaceFile(report, session, L"small.bmp", small.Encode())),
                 .windowTop = 90,
                 .windowLeft = 140});
  auto [program, form] = StartShown(report, session);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, POINT{140, 90}, 2, kWhite, small);
  CloseWithAltF4(report, *program, form);
}

}  // namespace

std::vector<CaseEntry> HighDpiCases() {
  return {
      {"about_box_144dpi", AboutBox144},
      {"message_dialog_144dpi", MessageDialog144},
      {"picture_window_144dpi", PictureWindow144},
  };
}

}  // namespace tavilune::e2e
