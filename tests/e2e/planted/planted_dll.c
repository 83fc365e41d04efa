/* A stand-in for a DLL that a web page drops into a downloads folder under a system DLL's name.
 * The case copies it beside the program under such names; whenever the program's process loads
 * it, it leaves a mark beside itself: a file named after the name it was loaded under, with
 * ".loaded" added. It exports nothing, so whoever asks it for a function gets none. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    WCHAR path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyW(path + length, L".loaded");
      HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
