// Calls that came with later systems are looked up by name when first needed, so that the
// program still starts on the systems without them. Modules are loaded from the system folder
// only: a portable program runs from folders such as Downloads, where a web page can leave a DLL
// named like a system one, and the usual search would find that one first.
#pragma once

#include <windows.h>

namespace tavilune::win32 {

// Narrows the DLL search of the whole process (the loads the system's own DLLs make on the
// program's behalf included) to the system folder, where the system can; where it cannot, takes
// at least the current directory out of the search. Called first thing at start.
void RestrictDllSearch();

// The system's module of that bare name ("shcore.dll"), loaded (and kept) from the system folder
// only; nullptr where the system has none.
HMODULE LoadSystemModule(const wchar_t* name);

// The call by its name, or nullptr on a system without it. With `load` the module is loaded
// (and kept) when the program does not import it; without, it must be loaded already. The cast
// goes through the one function-pointer type that converts to every other without a warning.
template <typename Function>
Function FindSystemCall(const wchar_t* module, const char* name, bool load = false) {
  HMODULE handle = load ? LoadSystemModule(module) : GetModuleHandleW(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace tavilune::win32
