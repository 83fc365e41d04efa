#include "picture/jpeg_markers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/little_endian.h"

namespace tavilune {

namespace {

constexpr std::uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint8_t kIccSignature[] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
constexpr std::uint8_t kAdobeSignature[] = {'A', 'd', 'o', 'b', 'e'};

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kIfdEntrySize = 12;
// Signature, version, two flag words and the transform byte.
constexpr std::size_t kAdobeMarkerSize = 12;

template <std::size_t N>
bool StartsWith(std::span<const std::uint8_t> data, const std::uint8_t (&signature)[N]) {
  return data.size() >= N && std::memcmp(data.data(), signature, N) == 0;
}

// The orientation entry of the TIFF block's first image directory; 1 when the block does not
// read cleanly. The whole directory must lie inside the block before any entry counts.
int TiffOrientation(std::span<const std::uint8_t> tiff) {
  LittleEndianReader reader(tiff);
  const std::uint8_t first = reader.GetByte();
  const std::uint8_t second = reader.GetByte();
  if (first != second || (first != 'I' && first != 'M')) return 1;
  reader.SetBigEndian(first == 'M');
  if (reader.GetUint16() != 42) return 1;
  reader.Seek(reader.GetUint32());
  const std::size_t count = reader.GetUint16();
  const std::size_t entries = reader.Position();
  reader.Skip(count * kIfdEntrySize);
  if (!reader.Ok()) return 1;
  for (std::size_t i = 0; i < count; ++i) {
    reader.Seek(entries + i * kIfdEntrySize);
    if (reader.GetUint16() != kOrientationTag) continue;
    const std::uint16_t type = reader.GetUint16();
    const std::uint32_t values = reader.GetUint32();
    // A SHORT value of one item sits left-aligned in the entry's value field.
    const std::uint16_t value = reader.GetUint16();
    if (!reader.Ok() || type != kTypeShort || values != 1 || value < 1 || value > 8) return 1;
    return value;
  }
  return 1;
}

}  // namespace

std::optional<int> ReadExifOrientation(std::span<const std::uint8_t> app1) {
  if (!StartsWith(app1, kExifSignature)) return std::nullopt;
  return TiffOrientation(app1.subspan(sizeof kExifSignature));
}

std::vector<std::uint8_t> AssembleIccProfile(std::span<const JpegMarker> markers) {
  // The chunk for each sequence number (1 to count); a count of 0 is no profile.
  std::array<std::span<const std::uint8_t>, 256> chunks{};
  std::array<bool, 256> seen{};
  int count = -1;
  for (const JpegMarker& marker : markers) {
    if (marker.code != kJpegApp2 || !StartsWith(marker.data, kIccSignature)) continue;
    LittleEndianReader reader(marker.data);
    reader.Skip(sizeof kIccSignature);
    const std::uint8_t sequence = reader.GetByte();
    const std::uint8_t chunkCount = reader.GetByte();
    if (!reader.Ok()) return {};
    if (count >= 0 && chunkCount != count) return {};
    count = chunkCount;
    if (sequence == 0 || sequence > count || seen[sequence]) return {};
    seen[sequence] = true;
    chunks[sequence] = marker.data.subspan(reader.Position());
  }
  if (count <= 0 ||
      !std::all_of(seen.begin() + 1, seen.begin() + count + 1, [](bool s) { return s; })) {
    return {};
  }
  std::vector<std::uint8_t> profile;
  for (int i = 1; i <= count; ++i)
    profile.insert(profile.end(), chunks[i].begin(), chunks[i].end());
  return profile;
}

std::optional<std::uint8_t> ReadAdobeTransform(std::span<const std::uint8_t> app14) {
  if (app14.size() < kAdobeMarkerSize || !StartsWith(app14, kAdobeSignature)) return std::nullopt;
  return app14[kAdobeMarkerSize - 1];
}

JpegMetadata ReadJpegMetadata(std::span<const JpegMarker> markers) {
  JpegMetadata metadata;
  bool haveExif = false;
  for (const JpegMarker& marker : markers) {
    if (marker.code == kJpegApp1 && !haveExif) {
      if (const std::optional<int> orientation = ReadExifOrientation(marker.data)) {
        metadata.orientation = *orientation;
        haveExif = true;
      }
    } else if (marker.code == kJpegApp14 && !metadata.adobeTransform) {
      metadata.adobeTransform = ReadAdobeTransform(marker.data);
    }
  }
  metadata.iccProfile = AssembleIccProfile(markers);
  return metadata;
}

}  // namespace tavilune
