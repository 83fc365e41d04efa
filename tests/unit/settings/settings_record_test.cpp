#include "settings/settings_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavilune {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToVector(const SettingsBytes& bytes) { return Bytes(bytes.begin(), bytes.end()); }

void PutLittle(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A record whose every field holds bytes that differ from their neighbours', with negative
// numbers, a path tail behind the NUL and non-zero alignment bytes.
SettingsRecord SampleRecord() {
  SettingsRecord record;
  record.FrameColor = 0x00C0FFEE;
  record.FrameThickness = -2;
  const std::string path = "C:\\pictures\\desk.bmp";
  std::copy(path.begin(), path.end(), record.PicturePath.begin());
  record.PicturePath[path.size() + 1] = 'x';  // leftover of a longer earlier path
  record.PicturePath[255] = 0x9A;
  record.WindowTop = -1200;
  record.WindowLeft = 0x7FFFFFFF;
  record.InTray = 2;
  record.StayOnTop = 0xFF;
  record.Alignment = {0xAB, 0xCD};
  return record;
}

Bytes SampleBytes() {
  Bytes bytes(276, 0);
  PutLittle(bytes, 0, 0x00C0FFEE);
  PutLittle(bytes, 4, 0xFFFFFFFE);
  const std::string path = "C:\\pictures\\desk.bmp";
  std::copy(path.begin(), path.end(), bytes.begin() + 8);
  bytes[8 + path.size() + 1] = 'x';
  bytes[8 + 255] = 0x9A;
  PutLittle(bytes, 264, static_cast<std::uint32_t>(-1200));
  PutLittle(bytes, 268, 0x7FFFFFFF);
  bytes[272] = 2;
  bytes[273] = 0xFF;
  bytes[274] = 0xAB;
  bytes[275] = 0xCD;
  return bytes;
}

TEST(SettingsRecordTest, EncodesEveryFieldAtItsOffsetLittleEndian) {
  EXPECT_EQ(ToVector(EncodeSettingsRecord(SampleRecord())), SampleBytes());
  EXPECT_EQ(ToVector(EncodeSettingsRecord(SettingsRecord{})), Bytes(276, 0));
}

TEST(SettingsRecordTest, DecodesEveryFieldAndWritesBackTheSameBytes) {
  SettingsBytes bytes{};
  const Bytes sample = SampleBytes();
  std::copy(sample.begin(), sample.end(), bytes.begin());
  const SettingsRecord record = DecodeSettingsRecord(bytes);
  EXPECT_EQ(record, SampleRecord());
  EXPECT_EQ(record.WindowTop, -1200);
  EXPECT_EQ(record.FrameThickness, -2);
  EXPECT_EQ(record.PicturePathText(), "C:\\pictures\\desk.bmp");
  EXPECT_EQ(ToVector(EncodeSettingsRecord(record)), sample);
}

TEST(SettingsRecordTest, OverlayReplacesOnlyTheBytesThatExist) {
  const SettingsRecord before = SampleRecord();
  const Bytes file(100, 0x11);

  SettingsRecord record = before;
  EXPECT_EQ(OverlaySettingsBytes(file, record), 100u);
  const Bytes image = ToVector(EncodeSettingsRecord(record));
  const Bytes old = SampleBytes();
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 100), file);
  EXPECT_EQ(Bytes(image.begin() + 100, image.end()), Bytes(old.begin() + 100, old.end()));
  EXPECT_EQ(record.WindowTop, before.WindowTop);

  // A field cut in the middle changes only in its covered bytes.
  record = before;
  EXPECT_EQ(OverlaySettingsBytes(Bytes{0x01, 0x02}, record), 2u);
  EXPECT_EQ(record.FrameColor, 0x00C00201);

  record = before;
  EXPECT_EQ(OverlaySettingsBytes(Bytes{}, record), 0u);
  EXPECT_EQ(record, before);

  Bytes longer = SampleBytes();
  longer.resize(400, 0x77);
  record = SettingsRecord{};
  EXPECT_EQ(OverlaySettingsBytes(longer, record), 276u);
  EXPECT_EQ(record, SampleRecord());
}

TEST(SettingsRecordTest, PicturePathTextStopsAtTheFirstNulOrAfter256Bytes) {
  SettingsRecord record;
  EXPECT_EQ(record.PicturePathText(), "");
  EXPECT_FALSE(record.HasPicturePath());
  record.PicturePath.fill('a');
  EXPECT_EQ(record.PicturePathText(), std::string(256, 'a'));
  EXPECT_TRUE(record.HasPicturePath());
}

TEST(SettingsRecordTest, SettingAPathKeepsTheBytesBehindItsNul) {
  SettingsRecord record;
  ASSERT_TRUE(record.SetPicturePath("C:\\a\\longer-name.jpg"));
  ASSERT_TRUE(record.SetPicturePath("D:\\b.bmp"));
  EXPECT_EQ(record.PicturePathText(), "D:\\b.bmp");
  EXPECT_EQ(record.PicturePath[8], 0);
  EXPECT_EQ(std::string(record.PicturePath.begin() + 9, record.PicturePath.begin() + 20),
            "er-name.jpg");

  ASSERT_TRUE(record.SetPicturePath(std::string(255, 'p')));
  EXPECT_EQ(record.PicturePath[255], 0);
  EXPECT_EQ(record.PicturePathText().size(), 255u);
}

TEST(SettingsRecordTest, APathThatCannotBeStoredFaithfullyIsRefused) {
  SettingsRecord record = SampleRecord();
  EXPECT_FALSE(record.SetPicturePath(std::string(256, 'p')));
  EXPECT_FALSE(record.SetPicturePath(std::string("C:\\a\0b.bmp", 10)));
  EXPECT_EQ(record, SampleRecord());
}

TEST(SettingsRecordTest, ClearingThePathZeroesAll256Bytes) {
  SettingsRecord record = SampleRecord();
  record.ClearPicturePath();
  const Bytes image = ToVector(EncodeSettingsRecord(record));
  EXPECT_EQ(Bytes(image.begin() + 8, image.begin() + 264), Bytes(256, 0));
  EXPECT_EQ(record.WindowLeft, 0x7FFFFFFF);
}

}  // namespace
}  // namespace tavilune
