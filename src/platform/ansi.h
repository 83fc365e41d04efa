// Text in the system's ANSI code page (Shift-JIS on the systems this program is made for).
// Paths travel through the program as ANSI bytes, exactly as the settings file stores them;
// the program's own texts are UTF-8. These are the only conversions between the two.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavilune {

// Bytes in the ANSI code page to UTF-8. Bytes that do not decode become U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to the ANSI code page; nothing when some character has no spelling there.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

// Whether the byte starts a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace tavilune
