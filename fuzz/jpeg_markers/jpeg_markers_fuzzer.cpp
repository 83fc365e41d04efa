// A JPEG's application markers from untrusted bytes: the EXIF orientation, the colour profile's
// chunks and the Adobe marker. The input is a list of markers, each a byte that picks APP1, APP2
// or APP14, a big-endian length and that many bytes of payload (cut short at the input's end),
// so that the fuzzer reaches into the markers' contents rather than the file's framing, which
// the library checks (the JPEG target covers it). Damage must give "no answer", never a crash, a
// sanitizer report or an answer out of range; the profile the chunks make is then checked as a
// picture's profile is, and only one that checks out may reach the colour management.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "../checking_color_management.h"
#include "picture/jpeg_markers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  constexpr int kCodes[] = {kJpegApp1, kJpegApp2, kJpegApp14};
  const std::span<const std::uint8_t> input(data, size);
  std::vector<JpegMarker> markers;
  std::size_t payloadBytes = 0;
  for (std::size_t at = 0; at + 3 <= input.size();) {
    const int code = kCodes[input[at] % 3];
    const std::size_t length = std::size_t{input[at + 1]} << 8 | input[at + 2];
    at += 3;
    const std::span<const std::uint8_t> payload =
        input.subspan(at, std::min(length, input.size() - at));
    at += payload.size();
    payloadBytes += payload.size();
    markers.push_back(JpegMarker{code, payload});
    if (code == kJpegApp1) {
      const std::optional<int> orientation = ReadExifOrientation(payload);
      if (orientation && (*orientation < 1 || *orientation > 8)) std::abort();
    }
  }
  const JpegMetadata metadata = ReadJpegMetadata(markers);
  if (metadata.orientation < 1 || metadata.orientation > 8) std::abort();
  // A profile is made of the chunks' bodies only.
  if (metadata.iccProfile.size() > payloadBytes) std::abort();
  fuzzing::OfferProfile(metadata.iccProfile);
  return 0;
}
