#include "report.h"

#include <cstdio>

namespace tavilune::e2e {

bool Report::Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  std::fflush(stdout);
  (ok ? passed_ : failed_)++;
  return ok;
}

bool Report::CheckEqual(long long actual, long long expected, const std::string& what) {
  if (actual == expected) return Check(true, what + " (" + std::to_string(actual) + ")");
  return Check(false,
               what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

bool Report::CheckEqualText(const std::string& actual, const std::string& expected,
                            const std::string& what) {
  if (actual == expected) return Check(true, what + " (\"" + actual + "\")");
  return Check(false, what + ": got \"" + actual + "\", expected \"" + expected + "\"");
}

void Report::Note(const std::string& text) {
  std::printf("     %s\n", text.c_str());
  std::fflush(stdout);
}

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%06X", static_cast<unsigned>(value));
  return buffer;
}

}  // namespace tavilune::e2e
