#include "platform/win32/dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/fence.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "platform/win32/window_system_win32.h"

namespace tavilune::win32 {

std::wstring SystemFilter(const std::string& filter) {
  std::wstring wide = Wide(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

// The message box's own part of its messages: the button, Enter, Escape and the close box all
// end it; the rest is the system's default handling.
class MessageDialogListener : public WindowListener {
 public:
  bool HandleMessage(WindowHandle, const WindowMessage& message, std::intptr_t& result) override {
    const bool answered = message.message == WM_CLOSE ||
                          (message.message == WM_COMMAND &&
                           (LOWORD(message.wParam) == IDOK || LOWORD(message.wParam) == IDCANCEL));
    if (!answered) return false;
    done_ = true;
    result = 0;
    return true;
  }
  bool Done() const { return done_; }

 private:
  bool done_ = false;
};

struct ColorHookData {
  const ColorRequest& request;
  Fence fence;
};

// Places the colour chooser where the program wants it once the dialog knows its size.
UINT_PTR CALLBACK ColorHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(lParam);
  auto* data = reinterpret_cast<ColorHookData*>(choose->lCustData);
  if (data == nullptr || !data->request.place) return 0;
  data->fence.Run([&] {
    RECT rect{};
    GetWindowRect(dialog, &rect);
    const Point at = data->request.place(rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  });
  return 0;
}

}  // namespace

std::optional<Color> Win32Dialogs::PickColor(const ColorRequest& request) {
  std::array<COLORREF, 16> customs{};
  if (request.customColors != nullptr) {
    std::copy(request.customColors->begin(), request.customColors->end(), customs.begin());
  }
  ColorHookData hookData{request, {}};
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = reinterpret_cast<HWND>(request.owner);
  choose.rgbResult = static_cast<COLORREF>(request.initial);
  choose.lpCustColors = customs.data();
  choose.Flags = request.flags;
  choose.lCustData = reinterpret_cast<LPARAM>(&hookData);
  choose.lpfnHook = ColorHook;
  BOOL confirmed = ChooseColorA(&choose);
  hookData.fence.Rethrow();
  if (request.customColors != nullptr) {
    std::copy(customs.begin(), customs.end(), request.customColors->begin());
  }
  if (!confirmed) return std::nullopt;
  return static_cast<Color>(choose.rgbResult);
}

std::optional<ChosenFile> Win32Dialogs::OpenFile(const OpenFileRequest& request) {
  std::wstring filter = SystemFilter(request.filter);
  std::vector<wchar_t> name(kFileNameCharacters, L'\0');
  std::wstring initial = WideFromAnsi(request.initialPath);
  std::copy_n(initial.begin(), std::min(initial.size(), name.size() - 1), name.begin());

  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = reinterpret_cast<HWND>(request.owner);
  open.hInstance = instance_;
  open.lpstrFilter = filter.c_str();
  open.nFilterIndex = 1;
  open.lpstrFile = name.data();
  open.nMaxFile = static_cast<DWORD>(name.size());
  open.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&open)) {
    RaiseDialogFailure(CommDlgExtendedError());
    return std::nullopt;
  }
  return SpellingsOf(name.data());
}

void Win32Dialogs::MessageDialog(WindowHandle owner, const std::string& text,
                                 const std::string& caption) {
  static const wchar_t* kClass = L"TMessageForm";
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    RegisterClassExW(&windowClass);
    registered = true;
  }

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  GdiObject<HFONT> font(CreateFontIndirectW(&metrics.lfMessageFont));

  // Measure the text word-wrapped at most half the screen wide.
  std::wstring wide = Wide(text);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT textRect{0, 0, screenWidth / 2, 0};
  {
    WindowDc screen(nullptr);
    SelectedObject selected(screen.Get(), font.Get());
    DrawTextW(screen.Get(), wide.c_str(), -1, &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }
  int textWidth = textRect.right;
  int textHeight = std::max<int>(textRect.bottom, kIconSize);
  int clientWidth =
      std::max(kMargin + kIconSize + kMargin + textWidth + kMargin, kButtonWidth + 2 * kMargin);
  int clientHeight = kMargin + textHeight + kMargin + kButtonHeight + kMargin;

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_MODALFRAME;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  int width = outer.right - outer.left;
  int height = outer.bottom - outer.top;
  // Centred on the primary screen.
  int left = (screenWidth - width) / 2;
  int top = (screenHeight - height) / 2;

  MessageDialogListener listener;
  // Declared after the font and the listener, so that it goes before them. Its controls go with it.
  OwnedWindow dialog(CreateWindowExW(exStyle, kClass, Wide(caption).c_str(), style, left, top,
                                     width, height, reinterpret_cast<HWND>(owner), nullptr,
                                     instance_, &listener));
  if (!dialog) return;
  HWND icon =
      CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, kMargin, kMargin,
                      kIconSize, kIconSize, dialog.Get(), nullptr, instance_, nullptr);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
  HWND label = CreateWindowExW(0, L"STATIC", wide.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                               kMargin + kIconSize + kMargin, kMargin, textWidth, textRect.bottom,
                               dialog.Get(), nullptr, instance_, nullptr);
  HWND ok =
      CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      (clientWidth - kButtonWidth) / 2, clientHeight - kMargin - kButtonHeight,
                      kButtonWidth, kButtonHeight, dialog.Get(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance_, nullptr);
  for (HWND child : {label, ok})
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);

  // As the system's dialog boxes do: the owner is disabled while the dialog is up and enabled
  // again before the dialog goes, so that the system gives the activation back to the owner.
  const HWND ownerWindow = reinterpret_cast<HWND>(owner);
  const bool ownerWasEnabled = ownerWindow != nullptr && IsWindowEnabled(ownerWindow);
  if (ownerWasEnabled) EnableWindow(ownerWindow, FALSE);
  ShowWindow(dialog.Get(), SW_SHOW);
  SetForegroundWindow(dialog.Get());
  SetFocus(ok);
  MSG message{};
  while (!listener.Done()) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    // The dialog manager turns Enter into the default button and Escape into cancel.
    if (IsDialogMessageW(dialog.Get(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (ownerWasEnabled) EnableWindow(ownerWindow, TRUE);
  dialog.Reset();
}

}  // namespace tavilune::win32
