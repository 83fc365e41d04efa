#include "window_search.h"

#include <cstdio>

#include "session.h"
#include "text.h"

namespace tavilune::e2e {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

void Settle(DWORD ms) { Sleep(ms); }

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT reaches other processes' controls too; GetWindowTextW would not read a
  // control's text there.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

LONG ExStyleOf(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }
LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

namespace {

struct TopLevelSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TopLevelSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId) {
  TopLevelSearch search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SameClass(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

HWND FindTopLevel(DWORD processId, const std::wstring& className, const wchar_t* title,
                  bool visibleOnly) {
  for (HWND window : TopLevelWindows(processId)) {
    if (visibleOnly && !IsWindowVisible(window)) continue;
    if (!SameClass(ClassOf(window), className)) continue;
    if (title != nullptr && TextOf(window) != title) continue;
    return window;
  }
  return nullptr;
}

HWND FindTopLevelByTitle(DWORD processId, const std::wstring& title) {
  for (HWND window : TopLevelWindows(processId)) {
    if (IsWindowVisible(window) && TextOf(window) == title) return window;
  }
  return nullptr;
}

HWND WaitForWindow(const Program& program, const std::function<HWND()>& find, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = find();
        return found != nullptr || !program.Running();
      },
      timeoutMs);
  return found;
}

HWND WaitForTopLevel(const Program& program, const std::wstring& className, const wchar_t* title,
                     DWORD timeoutMs) {
  return WaitForWindow(
      program, [&] { return FindTopLevel(program.id(), className, title); }, timeoutMs);
}

HWND WaitForTopLevelByTitle(const Program& program, const std::wstring& title, DWORD timeoutMs) {
  return WaitForWindow(
      program, [&] { return FindTopLevelByTitle(program.id(), title); }, timeoutMs);
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string DescribeWindows(DWORD processId) {
  std::string text;
  for (HWND window : TopLevelWindows(processId)) {
    RECT rect = WindowRect(window);
    char line[160];
    std::snprintf(line, sizeof line, " [%s (%ld,%ld)-(%ld,%ld) %s]",
                  IsWindowVisible(window) ? "visible" : "hidden", rect.left, rect.top, rect.right,
                  rect.bottom, Narrow(ClassOf(window)).c_str());
    text += line + Narrow(TextOf(window));
  }
  return text.empty() ? " (no windows)" : text;
}

}  // namespace tavilune::e2e
