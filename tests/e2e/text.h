// Conversions between the driver's UTF-8 log text, the system's wide strings and the ANSI code
// page the program stores paths in.
#pragma once

#include <string>

namespace tavilune::e2e {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The bytes the system's ANSI code page gives for a wide string (Shift-JIS under Japanese).
std::string ToAnsi(const std::wstring& wide);
std::wstring FromAnsi(const std::string& ansi);
// Accepts "C:\dir\file", "\\server\share" or a Unix path "/a/b" (seen under Wine, where the
// Unix root is drive Z:) and gives the Windows form.
std::wstring WindowsPath(const std::wstring& path);
// A printable form of arbitrary bytes: printable ASCII as is, others as \xNN.
std::string Escaped(const std::string& bytes);

}  // namespace tavilune::e2e
