// What a JPEG's application markers say about showing it: the EXIF orientation (APP1), the
// embedded colour profile (APP2 chunks) and the Adobe marker (APP14) that tells how CMYK samples
// are stored. The markers come from the file unchecked; every offset and count in them is checked
// against the marker it lies in, and damaged metadata gives "no answer" (orientation 1, no
// profile, no Adobe marker), never an error: a photo always shows, as stored at worst.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavilune {

constexpr int kJpegApp1 = 0xE1;
constexpr int kJpegApp2 = 0xE2;
constexpr int kJpegApp14 = 0xEE;

// One application marker as the file holds it: its code (0xE0 + n for APPn) and its payload, the
// bytes after the length field.
struct JpegMarker {
  int code = 0;
  std::span<const std::uint8_t> data;
};

struct JpegMetadata {
  // EXIF orientation 1 to 8 (1: as stored).
  int orientation = 1;
  // The embedded ICC profile assembled from its chunks, unchecked beyond the chunk framing (the
  // profile's own header and tags are the colour transform's business); empty when there is none.
  std::vector<std::uint8_t> iccProfile;
  // The Adobe marker's colour transform (0: none or CMYK, 1: YCbCr, 2: YCCK) when the file has
  // one. Its presence means CMYK samples are stored inverted.
  std::optional<std::uint8_t> adobeTransform;
};

// The orientation of one APP1 payload: 1 to 8 when it is an EXIF block whose first image
// directory holds a sound orientation entry; 1 for any other value or any damage; nothing when
// the marker is not EXIF at all (XMP, for instance).
std::optional<int> ReadExifOrientation(std::span<const std::uint8_t> app1);

// The profile made of the markers' "ICC_PROFILE" chunks, in their sequence numbers' order. Empty
// when there are none or when they do not make one whole profile: a chunk missing or repeated, a
// sequence number of 0 or above the count, or counts that differ.
std::vector<std::uint8_t> AssembleIccProfile(std::span<const JpegMarker> markers);

// The transform byte of an APP14 payload that is an Adobe marker; nothing otherwise.
std::optional<std::uint8_t> ReadAdobeTransform(std::span<const std::uint8_t> app14);

// All of the above from a file's markers, in file order (the first EXIF block and the first Adobe
// marker count).
JpegMetadata ReadJpegMetadata(std::span<const JpegMarker> markers);

}  // namespace tavilune
