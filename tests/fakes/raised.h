// What a call raised, so that a test states the failure it expects in one line.
#pragma once

#include <optional>
#include <string>

namespace tavilune::testing {

// The message of the E the call raised; nothing when it returned. Any other exception passes on
// and fails the test with its own text.
template <typename E, typename Call>
std::optional<std::string> Raised(Call&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.Message();
  }
  return std::nullopt;
}

}  // namespace tavilune::testing
