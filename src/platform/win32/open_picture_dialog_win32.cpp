// The picture-choice dialog on Windows: the explorer-style file-open dialog with the program's
// child template "DLGTEMPLATE" and a hook that hands the dialog's notifications to the preview.
#include <windows.h>
// After <windows.h>, which they build on.
#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/dialogs_win32.h"
#include "platform/win32/fence.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

namespace {

// The template's static control that stands for the system's own controls (stc32).
constexpr int kPlaceholderId = 0x45F;
constexpr wchar_t kTemplateName[] = L"DLGTEMPLATE";
// The template is 316 dialog units wide, the placeholder 204 of them.
constexpr int kTemplateWidthUnits = 316;
constexpr int kPlaceholderWidthUnits = 204;
constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";
constexpr wchar_t kSiteProperty[] = L"TavilunePreviewSite";

// A drive path of MAX_PATH characters or more as the file functions take it: with the
// long-path prefix, without which they refuse it.
std::wstring FileFunctionPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.size() < 3 || path[1] != L':') return path;
  return std::wstring(kLongPathPrefix) + path;
}

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// The open dialog as the preview sees it, alive while GetOpenFileNameW runs.
class PreviewSite : public OpenFileDialogSite {
 public:
  PreviewSite(HINSTANCE instance, OpenFilePreview& preview)
      : instance_(instance), preview_(preview) {}

