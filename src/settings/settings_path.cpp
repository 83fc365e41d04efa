#include "settings/settings_path.h"

#include "platform/ansi.h"

namespace tavilune {

namespace {

// The width in bytes of the character that starts at `i`. In UTF-8 no byte of a longer
// character is ASCII, so walking byte by byte never mistakes part of one for "\" or "."; in
// ANSI the second byte of a double-byte character may be either.
std::size_t CharacterWidth(std::string_view path, std::size_t i, bool utf8) {
  const auto byte = static_cast<unsigned char>(path[i]);
  if (utf8) {
    std::size_t width = 1;
    while (i + width < path.size() &&
           (static_cast<unsigned char>(path[i + width]) & 0xC0) == 0x80) {
      ++width;
    }
    return width;
  }
  return IsAnsiLeadByte(byte) && i + 1 < path.size() ? 2 : 1;
}

// The length of the longest prefix that ends on a character boundary and holds at most `limit`
// bytes (ANSI) or characters (UTF-8).
std::size_t PrefixWithin(std::string_view path, std::size_t limit, bool utf8) {
  std::size_t end = 0;
  std::size_t characters = 0;
  while (end < path.size()) {
    const std::size_t width = CharacterWidth(path, end, utf8);
    if ((utf8 ? characters + 1 : end + width) > limit) break;
    end += width;
    ++characters;
  }
  return end;
}

}  // namespace

std::string SettingsPath(std::string_view exePath, FilePath::Encoding encoding) {
  const bool utf8 = encoding == FilePath::Encoding::kUtf8;
  std::size_t lastDot = std::string_view::npos;
  for (std::size_t i = 0; i < exePath.size(); i += CharacterWidth(exePath, i, utf8)) {
    if (exePath[i] == '\\' || exePath[i] == '/') {
      // A dot seen so far was in a folder name.
      lastDot = std::string_view::npos;
    } else if (exePath[i] == '.') {
      lastDot = i;
    }
  }
  const std::size_t stemEnd = lastDot != std::string_view::npos ? lastDot : exePath.size();
  std::string path(exePath.substr(0, stemEnd));
  path += ".dat";
  path.resize(PrefixWithin(path, kMaxSettingsPathLength, utf8));
  return path;
}

}  // namespace tavilune
