#include "platform/ansi.h"
#include "platform/win32/text.h"

namespace tavilune {

std::string AnsiToUtf8(std::string_view ansi) { return win32::Utf8(win32::WideFromAnsi(ansi)); }

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  std::string ansi;
  if (!win32::AnsiFromWide(win32::Wide(utf8), ansi)) return std::nullopt;
  return ansi;
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace tavilune