  std::optional<ChosenFile> SelectedPath() override {
    if (dialog_ == nullptr) return std::nullopt;
    std::vector<wchar_t> buffer(kFileNameCharacters, L'\0');
    const LRESULT length = SendMessageW(dialog_, CDM_GETFILEPATH, buffer.size(),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    if (length <= 0 || length > static_cast<LRESULT>(buffer.size())) return std::nullopt;
    const std::wstring path(buffer.data());
    if (path.empty()) return std::nullopt;
    return SpellingsOf(path);
  }

  void SetHint(WindowHandle window, const Rect& area, const std::string& text) override {
    HWND owner = reinterpret_cast<HWND>(window);
    if (!tooltip_) {
      INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
      InitCommonControlsEx(&controls);
      tooltip_ = OwnedWindow(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_,
                                             nullptr, instance_, nullptr));
      if (!tooltip_) return;
    }
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = 1;
    tool.rect = RECT{area.left, area.top, area.right, area.bottom};
    tool.lpszText = wide.data();
    SendMessageW(tooltip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }

  std::vector<std::uint8_t> BitmapResource(const std::string& name) override {
    std::wstring wide = Wide(name);
    HRSRC found = FindResourceW(instance_, wide.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(instance_, found);
    const DWORD size = SizeofResource(instance_, found);
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (bytes == nullptr || size == 0) return {};
    return std::vector<std::uint8_t>(bytes, bytes + size);
  }

  void HideHints() { tooltip_.Reset(); }

  // The hook's work, one member per notification; nothing leaves as an exception, since the
  // system dialog's own frames lie between here and the caller.
  void Attach(HWND templateWindow) {
    templateWindow_ = templateWindow;
    dialog_ = GetParent(templateWindow);
    if (dialog_ != nullptr && SetPropW(dialog_, kSiteProperty, this)) {
      dialogProcedure_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(dialog_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogProcedure)));
    }
  }
  // The full name typed when it was too long to hand to the system dialog.
  const std::optional<std::wstring>& LongName() const { return longName_; }
  void Initialized() {
    fence_.Run([&] {
      RECT client{};
      GetClientRect(templateWindow_, &client);
      Rect placeholder;
      if (HWND control = GetDlgItem(templateWindow_, kPlaceholderId)) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(HWND_DESKTOP, templateWindow_, reinterpret_cast<POINT*>(&r), 2);
        placeholder = ToRect(r);
      } else {
        placeholder =
            Rect{0, 0, client.right * kPlaceholderWidthUnits / kTemplateWidthUnits, client.bottom};
      }
      OpenFileDialogLayout layout;
      layout.dialog = reinterpret_cast<WindowHandle>(dialog_);
      layout.templateWindow = reinterpret_cast<WindowHandle>(templateWindow_);
      layout.templateClient = ToRect(client);
      layout.placeholder = placeholder;
      preview_.DialogInitialized(layout, *this);
    });
  }
  void SelectionChanged() {
    fence_.Run([&] { preview_.SelectionChanged(*this); });
  }
  void Closing() {
    fence_.Run([&] { preview_.DialogClosing(*this); });
    HideHints();
  }
  void RethrowFailure() { fence_.Rethrow(); }

 private:
  // The system dialog builds the full name of what was typed in a buffer of MAX_PATH
  // characters on some systems, and fails on a longer name or even overruns the buffer. So a
  // name that long never reaches it: an OK press with one takes the name here and closes the
  // dialog as a cancel would; the caller then gets the name. A long name of a folder or with
  // wildcards cannot be taken for a file, and is refused with a beep.
  static LRESULT CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* site = static_cast<PreviewSite*>(GetPropW(dialog, kSiteProperty));
    // Without its site the procedure cannot tell what it replaced; the dialog's class procedure
    // is the system's dialog procedure.
    if (site == nullptr) return DefDlgProcW(dialog, message, wParam, lParam);
    const WNDPROC previous = site->dialogProcedure_;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      LongNameAnswer answer = LongNameAnswer::kNotLong;
      site->fence_.Run([&] { answer = site->TakeLongName(); });
      switch (answer) {
        case LongNameAnswer::kTaken:
          return CallWindowProcW(previous, dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        case LongNameAnswer::kRefused:
          MessageBeep(MB_ICONWARNING);
          return 0;
        case LongNameAnswer::kNotLong:
          break;
      }
    } else if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropW(dialog, kSiteProperty);
    }
    return CallWindowProcW(previous, dialog, message, wParam, lParam);
  }

  enum class LongNameAnswer { kNotLong, kTaken, kRefused };
  LongNameAnswer TakeLongName() {
    std::vector<wchar_t> buffer(kFileNameCharacters, L'\0');
    if (SendMessageW(dialog_, CDM_GETSPEC, buffer.size(),
                     reinterpret_cast<LPARAM>(buffer.data())) <= 0) {
      return LongNameAnswer::kNotLong;
    }
    const std::wstring typed(buffer.data());
    std::wstring full = typed;
    const bool absolute =
        (typed.size() >= 3 && typed[1] == L':' && typed[2] == L'\\') || typed.starts_with(L"\\\\");
    if (!absolute) {
      std::fill(buffer.begin(), buffer.end(), L'\0');
      if (SendMessageW(dialog_, CDM_GETFOLDERPATH, buffer.size(),
                       reinterpret_cast<LPARAM>(buffer.data())) <= 0) {
        return LongNameAnswer::kNotLong;
      }
      const std::wstring folder(buffer.data());
      if (typed.starts_with(L"\\")) {
        full = folder.substr(0, 2) + typed;  // from the root of the folder's drive
      } else {
        full = folder + (folder.ends_with(L"\\") ? L"" : L"\\") + typed;
      }
    }
    if (full.size() < MAX_PATH) return LongNameAnswer::kNotLong;
    const DWORD attributes = GetFileAttributesW(FileFunctionPath(full).c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder || full.find_first_of(L"*?\"<>|") != std::wstring::npos) {
      return LongNameAnswer::kRefused;
    }
    longName_ = full;
    return LongNameAnswer::kTaken;
  }

  HINSTANCE instance_;
  OpenFilePreview& preview_;
  WNDPROC dialogProcedure_ = nullptr;
  std::optional<std::wstring> longName_;
  HWND dialog_ = nullptr;
  HWND templateWindow_ = nullptr;
  OwnedWindow tooltip_;
  Fence fence_;
};

