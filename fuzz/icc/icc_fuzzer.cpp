// Any bytes as an embedded colour profile: the check must answer or refuse without reading
// outside them, and only a profile that checks out may reach the colour management.
#include <cstddef>
#include <cstdint>

#include "../checking_color_management.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavilune::fuzzing::OfferProfile({data, size});
  return 0;
}
