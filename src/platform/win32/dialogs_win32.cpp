#include "platform/win32/dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/fence.h"
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

}  // namespace tavilune::win32
