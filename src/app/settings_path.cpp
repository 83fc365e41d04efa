#include "app/settings_path.h"

#include "platform/ansi.h"

namespace tavilune {

namespace {

// The length of the longest prefix of at most `limit` bytes that ends on a character boundary.
std::size_t CharacterBoundaryAtMost(std::string_view ansi, std::size_t limit) {
  std::size_t boundary = 0;
  std::size_t i = 0;
  while (i < ansi.size()) {
    const std::size_t width =
        IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size() ? 2 : 1;
    if (i + width > limit) break;
    i += width;
    boundary = i;
  }
  return boundary;
}

}  // namespace

std::string SettingsPath(std::string_view exePathAnsi) {
  // Walk by characters so that a trail byte that happens to be "\" (0x5C, common in Shift-JIS)
  // or "." is never taken for a separator or an extension's dot.
  std::size_t lastDot = std::string_view::npos;
  std::size_t i = 0;
  while (i < exePathAnsi.size()) {
    const auto byte = static_cast<unsigned char>(exePathAnsi[i]);
    if (IsAnsiLeadByte(byte) && i + 1 < exePathAnsi.size()) {
      i += 2;
      continue;
    }
    if (byte == '\\' || byte == '/') {
      // A dot seen so far was in a folder name.
      lastDot = std::string_view::npos;
    } else if (byte == '.') {
      lastDot = i;
    }
    ++i;
  }
  const std::size_t stemEnd = lastDot != std::string_view::npos ? lastDot : exePathAnsi.size();
  std::string path(exePathAnsi.substr(0, stemEnd));
  path += ".dat";
  if (path.size() > kMaxSettingsPathLength) {
    path.resize(CharacterBoundaryAtMost(path, kMaxSettingsPathLength));
  }
  return path;
}

}  // namespace tavilune
