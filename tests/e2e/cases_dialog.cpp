// The picture-choice dialog: where it opens, its preview of the selected picture, the larger
// preview window, and that the chosen file is what the window then shows.
#include <windows.h>

#include <cstdio>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "screen.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

constexpr wchar_t kPreviewWindowTitle[] = L"プレビュー";

HWND FindListView(HWND dialog) {
  for (HWND child : Descendants(dialog)) {
    if (SameClass(ClassOf(child), L"SysListView32") && IsWindowVisible(child)) return child;
  }
  return nullptr;
}

// Pixels of the picture's body colour in the part of the dialog right of its own controls,
// where the preview area sits.
int PreviewPixels(HWND dialog) {
  ScreenShot shot(WindowRect(dialog));
  const int left = shot.width() / 2;
  return (shot.width() - left) * shot.height() -
         shot.CountDifferent(left, 0, shot.width(), shot.height(), TestPicture::kBody);
}

// Pixels of the picture's body colour anywhere in a window.
int BodyPixels(HWND window) {
  ScreenShot shot(WindowRect(window));
  return shot.width() * shot.height() -
         shot.CountDifferent(0, 0, shot.width(), shot.height(), TestPicture::kBody);
}

void PictureDialogPreview(Report& report, Session& session) {
  std::wstring folder = session.Path(L"pictures");
  std::wstring picture = PlacePicture(report, session, L"pictures\\only picture.bmp");
  auto program = session.Start();
  if (!report.Check(program != nullptr, "program started")) return;
  AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_RETURN);
  HWND dialog = WaitForFileDialog(report, *program);
  if (dialog == nullptr) return;

  // Placed centred across the first monitor and a third of the free height down.
  Settle(500);
  RECT rect = WindowRect(dialog);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  report.CheckEqual(rect.left, (screenWidth - width) / 2, "dialog centred horizontally");
  report.CheckEqual(rect.top, (screenHeight - height) / 3, "dialog a third of the way down");

  // Into the picture's folder: a folder typed into the name box is opened, not returned.
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  if (box == nullptr) box = GetDlgItem(dialog, kFileNameEdit);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  Settle(1000);
  if (!report.Check(IsWindow(dialog) && IsWindowVisible(dialog), "dialog opened the folder")) {
    return;
  }
  report.CheckEqual(PreviewPixels(dialog), 0, "nothing previewed before a selection");

  // Select the folder's one picture with the keyboard in the file list.
  HWND list = FindListView(dialog);
  if (!report.Check(list != nullptr, "file list found")) return;
  RECT listRect = WindowRect(list);
  BringToFront(dialog);
  ClickAt(POINT{listRect.right - 10, listRect.bottom - 10}, MouseKey::kLeft);
  PressKey(VK_HOME);
  // The system dialog copies a selected file's name into the name box.
  bool selected = WaitUntil(
      [&] { return TextOf(box).find(L"only picture.bmp") != std::wstring::npos; }, 5000);
  report.Check(selected, "the picture is selected in the file list (name box: \"" +
                             Narrow(TextOf(box)) + "\")");
  int shown = 0;
  WaitUntil(
      [&] {
        shown = PreviewPixels(dialog);
        return shown > 2000;
      },
      kStepTimeout);
  report.Check(shown > 2000,
               "the selected picture is previewed (" + std::to_string(shown) + " pixels)");

  // The larger preview window: a double click on the preview picture, closed with Escape.
  RECT dialogRect = WindowRect(dialog);
  POINT previewCentre = {dialogRect.right - (dialogRect.right - dialogRect.left) / 6,
                         dialogRect.top + (dialogRect.bottom - dialogRect.top) / 2};
  // Aim at a pixel of the previewed picture.
  {
    ScreenShot shot(dialogRect);
    for (int y = 0; y < shot.height(); ++y) {
      for (int x = shot.width() - 1; x >= shot.width() / 2; --x) {
        if (shot.At(x, y) == TestPicture::kBody) {
          previewCentre = POINT{dialogRect.left + x - 20, dialogRect.top + y + 20};
          y = shot.height();
          break;
        }
      }
    }
  }
  DoubleClickAt(previewCentre);
  HWND preview = WaitForTopLevelByTitle(*program, kPreviewWindowTitle, kStepTimeout);
  if (report.Check(preview != nullptr, u8"the preview window \"プレビュー\" opens")) {
    // Every pixel but the four distinct corners has the body colour.
    WaitUntil([&] { return BodyPixels(preview) > 0; }, kStepTimeout);
    const TestPicture shownPicture;
    report.CheckEqual(BodyPixels(preview), shownPicture.width * shownPicture.height - 4,
                      "preview window shows the picture at its natural size");
    BringToFront(preview);
    PressKey(VK_ESCAPE);
    report.Check(WaitUntil([&] { return !IsWindow(preview) || !IsWindowVisible(preview); },
                           5000),
                 "Escape closes the preview window");
  } else {
    report.Note("windows:" + DescribeWindows(program->id()));
  }

  if (!ChooseFile(report, *program, picture)) return;
  HWND form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
  PressAltF4(report, form);
  ExpectExit(report, *program);
}

}  // namespace

std::vector<CaseEntry> DialogCases() {
  return {{"picture_dialog_preview", PictureDialogPreview}};
}

}  // namespace tavilune::e2e
