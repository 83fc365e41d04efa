#include "app/settings_record.h"

#include <algorithm>
#include <cassert>

namespace tavilune {

namespace {

// Writes little-endian values into a fixed buffer; a write past the end is dropped and
// remembered, so a layout mistake shows as a failed check rather than a stray write.
class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(std::span<std::uint8_t> out) : out_(out) {}

  void PutInt32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) PutByte(static_cast<std::uint8_t>(bits >> shift));
  }
  void PutByte(std::uint8_t value) {
    if (position_ >= out_.size()) {
      ok_ = false;
      return;
    }
    out_[position_++] = value;
  }
  void PutBytes(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) PutByte(byte);
  }
  bool Ok() const { return ok_ && position_ == out_.size(); }

 private:
  std::span<std::uint8_t> out_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

// Reads little-endian values from a fixed buffer; reading past the end gives zeros and clears
// the ok flag for good.
class LittleEndianReader {
 public:
  explicit LittleEndianReader(std::span<const std::uint8_t> in) : in_(in) {}

  std::int32_t GetInt32() {
    std::uint32_t bits = 0;
    for (int shift = 0; shift < 32; shift += 8) bits |= std::uint32_t{GetByte()} << shift;
    return static_cast<std::int32_t>(bits);
  }
  std::uint8_t GetByte() {
    if (position_ >= in_.size()) {
      ok_ = false;
      return 0;
    }
    return in_[position_++];
  }
  void GetBytes(std::span<std::uint8_t> into) {
    for (std::uint8_t& byte : into) byte = GetByte();
  }
  bool Ok() const { return ok_ && position_ == in_.size(); }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace

std::string SettingsRecord::PicturePathText() const {
  const auto end = std::find(PicturePath.begin(), PicturePath.end(), std::uint8_t{0});
  return std::string(PicturePath.begin(), end);
}

bool SettingsRecord::SetPicturePath(std::string_view ansiPath) {
  if (ansiPath.size() > kMaxPicturePathLength) return false;
  if (ansiPath.find('\0') != std::string_view::npos) return false;
  std::copy(ansiPath.begin(), ansiPath.end(), PicturePath.begin());
  PicturePath[ansiPath.size()] = 0;
  return true;
}

SettingsBytes EncodeSettingsRecord(const SettingsRecord& record) {
  SettingsBytes bytes{};
  LittleEndianWriter writer(bytes);
  writer.PutInt32(record.FrameColor);
  writer.PutInt32(record.FrameThickness);
  writer.PutBytes(record.PicturePath);
  writer.PutInt32(record.WindowTop);
  writer.PutInt32(record.WindowLeft);
  writer.PutByte(record.InTray);
  writer.PutByte(record.StayOnTop);
  writer.PutBytes(record.Alignment);
  assert(writer.Ok() && "the fields must fill the record exactly");
  return bytes;
}

SettingsRecord DecodeSettingsRecord(const SettingsBytes& bytes) {
  SettingsRecord record;
  LittleEndianReader reader(bytes);
  record.FrameColor = reader.GetInt32();
  record.FrameThickness = reader.GetInt32();
  reader.GetBytes(record.PicturePath);
  record.WindowTop = reader.GetInt32();
  record.WindowLeft = reader.GetInt32();
  record.InTray = reader.GetByte();
  record.StayOnTop = reader.GetByte();
  reader.GetBytes(record.Alignment);
  assert(reader.Ok() && "the fields must cover the record exactly");
  return record;
}

std::size_t OverlaySettingsBytes(std::span<const std::uint8_t> bytes, SettingsRecord& record) {
  // Going through the file image keeps a partly covered field right: its covered bytes come
  // from the file, its other bytes stay what they were.
  SettingsBytes image = EncodeSettingsRecord(record);
  const std::size_t taken = std::min(bytes.size(), image.size());
  std::copy_n(bytes.begin(), taken, image.begin());
  record = DecodeSettingsRecord(image);
  return taken;
}

}  // namespace tavilune
