#include "platform/win32/dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/fence.h"
#include "platform/message_dialog_layout.h"
#include "platform/win32/dpi_win32.h"
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

// The system's information icon at a size: scaled down from its largest image where the
// system can (LoadIconWithScaleDown, in comctl32 version 6), else the shared one of the
// system's standard size, which is the size the system has for its DPI.
struct SystemIcon {
  HICON shown = nullptr;
  OwnedIcon owned;
};

SystemIcon InformationIcon(int size) {
  using LoadIconWithScaleDownCall = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto call = reinterpret_cast<LoadIconWithScaleDownCall>(reinterpret_cast<void (*)()>(
      GetProcAddress(LoadLibraryW(L"comctl32.dll"), "LoadIconWithScaleDown")));
  SystemIcon icon;
  HICON loaded = nullptr;
  if (call != nullptr && SUCCEEDED(call(nullptr, IDI_INFORMATION, size, size, &loaded))) {
    icon.owned = OwnedIcon(loaded);
    icon.shown = loaded;
  } else {
    icon.shown = LoadIconW(nullptr, IDI_INFORMATION);
  }
  return icon;
}

void MoveTo(HWND window, const Rect& bounds) {
  MoveWindow(window, bounds.left, bounds.top, bounds.Width(), bounds.Height(), TRUE);
}

// The information dialog's parts, laid out for one DPI: first that of the primary screen the
// dialog is centred on, again whenever it moves to a monitor of another DPI. The font and the
// icon of a layout live until the next layout has replaced them in the controls.
class MessageDialogParts {
 public:
  MessageDialogParts(HINSTANCE instance, std::wstring text)
      : instance_(instance), text_(std::move(text)) {}

  // Makes the font and the icon for the DPI and measures the text in that font, word-wrapped
  // at most half the screen wide.
  MessageDialogLayout Prepare(int dpi) {
    const LOGFONTW logical = MessageFontForDpi(dpi);
    next_.font = GdiObject<HFONT>(CreateFontIndirectW(&logical));
    const int iconSize = SystemMetricForDpi(SM_CXICON, dpi);
    next_.icon = InformationIcon(iconSize);
    RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
      WindowDc screen(nullptr);
      SelectedObject selected(screen.Get(), next_.font.Get());
      DrawTextW(screen.Get(), text_.c_str(), -1, &textRect,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    return LayOutMessageDialog(textRect.right, textRect.bottom, iconSize, dpi);
  }

  // Makes the controls on first use and puts them where the layout says, with the prepared
  // font and icon.
  void Place(HWND dialog, const MessageDialogLayout& layout) {
    if (iconControl_ == nullptr) {
      iconControl_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0,
                                     0, 0, dialog, nullptr, instance_, nullptr);
      label_ = CreateWindowExW(0, L"STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0,
                               0, 0, 0, dialog, nullptr, instance_, nullptr);
      ok_ = CreateWindowExW(
          0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
          dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance_, nullptr);
    }
    // The static control takes the icon's size, which is the layout's.
    SendMessageW(iconControl_, STM_SETICON, reinterpret_cast<WPARAM>(next_.icon.shown), 0);
    MoveTo(iconControl_, layout.icon);
    MoveTo(label_, layout.text);
    MoveTo(ok_, layout.button);
    for (HWND child : {label_, ok_})
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(next_.font.Get()), TRUE);
    shown_ = std::move(next_);
  }

  HWND OkButton() const { return ok_; }

 private:
  struct Resources {
    GdiObject<HFONT> font;
    SystemIcon icon;
  };

  HINSTANCE instance_;
  std::wstring text_;
  Resources shown_;
  Resources next_;
  HWND iconControl_ = nullptr;
  HWND label_ = nullptr;
  HWND ok_ = nullptr;
};

// The message box's own part of its messages: the button, Enter, Escape and the close box all
// end it; a move to a monitor of another DPI lays it out again; the rest is the system's
// default handling.
class MessageDialogListener : public WindowListener {
 public:
  explicit MessageDialogListener(MessageDialogParts& parts) : parts_(parts) {}

  bool HandleMessage(WindowHandle window, const WindowMessage& message,
                     std::intptr_t& result) override {
    if (message.message == WM_DPICHANGED) {
      // The system suggests the place and size at the new DPI; the controls follow. (Nothing
      // here allocates through C++, so nothing can throw into the system's frame.)
      const RECT* suggested = reinterpret_cast<const RECT*>(message.lParam);
      const HWND dialog = reinterpret_cast<HWND>(window);
      SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      parts_.Place(dialog, parts_.Prepare(HIWORD(message.wParam)));
      result = 0;
      return true;
    }
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
  MessageDialogParts& parts_;
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

  // Centred on the primary screen, and laid out for its DPI.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int dpi = DpiOfMonitorNear(RECT{0, 0, screenWidth, screenHeight});
  MessageDialogParts parts(instance_, Wide(text));
  const MessageDialogLayout layout = parts.Prepare(dpi);

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_MODALFRAME;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  const RECT outer =
      OuterForClientAtDpi(RECT{0, 0, layout.clientWidth, layout.clientHeight}, style, exStyle, dpi);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = (screenWidth - width) / 2;
  const int top = (screenHeight - height) / 2;

  MessageDialogListener listener(parts);
  // Declared after the parts and the listener, so that it goes before them. Its controls go
  // with it.
  OwnedWindow dialog(CreateWindowExW(exStyle, kClass, Wide(caption).c_str(), style, left, top,
                                     width, height, reinterpret_cast<HWND>(owner), nullptr,
                                     instance_, &listener));
  if (!dialog) return;
  parts.Place(dialog.Get(), layout);
  const HWND ok = parts.OkButton();

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
