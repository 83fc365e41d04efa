// The shipped JPEG test files, and one damaged the way a careless writer damages them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/scratch_folder.h"

namespace tavilune::testing {

inline std::vector<std::uint8_t> JpegFile(const std::string& name) {
  return ReadTestData("jpeg/" + name);
}

// A scan marker after the only scan: the picture loads, every row decodes, and the library gives
// up only after the last row.
inline std::vector<std::uint8_t> WithStrayScan(std::vector<std::uint8_t> bytes) {
  const std::uint8_t marker[] = {0xFF, 0xDA};
  const auto sos = std::search(bytes.begin() + 2, bytes.end(), marker, marker + 2);
  const std::vector<std::uint8_t> header(sos, sos + 2 + (sos[2] << 8 | sos[3]));
  bytes.resize(bytes.size() - 2);  // without its end marker
  bytes.insert(bytes.end(), header.begin(), header.end());
  bytes.insert(bytes.end(), {0x00, 0x00, 0xFF, 0xD9});
  return bytes;
}

}  // namespace tavilune::testing
