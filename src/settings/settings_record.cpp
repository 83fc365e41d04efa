#include "settings/settings_record.h"

#include <algorithm>
#include <cassert>

#include "platform/little_endian.h"

namespace tavilune {

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
  assert(writer.Ok() && writer.AtEnd() && "the fields must fill the record exactly");
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
  assert(reader.Ok() && reader.AtEnd() && "the fields must cover the record exactly");
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
