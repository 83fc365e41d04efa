#include "platform/win32/system_call.h"

#include <string>

namespace tavilune::win32 {

namespace {

using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);

// Windows 8 and later have it, Windows 7 only with the update that brought the search flags
// (KB2533623): its presence is the documented sign that LoadLibraryExW takes those flags.
SetDefaultDllDirectoriesCall SetDefaultDllDirectoriesOrNull() {
  static const auto call =
      FindSystemCall<SetDefaultDllDirectoriesCall>(L"kernel32.dll", "SetDefaultDllDirectories");
  return call;
}

}  // namespace

void RestrictDllSearch() {
  const auto searchOnly = SetDefaultDllDirectoriesOrNull();
  if (searchOnly != nullptr && searchOnly(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it the program's folder stays first in the search, and only the loads the program
  // makes itself are kept from it (below); the current directory at least goes.
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemModule(const wchar_t* name) {
  if (SetDefaultDllDirectoriesOrNull() != nullptr) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // A system without the search flags refuses them as an invalid parameter: the full path in
  // the system folder instead, whose own dependencies are then looked for there first.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  path += L'\\';
  path += name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace tavilune::win32
