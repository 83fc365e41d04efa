// What the driver knows of Tavilune's outside: its window classes, its texts, and the steps a
// user takes with it (answer a message, choose a picture, close the window), each checked.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "report.h"
#include "session.h"
#include "test_files.h"

namespace tavilune::e2e {

inline constexpr wchar_t kApplicationClass[] = L"TApplication";
inline constexpr wchar_t kPictureWindowClass[] = L"TForm1";
inline constexpr wchar_t kSystemDialogClass[] = L"#32770";
inline constexpr wchar_t kMenuClass[] = L"#32768";
inline constexpr wchar_t kAboutBoxClass[] = L"TForm2";
inline constexpr wchar_t kApplicationTitle[] = L"Tavilune";
inline constexpr wchar_t kMessageDialogTitle[] = L"情報";

// Controls of the system's dialogs.
inline constexpr int kFileNameCombo = 0x47C;  // cmb13, the explorer-style file-name box
inline constexpr int kFileNameEdit = 0x480;   // edt1, the file-name box of older templates
inline constexpr int kMessageBoxText = 0xFFFF;

inline constexpr char kNoSettingsMessage[] =
    u8"設定ファイルがありません。\r\n画像ファイルを選択してください";
inline constexpr char kUnreadableSettingsMessage[] =
    u8"設定ファイルからデータが読みこめませんでした\r\n画像ファイルを選択してください";
inline constexpr char kAccessDeniedError[] = u8"ファイルへのアクセスが拒否されました.";
inline constexpr char kSharingViolationError[] =
    u8"I/O エラー (32)";  // ")" sorts below ".": no "." added
inline constexpr char kReadPastEndError[] = u8"ファイルの末尾以降を読み込みました.";
inline constexpr char kDamagedBitmapError[] = u8"ビットマップイメージが不正です.";

// The window's place and frame when nothing was restored.
inline constexpr POINT kDesignPosition = {192, 107};
inline constexpr SIZE kDesignSize = {360, 315};
inline constexpr COLORREF kDesignFrameColour = RGB(0, 0x80, 0);
inline constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// Generous limits: Wine on a loaded two-core machine can take many seconds to start a program.
inline constexpr DWORD kFirstWindowTimeout = 30000;
inline constexpr DWORD kStepTimeout = 15000;

// Watches, from its own thread, whether a condition ever holds while the case goes on (a window
// that flashes up and goes again between two polls of the case would otherwise be missed).
class Watch {
 public:
  explicit Watch(std::function<bool()> condition);
  ~Watch();
  bool seen() const { return seen_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::thread thread_;
};

// Watches whether the picture window of a process ever becomes visible.
class VisibilityWatch : public Watch {
 public:
  explicit VisibilityWatch(DWORD processId);
};

// "(left, top)-(right, bottom)" for the log.
std::string RectText(const RECT& rect);
inline POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// Checks ok; when it fails, lists the program's windows in the log. Returns ok.
bool CheckOrListWindows(Report& report, const Program& program, bool ok, const std::string& what);
// The file dialog's name box, of the explorer-style template or an older one.
HWND FileNameBox(HWND dialog);
// The first descendant of that class (and text, when given).
HWND FindDescendant(HWND parent, const wchar_t* className, const std::wstring* text = nullptr);
// Waits until the window is gone or hidden; false when the time ran out.
bool WaitUntilGone(HWND window, DWORD timeoutMs = 5000);

// Waits for the message dialog, checks its text and its OK button, closes it with the key
// (VK_RETURN or VK_ESCAPE) and checks that it went away.
bool AnswerMessageDialog(Report& report, const Program& program, const std::string& expectedText,
                         WORD closingKey);

// Waits for the file-open dialog of the program.
HWND WaitForFileDialog(Report& report, const Program& program);
// Types the full path into the name box and confirms; checks that the dialog closed.
bool ChooseFile(Report& report, const Program& program, const std::wstring& path);
bool CancelFileDialog(Report& report, const Program& program);
// Presses the dialog's button (IDOK, IDCANCEL) by its command; checks nothing, true when the
// dialog closed.
bool PressDialogButton(HWND dialog, int button);

// Waits for the standard error box, checks caption and text, closes it with Enter.
bool AnswerErrorBox(Report& report, const Program& program, const std::string& expectedText);
// The text of an open error box, empty when there is none.
std::string ErrorBoxText(const Program& program, HWND* box = nullptr);

// Waits for the picture window to be visible.
HWND WaitForPictureWindow(Report& report, const Program& program);

// A started program and its picture window; form is nullptr when either step failed (both were
// reported then), so a case stops on `form == nullptr`.
struct ShownProgram {
  std::unique_ptr<Program> program;
  HWND form = nullptr;
};
// Starts the program and checks that it started; nullptr when it did not.
std::unique_ptr<Program> StartChecked(Report& report, Session& session,
                                      const std::string& started = "program started");
// Starts the program, checks that it started and waits for its picture window.
ShownProgram StartShown(Report& report, Session& session,
                        const std::string& started = "program started");
// A first start that gets as far as the window: answers the missing-settings message with Enter
// and chooses the picture in the dialog.
ShownProgram StartWithFirstChoice(Report& report, Session& session, const std::wstring& picture);

// Waits for an error box of the program; stops early when the program has ended. The box or
// nullptr.
HWND WaitForErrorBox(const Program& program, DWORD timeoutMs);
// Waits for the program's popup menu; nullptr when none opened.
HWND WaitForMenu(const Program& program);
// Presses the keys one by one, giving an open menu time to follow each.
void PressKeys(const std::vector<WORD>& keys);
// Waits for the popup menu that was just asked for, walks it with the keys and checks that it
// closed; `opened` and `closed` name the two checks.
bool WalkMenu(Report& report, const Program& program, const std::vector<WORD>& keys,
              const std::string& opened, const std::string& closed);
bool IsTopmost(HWND window);
// Sends the log-off question (WM_QUERYENDSESSION) and waits for the answer; 0 when none came.
LRESULT AskToEndSession(HWND form, DWORD_PTR& answer, DWORD timeoutMs = 20000);

class ScreenShot;

// Checks the window's place, size and borderless style; returns its rectangle.
RECT CheckWindowPlace(Report& report, HWND window, POINT topLeft, int width, int height);
// Checks the four frame bars of a screen copy of the whole window.
void CheckFrameBands(Report& report, const ScreenShot& shot, int thickness, COLORREF colour);
// Checks place, size, frame bands and the picture's pixels of a framed picture window.
void CheckFramedPicture(Report& report, HWND window, POINT topLeft, int thickness,
                        COLORREF frameColour, const TestPicture& picture);
// Checks the window shown when nothing could be restored: design place and size, green frame,
// no picture.
void CheckDesignWindow(Report& report, HWND window);
// Checks whether the program's own top-level window carries the tool-window style (no taskbar
// button).
void CheckTaskbarButton(Report& report, const Program& program, bool expectButton);

// Alt+F4 on the window with real keys.
void PressAltF4(Report& report, HWND window);
bool ExpectExit(Report& report, const Program& program, DWORD timeoutMs = kStepTimeout);
// Alt+F4 on the picture window and the program's end, both checked.
bool CloseWithAltF4(Report& report, const Program& program, HWND form);
// Closes with Alt+F4 as above, then checks the settings file the program saved; false when the
// program did not end.
bool CloseAndCheckSettings(Report& report, const Session& session, const Program& program,
                           HWND form, const SettingsValues& expected);
// Checks that the program ends within the step's time and shows no error box while doing so.
void ExpectExitWithoutErrorBox(Report& report, const Program& program);

// Checks every field of the settings file against the expected values.
void CheckSettingsFile(Report& report, const std::wstring& path, const SettingsValues& expected);

// Saves a picture of the whole screen next to the case's files (for reading failures later).
void SaveScreenLog(Report& report, const Session& session, const std::string& name);

}  // namespace tavilune::e2e
