#include "picture/picture_formats.h"

#include <gtest/gtest.h>

#include "picture/bitmap.h"
#include "picture/icon.h"
#include "picture/metafile.h"

namespace tavilune::testing {
namespace {

// Stand-ins for classes registered from elsewhere: one beside TBitmap, one derived from it.
const GraphicClass kJpegLike{"JpegLike", &TGraphic::StaticClass(), nullptr};
const GraphicClass kBitmapChild{"BitmapChild", &TBitmap::StaticClass(), nullptr};
const GraphicClass kOther{"Other", &TGraphic::StaticClass(), nullptr};

struct Row {
  std::string extension;
  std::string description;
  const GraphicClass* graphicClass;
  bool operator==(const Row&) const = default;
};

std::vector<Row> Rows() {
  std::vector<Row> rows;
  for (const PictureFormat& f : GetFileFormats().Entries()) {
    EXPECT_EQ(f.descriptionResource, 0);
    rows.push_back({f.extension, f.description, f.graphicClass});
  }
  return rows;
}

class PictureFormatsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFileFormats(); }
  void TearDown() override { ResetFileFormats(); }
};

const GraphicClass* Bitmap() { return &TBitmap::StaticClass(); }

// The standard rows.
const Row kWmf{"wmf", u8"メタファイル", &TMetafile::StaticClass()};
const Row kEmf{"emf", u8"エンハンス メタファイル", &TMetafile::StaticClass()};
const Row kIco{"ico", u8"アイコン", &TIcon::StaticClass()};
const Row kBmp{"bmp", u8"ビットマップ", Bitmap()};

TEST_F(PictureFormatsTest, FirstUseCreatesTheFourStandardFormats) {
  EXPECT_FALSE(FileFormatsExist());
  RemovePictureClass(TBitmap::StaticClass());  // does nothing while there is no table
  EXPECT_FALSE(FileFormatsExist());
  EXPECT_EQ(FindPictureClass("BMP"), Bitmap());
  EXPECT_EQ(Rows(), (std::vector<Row>{kWmf, kEmf, kIco, kBmp}));
}

const std::vector<Row> kSevenRows{kWmf,
                                  kEmf,
                                  kIco,
                                  {"jpeg", u8"JPEG イメージファイル", &kJpegLike},
                                  {"jpg", u8"JPEG イメージファイル", &kJpegLike},
                                  kBmp,
                                  {"jpg", u8"ビットマップ", &kJpegLike}};

TEST_F(PictureFormatsTest, StartUpLeavesTheSevenRows) {
  AddPictureFormat("jpeg", u8"JPEG イメージファイル", kJpegLike);
  AddPictureFormat("jpg", u8"JPEG イメージファイル", kJpegLike);
  SetUpMainWindowPictureFormats(kJpegLike);
  EXPECT_EQ(Rows(), kSevenRows);
  for (const char* ext : {"JPG", "Jpeg", "jpg"}) EXPECT_EQ(FindPictureClass(ext), &kJpegLike);
  EXPECT_EQ(FindPictureClass("BMP"), Bitmap());
  EXPECT_EQ(FindPictureClass("png"), nullptr);
  EXPECT_EQ(FindPictureClass(""), nullptr);
}

#ifdef TAVILUNE_HAVE_JPEG
TEST_F(PictureFormatsTest, TheJpegDecodersOwnRegistrationFitsTheTable) {
  RegisterJpegPictureFormats();
  SetUpMainWindowPictureFormats(JpegPictureClass());
  std::vector<Row> expected = kSevenRows;
  for (Row& row : expected) {
    if (row.graphicClass == &kJpegLike) row.graphicClass = &JpegPictureClass();
  }
  EXPECT_EQ(Rows(), expected);
  UnregisterJpegPictureFormats();
  EXPECT_EQ(FindPictureClass("jpg"), nullptr);
  EXPECT_EQ(Rows().size(), 4u);
}
#endif

TEST_F(PictureFormatsTest, LaterEntriesHideEarlierOnesAndDuplicatesStay) {
  AddPictureFormat("XYZ", "first", kOther);
  AddPictureFormat("xyz", "second", kJpegLike);
  EXPECT_EQ(FindPictureClass("xYz"), &kJpegLike);
  RemovePictureClass(kJpegLike);
  EXPECT_EQ(FindPictureClass("xyz"), &kOther);
  AddPictureFormat("xyz", "third", kOther);
  EXPECT_EQ(Rows().size(), 6u);
}

TEST_F(PictureFormatsTest, RemovingAClassRemovesItsDescendantsOnly) {
  AddPictureFormat("dib", "", kBitmapChild);
  AddPictureFormat("oth", "", kOther);
  AddPictureFormat("rle", "", TBitmap::StaticClass());
  RemovePictureClass(TBitmap::StaticClass());
  EXPECT_EQ(Rows(), (std::vector<Row>{kWmf, kEmf, kIco, {"oth", "", &kOther}}));
  RemovePictureClass(TGraphic::StaticClass());
  EXPECT_TRUE(Rows().empty());
}

TEST(AnsiLowerCase, LowersSingleByteLettersOnly) {
  EXPECT_EQ(AnsiLowerCase("JpEg"), "jpeg");
  // ア is 0x83 0x41: its second byte looks like "A" but belongs to the character.
  EXPECT_EQ(AnsiLowerCase(std::string("\x83\x41") + "B"), std::string("\x83\x41") + "b");
  // Single-byte katakana (0xB1) is no lead byte: the "A" after it is a letter.
  EXPECT_EQ(AnsiLowerCase(std::string("\xB1") + "A"), std::string("\xB1") + "a");
}

}  // namespace
}  // namespace tavilune::testing
