// The verdict of one case: one printed line per check and a final count.
#pragma once

#include <cstdint>
#include <string>

namespace tavilune::e2e {

class Report {
 public:
  // Prints "PASS what" or "FAIL what" and counts it; returns ok so callers can stop early.
  bool Check(bool ok, const std::string& what);
  // Compares and prints both values on failure.
  bool CheckEqual(long long actual, long long expected, const std::string& what);
  bool CheckEqualText(const std::string& actual, const std::string& expected,
                      const std::string& what);
  // A line of context that is not a check.
  void Note(const std::string& text);

  int passed() const { return passed_; }
  int failed() const { return failed_; }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

std::string Hex(std::uint32_t value);

}  // namespace tavilune::e2e
