#include "platform/win32/dialogs_win32.h"

#include <cderr.h>

#include <algorithm>
#include <vector>

#include "platform/win32/fence.h"
#include "platform/win32/system_call.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

std::wstring SystemFilter(const std::string& filter) {
  std::wstring wide = Wide(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

namespace {

// The common dialogs are loaded on first use rather than imported. A program's imports are
// loaded before its first line runs, looked for in its own folder first, and comdlg32 brings a
// train of DLLs with it (shell32, shlwapi and shcore under Wine, whose loader keeps no list of
// known system DLLs that would protect them); loaded later, once the search is narrowed to the
// system folder, none of them can come from the folder the program was downloaded to.
template <typename Function>
Function CommonDialogCall(const char* name) {
  return FindSystemCall<Function>(L"comdlg32.dll", name, /*load=*/true);
}

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
  static const auto chooseColor = CommonDialogCall<BOOL(WINAPI*)(CHOOSECOLORA*)>("ChooseColorA");
  const bool confirmed = chooseColor != nullptr && chooseColor(&choose) != FALSE;
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
  DWORD error = 0;
  if (!RunOpenFileDialog(open, error)) {
    RaiseDialogFailure(error);
    return std::nullopt;
  }
  return SpellingsOf(name.data());
}

bool RunOpenFileDialog(OPENFILENAMEW& open, DWORD& error) {
  static const auto getOpenFileName =
      CommonDialogCall<BOOL(WINAPI*)(OPENFILENAMEW*)>("GetOpenFileNameW");
  static const auto extendedError = CommonDialogCall<DWORD(WINAPI*)()>("CommDlgExtendedError");
  if (getOpenFileName == nullptr || extendedError == nullptr) {
    error = CDERR_INITIALIZATION;  // shown as the dialog's failure, never taken for a cancel
    return false;
  }
  const bool confirmed = getOpenFileName(&open) != FALSE;
  error = confirmed ? 0 : extendedError();
  return confirmed;
}

}  // namespace tavilune::win32
