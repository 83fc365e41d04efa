// Calls that came with later systems are looked up by name when first needed, so that the
// program still starts on the systems without them.
#pragma once

#include <windows.h>

namespace tavilune::win32 {

// The call by its name, or nullptr on a system without it. With `load` the module is loaded
// (and kept) when the program does not import it; without, it must be loaded already. The cast
// goes through the one function-pointer type that converts to every other without a warning.
template <typename Function>
Function FindSystemCall(const wchar_t* module, const char* name, bool load = false) {
  HMODULE handle = load ? LoadLibraryW(module) : GetModuleHandleW(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace tavilune::win32
