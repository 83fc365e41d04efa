// Conversions between the program's UTF-8 texts, the system's wide strings and ANSI bytes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tavilune::win32 {

inline std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

inline std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

// ANSI bytes for a wide string; false when some character has no spelling in the code page.
inline bool AnsiFromWide(std::wstring_view wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                 static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return false;
  ansi.resize(static_cast<size_t>(size));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi.data(), size, nullptr, &usedDefault);
  return !usedDefault;
}

inline std::wstring WideFromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
  return wide;
}

}  // namespace tavilune::win32
