// The settings file's one record: the picture window's frame, picture and position between runs.
// It is kept as separate fields and turned into its 276 file bytes field by field, so the layout
// on disk never depends on how a compiler lays out a struct.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavilune {

struct SettingsRecord {
  static constexpr std::size_t kSize = 276;
  // Room for the picture's path including its ending NUL.
  static constexpr std::size_t kPicturePathSize = 256;
  static constexpr std::size_t kMaxPicturePathLength = kPicturePathSize - 1;

  std::int32_t FrameColor = 0;  // 0x00BBGGRR
  std::int32_t FrameThickness = 0;
  // ANSI bytes ended by a NUL. What follows the NUL may be the tail of an earlier, longer path;
  // it means nothing but is kept, so a record read and written back is byte for byte the same.
  std::array<std::uint8_t, kPicturePathSize> PicturePath{};
  std::int32_t WindowTop = 0;
  std::int32_t WindowLeft = 0;
  std::uint8_t InTray = 0;
  std::uint8_t StayOnTop = 0;
  // The record's two padding bytes, written back as they were read.
  std::array<std::uint8_t, 2> Alignment{};

  // The path up to its first NUL (all 256 bytes when there is none).
  std::string PicturePathText() const;
  // Whether a path is stored at all (the first byte is not NUL).
  bool HasPicturePath() const { return PicturePath[0] != 0; }
  // Stores an ANSI path and its ending NUL; the bytes after the NUL stay as they were. A path
  // longer than 255 bytes, or one holding a NUL, cannot be stored faithfully: it is refused
  // (false) and the record keeps its old path rather than naming some other file.
  bool SetPicturePath(std::string_view ansiPath);
  // Forgets the path: all 256 bytes become zero.
  void ClearPicturePath() { PicturePath.fill(0); }

  bool operator==(const SettingsRecord&) const = default;
};

using SettingsBytes = std::array<std::uint8_t, SettingsRecord::kSize>;

// The record's file bytes, little-endian.
SettingsBytes EncodeSettingsRecord(const SettingsRecord& record);

// Lays the given bytes over the start of the record, as a read of a possibly short file does:
// the first min(bytes.size(), 276) bytes of the record's file image are replaced and the rest
// keeps its values (a field that is only partly covered changes only in its covered bytes).
// Returns how many bytes were taken.
std::size_t OverlaySettingsBytes(std::span<const std::uint8_t> bytes, SettingsRecord& record);

// A whole record from exactly 276 bytes.
SettingsRecord DecodeSettingsRecord(const SettingsBytes& bytes);

}  // namespace tavilune
