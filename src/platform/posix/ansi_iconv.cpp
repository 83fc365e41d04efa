// The ANSI code page of a native build is Shift-JIS (code page 932), the code page the program
// is made for, so that native tools and tests see paths as a Japanese Windows system does.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/ansi.h"

namespace tavilune {

namespace {

bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             bool replace) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  bool ok = true;
  while (left > 0) {
    char buffer[256];
    char* dst = buffer;
    size_t room = sizeof buffer;
    size_t done = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, dst);
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      if (!replace) {
        ok = false;
        break;
      }
      out += "\xEF\xBF\xBD";
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  Convert("UTF-8", "CP932", ansi, out, true);
  return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  if (!Convert("CP932", "UTF-8", utf8, out, false)) return std::nullopt;
  return out;
}

bool IsAnsiLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace tavilune
