#include <gtest/gtest.h>

#include "bitmap_builder.h"
#include "fakes/fake_color_management.h"
#include "fakes/fake_file_system.h"
#include "picture/bitmap.h"
#include "picture/icon.h"
#include "picture/metafile.h"
#include "picture/picture.h"
#include "picture/picture_formats.h"
#include "picture/stream.h"
#include "platform/exceptions.h"

namespace tavilune::testing {
namespace {

// Remembers how each file was opened.
class RecordingFileSystem : public FakeFileSystem {
 public:
  std::unique_ptr<File> Open(const FilePath& path, FileAccess access, SystemError& error) override {
    accesses.push_back(access);
    return FakeFileSystem::Open(path, access, error);
  }
  std::vector<FileAccess> accesses;
};

// A graphic that reports progress while it loads, and then fails or not.
class ProgressingGraphic : public TGraphic {
 public:
  static inline bool fail = false;
  static const GraphicClass& StaticClass() {
    static const GraphicClass kClass{"ProgressingGraphic", &TGraphic::StaticClass(), [] {
                                       return std::unique_ptr<TGraphic>(new ProgressingGraphic);
                                     }};
    return kClass;
  }
  const GraphicClass& Class() const override { return StaticClass(); }
  void LoadFromStream(Stream&) override {
    Progress(ProgressStage::kRunning, 40, true, Rect{0, 0, 5, 2});
    if (fail) throw EReadError("failed");
  }
  std::int32_t Width() override { return 5; }
  std::int32_t Height() override { return 4; }
  bool Empty() override { return false; }
  void Draw(Canvas&, const Rect&) override {}
};

class LoadPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFileFormats();
    RemovePictureClass(TBitmap::StaticClass());
    AddPictureFormat("bmp", u8"ビットマップ", TBitmap::StaticClass());
    files.AddFile("C:\\old.bmp", FlatBitmapFile(7, 3, 0x80));
    picture.onChange = [this](TPicture&) { ++changes; };
  }
  void TearDown() override {
    EXPECT_EQ(files.OpenFileCount(), 0);
    ResetFileFormats();
  }
  // Loads the previous picture, so that failures can be seen to leave it in place.
  void LoadPrevious() {
    LoadPicture(picture, "C:\\old.bmp", files, colors);
    previous = picture.Graphic();
    changes = 0;
  }

  RecordingFileSystem files;
  FakeColorManagement colors;
  TPicture picture;
  TGraphic* previous = nullptr;
  int changes = 0;
};

// A placeable metafile header: 96 x 48 units at 96 a inch, and its checksum.
std::string PlaceableMetafile() {
  Bytes placeable;
  placeable.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(96).U16(48).U16(96).U32(0);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= placeable.Get()[i] | placeable.Get()[i + 1] << 8;
  return placeable.U16(sum).Str();
}

TEST_F(LoadPictureTest, EachFormatLoadsThroughTheTableAndSendsOneChange) {
  const struct {
    const char* path;
    std::string contents;
    const GraphicClass& type;
    std::int32_t width, height;
  } rows[] = {
      {"C:\\new.BMP", FlatBitmapFile(4, 6, 0x80), TBitmap::StaticClass(), 4, 6},
      {"C:\\empty.bmp", "", TBitmap::StaticClass(), 0, 0},  // zero length: an empty picture
      // No image: the display's standard icon size.
      {"C:\\app.ICO", Bytes().U16(0).U16(0).U16(0).Str(), TIcon::StaticClass(), 32, 32},
      {"C:\\drawing.wmf", PlaceableMetafile(), TMetafile::StaticClass(), 96, 48},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    files.AddFile(row.path, row.contents);
    LoadPrevious();
    LoadPicture(picture, row.path, files, colors);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(&picture.Graphic()->Class(), &row.type);
    EXPECT_NE(picture.Graphic(), previous);
    EXPECT_EQ(picture.Width(), row.width);
    EXPECT_EQ(picture.Height(), row.height);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(files.accesses.back(), FileAccess::kReadShareRead);
  }
}

TEST_F(LoadPictureTest, ProgressReachesTheOwnerWhileLoading) {
  AddPictureFormat("prg", "", ProgressingGraphic::StaticClass());
  files.AddFile("C:\\p.prg", "x");
  std::vector<ProgressEvent> events;
  picture.onProgress = [&](TGraphic&, const ProgressEvent& e) { events.push_back(e); };
  ProgressingGraphic::fail = false;
  LoadPicture(picture, "C:\\p.prg", files, colors);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].percentDone, 40);
  EXPECT_TRUE(events[0].redrawNow);
  EXPECT_EQ(events[0].r, (Rect{0, 0, 5, 2}));
  EXPECT_EQ(changes, 1);

  LoadPrevious();
  ProgressingGraphic::fail = true;
  EXPECT_THROW(LoadPicture(picture, "C:\\p.prg", files, colors), EReadError);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_EQ(picture.Graphic(), previous);
  EXPECT_EQ(changes, 0);
}

// ---- Every failure row: its exception, its text, and the previous picture left in place.

// What a failure raises: EInvalidGraphic, EFOpenError or EReadError.
enum class Kind { kInvalid, kOpen, kRead };

struct FailureRow {
  const char* name;
  std::string path;                     // ANSI
  std::optional<std::string> contents;  // nothing: the file does not exist
  Kind kind;
  std::string message;  // UTF-8
  std::optional<SystemError> openFailure = std::nullopt;
};

