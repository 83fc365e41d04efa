// Where the settings file lives: beside the executable, under the executable's own name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace tavilune {

// The longest settings path the program keeps, in bytes.
constexpr std::size_t kMaxSettingsPathLength = 255;

// The executable's full path with the file name's extension replaced by ".dat", or ".dat"
// appended when the name has none. Only a dot in the file name counts, never one in a folder
// name; "\" and "/" both end a folder name, but in ANSI a "\" that is the second byte of a
// double-byte character does not. An ANSI result longer than 255 bytes is cut to 255, one byte
// less when the cut would split a double-byte character; a UTF-8 result (a path the ANSI code
// page cannot spell) is cut likewise to 255 characters.
std::string SettingsPath(std::string_view exePath,
                         FilePath::Encoding encoding = FilePath::Encoding::kAnsi);

}  // namespace tavilune
