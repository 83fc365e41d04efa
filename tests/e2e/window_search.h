// Finding the program's windows from outside: top-level windows of one process by class and
// title, their children, texts, rectangles and styles; and polling until something holds.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tavilune::e2e {

class Program;

// Polls every few milliseconds until condition() is true or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// A short pause for the window system to settle between input steps.
void Settle(DWORD ms = 100);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);  // GetWindowTextW (works across processes)
RECT WindowRect(HWND window);
LONG ExStyleOf(HWND window);
LONG StyleOf(HWND window);

// Top-level windows of the process, in z-order.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The first top-level window of the process with that class (and title, when given).
HWND FindTopLevel(DWORD processId, const std::wstring& className, const wchar_t* title = nullptr,
                  bool visibleOnly = true);
// The first visible top-level window of the process with that title, whatever its class.
HWND FindTopLevelByTitle(DWORD processId, const std::wstring& title);

// Waits until find() gives a window; stops early when the program has ended. Returns nullptr on
// failure.
HWND WaitForWindow(const Program& program, const std::function<HWND()>& find, DWORD timeoutMs);
HWND WaitForTopLevel(const Program& program, const std::wstring& className, const wchar_t* title,
                     DWORD timeoutMs);
HWND WaitForTopLevelByTitle(const Program& program, const std::wstring& title, DWORD timeoutMs);

// Every descendant window, in the order EnumChildWindows gives.
std::vector<HWND> Descendants(HWND parent);
// Window class names compare without regard to case ("Static" and "STATIC" are one class).
bool SameClass(const std::wstring& a, const std::wstring& b);

// A list of the process's top-level windows for the log when something is missing.
std::string DescribeWindows(DWORD processId);

}  // namespace tavilune::e2e