UINT_PTR CALLBACK PreviewHook(HWND templateWindow, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* request = reinterpret_cast<OPENFILENAMEW*>(lParam);
    auto* site = reinterpret_cast<PreviewSite*>(request->lCustData);
    SetWindowLongPtrW(templateWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
    site->Attach(templateWindow);
    return 0;
  }
  auto* site = reinterpret_cast<PreviewSite*>(GetWindowLongPtrW(templateWindow, GWLP_USERDATA));
  if (site == nullptr) return 0;
  if (message == WM_NOTIFY) {
    switch (reinterpret_cast<const OFNOTIFYW*>(lParam)->hdr.code) {
      case CDN_INITDONE:
        site->Initialized();
        break;
      case CDN_SELCHANGE:
        site->SelectionChanged();
        break;
      default:
        // Type and folder changes, the closing query and item filtering keep the system's
        // defaults.
        break;
    }
  } else if (message == WM_DESTROY) {
    site->Closing();
    SetWindowLongPtrW(templateWindow, GWLP_USERDATA, 0);
  }
  return 0;
}

}  // namespace

ChosenFile SpellingsOf(const std::wstring& path) {
  ChosenFile file;
  file.utf8Path = Utf8(path);
  std::string ansi;
  if (AnsiFromWide(path, ansi)) file.ansiPath = ansi;
  // A long path is asked for with the long-path prefix, and its short name comes back with it.
  const std::wstring query = FileFunctionPath(path);
  const bool prefixed = query.size() != path.size();
  const DWORD shortSize = GetShortPathNameW(query.c_str(), nullptr, 0);
  if (shortSize > 0) {
    std::vector<wchar_t> shortName(shortSize + 1, L'\0');
    if (GetShortPathNameW(query.c_str(), shortName.data(), shortSize + 1) > 0) {
      std::wstring shortPath(shortName.data());
      if (prefixed && shortPath.starts_with(kLongPathPrefix))
        shortPath.erase(0, kLongPathPrefix.size());
      std::string shortAnsi;
      if (AnsiFromWide(shortPath, shortAnsi)) file.shortAnsiPath = shortAnsi;
    }
  }
  return file;
}

void RaiseDialogFailure(DWORD extendedError) {
  if (extendedError != 0) throw FileDialogFailure(extendedError);
}

std::optional<ChosenFile> Win32Dialogs::OpenPictureFile(const OpenFileRequest& request,
                                                        OpenFilePreview& preview) {
  const std::wstring filter = SystemFilter(request.filter);
  const std::wstring initial = !request.initialUtf8Path.empty() ? Wide(request.initialUtf8Path)
                                                                : WideFromAnsi(request.initialPath);
  std::vector<wchar_t> name(kFileNameCharacters, L'\0');
  // A name that does not fit the box is left out rather than cut into another name.
  if (initial.size() < name.size()) std::copy(initial.begin(), initial.end(), name.begin());

  PreviewSite site(instance_, preview);
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;  // the extended structure (88 bytes in a 32-bit program)
  open.hwndOwner = reinterpret_cast<HWND>(request.owner);
  open.hInstance = instance_;
  open.lpstrFilter = filter.c_str();
  open.nFilterIndex = 1;
  open.lpstrFile = name.data();
  open.nMaxFile = kFileNameCharacters;
  open.Flags =
      OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLETEMPLATE;
  open.lpfnHook = PreviewHook;
  open.lpTemplateName = kTemplateName;
  open.lCustData = reinterpret_cast<LPARAM>(&site);
  DWORD error = 0;
  const bool confirmed = RunOpenFileDialog(open, error);
  site.HideHints();
  site.RethrowFailure();
  if (confirmed) return SpellingsOf(name.data());
  if (site.LongName()) return SpellingsOf(*site.LongName());
  // Without its template (a resource gone missing) the dialog cannot be made at all; the plain
  // dialog still lets the user choose a picture.
  if (error == CDERR_FINDRESFAILURE || error == CDERR_LOADRESFAILURE ||
      error == CDERR_DIALOGFAILURE) {
    return OpenFile(request);
  }
  RaiseDialogFailure(error);
  return std::nullopt;
}

}  // namespace tavilune::win32
