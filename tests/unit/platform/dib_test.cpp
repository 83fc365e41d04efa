#include "platform/dib.h"

#include <gtest/gtest.h>

namespace tavilune {
namespace {

// A band of rows is handed to the system as a bitmap of its own: its header must say how many
// rows it has in the original order, and its bits must begin at the band's first stored row, for
// both row orders, so that the same picture rows are drawn whichever order the bitmap keeps.
TEST(DibTest, ABandOfRowsIsABitmapOfJustThoseRowsInTheSameOrder) {
  for (const bool topDown : {true, false}) {
    Dib dib = Dib::Blank(3, 10, 24, topDown);
    for (std::int32_t y = 0; y < dib.Height(); ++y) dib.Row(y)[0] = static_cast<std::uint8_t>(y);
    struct Row {
      std::int32_t top, bottom;
    };
    for (const Row band : {Row{0, 10}, Row{0, 1}, Row{4, 7}, Row{9, 10}}) {
      SCOPED_TRACE(testing::Message() << (topDown ? "top-down " : "bottom-up ") << band.top
                                      << "-" << band.bottom);
      const Dib::Band rows = dib.RowsOf(band.top, band.bottom);
      LittleEndianReader header(rows.info);
      const std::int32_t count = band.bottom - band.top;
      EXPECT_EQ(header.Seek(8).GetInt32(), topDown ? -count : count);
      EXPECT_EQ(header.Seek(20).GetUint32(), dib.Stride() * count);
      ASSERT_EQ(rows.info.size(), dib.BitmapInfo().size());
      // The first stored row of the band: its top row when stored top-down, else its bottom one.
      const std::int32_t firstStored = topDown ? band.top : band.bottom - 1;
      EXPECT_EQ(rows.bits[0], firstStored);
      EXPECT_EQ(rows.bits + dib.Stride() * (count - 1),
                dib.Row(topDown ? band.bottom - 1 : band.top));
    }
  }
}

}  // namespace
}  // namespace tavilune
