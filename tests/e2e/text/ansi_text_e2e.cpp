// The ANSI spelling of names against the system's own conversion, for the code pages a user's
// Windows may have as its ANSI code page: Japanese (932) and UTF-8 (65001, a Windows option).
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/text.h"

using tavilune::win32::AnsiFromWide;

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what);
  if (!ok) ++failures;
}

bool Spells(const std::wstring& name, UINT codePage, const std::string& expected) {
  std::string ansi;
  return AnsiFromWide(name, ansi, codePage) && ansi == expected;
}

bool Refuses(const std::wstring& name, UINT codePage) {
  std::string ansi;
  return !AnsiFromWide(name, ansi, codePage);
}

}  // namespace

int main() {
  const std::wstring japanese = L"C:\\\u5199\u771f\\\u8868.bmp";  // C:\写真\表.bmp
  const std::wstring korean = L"C:\\\ud55c\uae00\\a.bmp";         // C:\한글\a.bmp
  const std::wstring bestFit = L"C:\\\u00e9t\u00e9.bmp";          // é has only a best fit in 932

  Check(Spells(japanese, 932, "C:\\\x8e\xca\x90\x5e\\\x95\x5c.bmp"), "932 spells a Japanese name");
  Check(Refuses(korean, 932), "932 refuses a Korean name");
  Check(Refuses(bestFit, 932), "932 refuses a name it could only spell by a best fit");

  Check(Spells(japanese, CP_UTF8, "C:\\\xe5\x86\x99\xe7\x9c\x9f\\\xe8\xa1\xa8.bmp"),
        "UTF-8 spells a Japanese name");
  Check(Spells(korean, CP_UTF8, "C:\\\xed\x95\x9c\xea\xb8\x80\\a.bmp"),
        "UTF-8 spells a Korean name");
  Check(Refuses(std::wstring(L"C:\\") + wchar_t{0xd800} + L".bmp", CP_UTF8),
        "UTF-8 refuses an unpaired surrogate");

  std::printf("%s: %d failure(s)\n", failures == 0 ? "PASSED" : "FAILED", failures);
  return failures == 0 ? 0 : 1;
}
