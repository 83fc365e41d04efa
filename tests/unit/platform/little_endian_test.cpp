#include "platform/little_endian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace tavilune::testing {
namespace {

TEST(LittleEndianReaderTest, ReadsFieldsLowByteFirstSignedOrNotAndFindsItsPlaces) {
  const std::vector<std::uint8_t> bytes = {0x42, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                                           0x78, 0x56, 0x34, 0x12, 0x00, 0x80};
  LittleEndianReader reader(bytes);
  EXPECT_EQ(reader.GetByte(), 0x42);
  EXPECT_EQ(reader.GetUint16(), 0x1234);
  EXPECT_EQ(reader.GetInt32(), -2);
  EXPECT_EQ(reader.GetUint32(), 0x12345678u);
  EXPECT_EQ(reader.GetInt16(), -32768);
  EXPECT_TRUE(reader.Ok());
  EXPECT_TRUE(reader.AtEnd());

  EXPECT_EQ(reader.Seek(7).GetUint16(), 0x5678);
  EXPECT_EQ(reader.Skip(2).GetUint16(), 0x8000);
  std::array<std::uint8_t, 2> copied{};
  reader.Seek(1).GetBytes(copied);
  EXPECT_EQ(copied, (std::array<std::uint8_t, 2>{0x34, 0x12}));
  EXPECT_EQ(reader.Position(), 3u);
  EXPECT_TRUE(reader.Seek(bytes.size()).Ok());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(LittleEndianReaderTest, AStepPastTheEndGivesZerosFromThenOnEvenAfterASeekBack) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6};
  // A value that straddles the end is not read in part.
  LittleEndianReader reader(bytes);
  EXPECT_EQ(reader.Seek(4).GetUint32(), 0u);
  EXPECT_FALSE(reader.Ok());
  EXPECT_EQ(reader.Seek(0).GetByte(), 0);
  EXPECT_FALSE(reader.Ok());

  reader = LittleEndianReader(bytes);
  EXPECT_EQ(reader.Seek(7).GetByte(), 0);
  EXPECT_FALSE(reader.Ok());

  reader = LittleEndianReader(bytes);
  reader.Seek(2).Skip(5);
  EXPECT_FALSE(reader.Ok());
  EXPECT_EQ(reader.Seek(2).GetUint16(), 0);

  reader = LittleEndianReader(bytes);
  std::array<std::uint8_t, 3> into{9, 9, 9};
  reader.Seek(4).GetBytes(into);
  EXPECT_EQ(into, (std::array<std::uint8_t, 3>{5, 6, 0}));
  EXPECT_FALSE(reader.Ok());

  LittleEndianReader empty(std::span<const std::uint8_t>{});
  EXPECT_EQ(empty.GetByte(), 0);
  EXPECT_FALSE(empty.Ok());
}

TEST(LittleEndianWriterTest, PutsLowByteFirstAndDropsAnythingBeyondTheEndForGood) {
  std::array<std::uint8_t, 8> bytes{};
  LittleEndianWriter writer(bytes);
  writer.PutUint16(0x1234);
  writer.PutInt32(-2);
  writer.PutByte(0x42);
  EXPECT_FALSE(writer.AtEnd());
  writer.Seek(7).PutByte(0x99);
  EXPECT_TRUE(writer.Ok());
  EXPECT_TRUE(writer.AtEnd());
  EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x42, 0x99}));

  // A value that does not fit is not written in part, and later puts go nowhere.
  writer.Seek(6).PutUint32(0xAABBCCDD);
  EXPECT_FALSE(writer.Ok());
  writer.Seek(0).PutByte(0x55);
  EXPECT_FALSE(writer.Ok());
  EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x42, 0x99}));

  LittleEndianWriter beyond(bytes);
  beyond.Seek(9).PutByte(1);
  EXPECT_FALSE(beyond.Ok());
  EXPECT_EQ(bytes[0], 0x34);
}

}  // namespace
}  // namespace tavilune::testing