// The texts the failures raise.
std::string NoFormatFor(const std::string& extension) {
  return u8"拡張子 ." + extension + u8" の画像形式は処理できません";
}
std::string CannotOpen(const std::string& path) { return u8"ファイル " + path + u8" は開けません"; }
const std::string kReadError = u8"ストリームからの読み込みエラー";
const std::string kBadBitmap = u8"ビットマップイメージが不正です";
const std::string kBadMetafile = u8"メタファイルが不正です";

std::vector<FailureRow> FailureRows() {
  BitmapSpec planes;
  planes.planes = 2;
  const auto planesFile = MakeBitmapFile(planes);
  using enum Kind;
  return {
      {"unregistered extension", "C:\\photo.png", "x", kInvalid, NoFormatFor("png")},
      {"extension case kept in the text", "C:\\photo.PnG", "x", kInvalid, NoFormatFor("PnG")},
      {"no extension", "C:\\dir\\photo", "x", kInvalid, NoFormatFor("")},
      {"dot only in a folder name", "C:\\dir.old\\photo", "x", kInvalid, NoFormatFor("")},
      {"double-byte extension", "C:\\photo.\x89\xe6\x91\x9c", "x", kInvalid, NoFormatFor(u8"画像")},
      {"missing file", "C:\\missing.bmp", std::nullopt, kOpen, CannotOpen("C:\\missing.bmp")},
      {"missing file with a Japanese path", "C:\\\x8e\xca\x90\x5e\\\x95\x5c.bmp", std::nullopt,
       kOpen, CannotOpen(u8"C:\\写真\\表.bmp")},
      {"file locked for writing", "C:\\locked.bmp", "BM", kOpen, CannotOpen("C:\\locked.bmp"),
       kErrorSharingViolation},
      {"no access", "C:\\secret.bmp", "BM", kOpen, CannotOpen("C:\\secret.bmp"),
       kErrorAccessDenied},
      {"bitmap of one byte", "C:\\one.bmp", "B", kRead, kReadError},
      {"bitmap of 13 bytes", "C:\\short.bmp", "BM34567890123", kRead, kReadError},
      {"JPEG under a bitmap name", "C:\\photo.bmp",
       std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + std::string(20, '\0'), kInvalid,
       kBadBitmap},
      {"planes not 1", "C:\\planes.bmp", std::string(planesFile.begin(), planesFile.end()),
       kInvalid, kBadBitmap},
      {"icon under 6 bytes", "C:\\tiny.ico", std::string("\0\0\1\0\1", 5), kRead, kReadError},
      {"icon type 2 (a cursor)", "C:\\cursor.ico", std::string("\0\0\2\0\0\0", 6), kInvalid,
       u8"アイコンイメージが不正です"},
      {"metafile of neither kind", "C:\\drawing.wmf", std::string(200, 'x'), kInvalid,
       kBadMetafile},
      {"empty enhanced metafile", "C:\\drawing.emf", "", kInvalid, kBadMetafile},
  };
}

TEST_F(LoadPictureTest, EveryFailureLeavesThePreviousPictureAndRaisesItsText) {
  for (const FailureRow& row : FailureRows()) {
    SCOPED_TRACE(row.name);
    if (row.contents) files.AddFile(row.path, *row.contents);
    if (row.openFailure) files.Fail(row.path, FileOperation::kOpen, *row.openFailure);
    LoadPrevious();
    std::optional<std::pair<Kind, std::string>> raised;  // what was raised, and its text
    try {
      LoadPicture(picture, row.path, files, colors);
    } catch (const EInvalidGraphic& e) {
      raised = {Kind::kInvalid, e.Message()};
    } catch (const EFOpenError& e) {
      raised = {Kind::kOpen, e.Message()};
    } catch (const EReadError& e) {
      raised = {Kind::kRead, e.Message()};
    }
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->first, row.kind);
    EXPECT_EQ(raised->second, row.message);
    EXPECT_EQ(picture.Graphic(), previous);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(changes, 0);
    files.ClearFailures();
  }
}

// ---- The extension rule.

TEST(PictureExtension, TakesTheBytesAfterTheLastDotOfTheLastPart) {
  struct Case {
    std::string path;
    std::string extension;
  };
  const Case cases[] = {
      {"C:\\pictures\\photo.JPG", "JPG"},
      {"C:\\pictures\\photo.tar.Jpeg", "Jpeg"},
      {"photo.", ""},
      {"photo", ""},
      {"C:\\dir.old\\photo", ""},
      {"C:photo", ""},
      {"C:.bmp", "bmp"},
      {"\\\\server\\share.d\\x.ico", "ico"},
      {"C:\\a.b:stream", ""},
      // The second byte of 表 is "\": it must not end the extension.
      {"C:\\photo.\x95\x5C", "\x95\x5C"},
      {"C:\\\x95\x5C.bmp", "bmp"},
      {"C:\\dir.\x95\x5C\\photo", ""},
      // A lead byte that ends the path has no second byte.
      {"C:\\photo.\x95", "\x95"},
      // 0x5C right after a single-byte katakana is a real separator.
      {"C:\\x.\xB1\\photo", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PictureExtension(c.path), c.extension) << c.path;
  }
}

}  // namespace
}  // namespace tavilune::testing
