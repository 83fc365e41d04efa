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

// ANSI bytes for a wide string; false when some character has no spelling in the code page
// (the system's ANSI code page unless another is named).
inline bool AnsiFromWide(std::wstring_view wide, std::string& ansi, UINT codePage = GetACP()) {
  ansi.clear();
  if (wide.empty()) return true;
  // With UTF-8 as the ANSI code page (a Windows option) every character has a spelling, and the
  // system refuses both the no-best-fit flag and the question whether a default character was
  // used: only an unpaired surrogate, which UTF-8 cannot hold, makes the conversion fail.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* askUsedDefault = utf8 ? nullptr : &usedDefault;
  const int length = static_cast<int>(wide.size());
  int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr,
                                 askUsedDefault);
  if (size <= 0 || usedDefault) return false;
  ansi.resize(static_cast<size_t>(size));
  size = WideCharToMultiByte(codePage, flags, wide.data(), length, ansi.data(), size, nullptr,
                             askUsedDefault);
  return size > 0 && !usedDefault;
}

inline std::wstring WideFromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
  return wide;
}

}  // namespace tavilune::win32
