#include "text.h"

#include <windows.h>

#include <cstdio>

namespace tavilune::e2e {

namespace {

std::wstring ToWide(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int length =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                      length);
  return wide;
}

std::string FromWide(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string bytes(length, '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(utf8, CP_UTF8); }
std::string Narrow(const std::wstring& wide) { return FromWide(wide, CP_UTF8); }
std::string ToAnsi(const std::wstring& wide) { return FromWide(wide, CP_ACP); }
std::wstring FromAnsi(const std::string& ansi) { return ToWide(ansi, CP_ACP); }

std::wstring WindowsPath(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path;
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return path;
  std::wstring result = path;
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  if (!result.empty() && result[0] == L'\\') result = L"Z:" + result;
  return result;
}

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    }
  }
  return out;
}

}  // namespace tavilune::e2e
