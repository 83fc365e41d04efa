#include "app/start_up.h"

#include <limits>
#include <tuple>
#include <utility>

#include "settings/settings_file.h"
#include "unit/window/window_fixture.h"
#include "window/picture_choice.h"

namespace tavilune::testing {
namespace {

constexpr const char* kExe = "C:\\app\\tavilune.exe";
constexpr const char* kDat = "C:\\app\\tavilune.dat";

class StartUpTest : public WindowFixture {
 protected:
  // Starts the program, with a settings file holding `stored` when given.
  TForm1& Start(const std::optional<SettingsRecord>& stored = std::nullopt) {
    if (stored) files.AddFile(kDat, Encoded(*stored));
    return MakeWindow([](TForm1& window) { RunStartUp(window, kExe); });
  }

  static std::string Encoded(const SettingsRecord& record) {
    const SettingsBytes bytes = EncodeSettingsRecord(record);
    return std::string(bytes.begin(), bytes.end());
  }

  static SettingsRecord Stored(const char* picture, std::uint8_t inTray = 0,
                               std::uint8_t stayOnTop = 0) {
    SettingsRecord record;
    record.FrameColor = 0x00FF00;
    record.FrameThickness = 5;
    record.SetPicturePath(picture);
    record.WindowTop = 40;
    record.WindowLeft = 30;
    record.InTray = inTray;
    record.StayOnTop = stayOnTop;
    return record;
  }

  SettingsRecord Saved() {
    std::optional<std::string> bytes = files.Contents(kDat);
    EXPECT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 276u);
    SettingsBytes raw{};
    std::copy_n(bytes->begin(), std::min<size_t>(bytes->size(), 276), raw.begin());
    return DecodeSettingsRecord(raw);
  }

  bool ToolWindow() {
    return (windows.GetLong(app.Handle(), msg::kGwlExStyle) & msg::kExStyleToolWindow) != 0;
  }

  // The information boxes shown, each as its owner, its caption and its label's text.
  using Box = std::tuple<WindowHandle, std::string, std::string>;
  std::vector<Box> Boxes() {
    std::vector<Box> boxes;
    for (const auto& [handle, spec] : windows.created) {
      if (spec.className == "TMessageForm") boxes.emplace_back(spec.parent, spec.title, "");
      if (spec.className == "STATIC" && !spec.title.empty() && !boxes.empty())
        std::get<2>(boxes.back()) = spec.title;
    }
    return boxes;
  }

  void End() { delete std::exchange(form, nullptr); }
};

TEST_F(StartUpTest, FirstStartAsksForAPictureAndFramesItWhiteAtTheDesignPlace) {
  dialogs.WillChoose(kSmall);
  TForm1& window = Start();
  EXPECT_EQ(Boxes(),
            (std::vector<Box>{{app.Handle(), u8"情報",
                               u8"設定ファイルがありません。\r\n画像ファイルを選択してください"}}));
  ASSERT_EQ(dialogs.openRequests.size(), 1u);
  EXPECT_EQ(dialogs.openRequests[0].filter, u8"画像ファイル (*.bmp,*jpg)|*.bmp;*.jpg");

  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 206, 106));
  EXPECT_EQ(BarColor(), kWhite);
  EXPECT_EQ(window.Image1Bounds(), RectFromSize(3, 3, 200, 100));
  EXPECT_TRUE(ToolWindow());
  EXPECT_FALSE(app.Terminated());

  End();
  SettingsRecord saved = Saved();
  EXPECT_EQ(saved.FrameColor, 0xFFFFFF);
  EXPECT_EQ(saved.FrameThickness, 3);
  EXPECT_EQ(saved.PicturePathText(), kSmall);
  EXPECT_EQ(saved.WindowTop, 107);
  EXPECT_EQ(saved.WindowLeft, 192);
  EXPECT_EQ(saved.InTray, 0);
  EXPECT_EQ(saved.StayOnTop, 0);
  EXPECT_EQ(saved.Alignment, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST_F(StartUpTest, CancelAtFirstStartEndsWithoutShowingOrSaving) {
  dialogs.WillCancel();
  Start();
  EXPECT_TRUE(app.Terminated());
  app.Run();
  EXPECT_FALSE(Shown().visible);
  EXPECT_FALSE(ToolWindow());
  End();
  EXPECT_FALSE(files.Exists(kDat));
}

TEST_F(StartUpTest, DialogFailureAtFirstStartIsShownNotTakenForACancel) {
  dialogs.WillFail(0x3003);  // the name did not fit the dialog's buffer
  TForm1& window = Start();
  EXPECT_FALSE(app.Terminated());
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text,
            u8"画像ファイルを選ぶダイアログでエラーが発生しました (コード 0x3003)");
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 360, 315));
  EXPECT_TRUE(window.PicturePathText().empty());
  End();
  EXPECT_FALSE(files.Exists(kDat));
}

TEST_F(StartUpTest, SecondStartRestoresPictureFramePositionAndStayOnTop) {
  // InTray 2 counts as not in the tray.
  TForm1& window = Start(Stored(kSmall, /*inTray=*/2, /*stayOnTop=*/7));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(30, 40, 210, 110));
  EXPECT_EQ(BarColor(), 0x00FF00);
  EXPECT_TRUE(window.IsStayOnTop());
  EXPECT_TRUE(Shown().topmost);
  EXPECT_TRUE(ToolWindow());
}

TEST_F(StartUpTest, StoredInTrayStartsHiddenWithOnlyTheIconAfterStayOnTop) {
  TForm1& window = Start(Stored(kSmall, /*inTray=*/1, /*stayOnTop=*/1));
  EXPECT_TRUE(window.IsStayOnTop());
  EXPECT_TRUE(window.InTray());
  EXPECT_EQ(shell.CallsOf(kNimAdd).size(), 1u);
  EXPECT_TRUE(ToolWindow());
  app.Terminate();
  app.Run();
  EXPECT_FALSE(Shown().visible);
}

TEST_F(StartUpTest, IconRefusedWhileStartingHiddenShowsTheErrorAndThenTheWindow) {
  shell.refused.insert(kNimAdd);
  TForm1& window = Start(Stored(kSmall, /*inTray=*/1));
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"タスクトレイにアイコンを登録できません。.");
  EXPECT_FALSE(window.InTray());
  EXPECT_TRUE(app.showMainForm);
  End();
  EXPECT_EQ(Saved().InTray, 0);
}

TEST_F(StartUpTest, MissingPictureAsksAgainAtTheDesignPlace) {
  dialogs.WillChoose(kSmall);
  TForm1& window = Start(Stored("C:\\pics\\gone.bmp"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(std::get<2>(Boxes()[0]),
            u8"設定ファイルからデータが読みこめませんでした\r\n画像ファイルを選択してください");
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 206, 106));
  EXPECT_EQ(BarColor(), kWhite);
}

TEST_F(StartUpTest, FoldersAndFilesWithImpossibleDatesDoNotCountAsPictures) {
  files.AddFolder("C:\\pics\\folder.bmp");
  files.AddFile("C:\\pics\\old.bmp", SolidBitmap(2, 2), 1979);
  files.AddFile("C:\\pics\\new.bmp", SolidBitmap(2, 2), 2107);
  EXPECT_FALSE(FileExistsAt(files, "C:\\pics\\folder.bmp"));
  EXPECT_FALSE(FileExistsAt(files, "C:\\pics\\old.bmp"));
  EXPECT_TRUE(FileExistsAt(files, "C:\\pics\\new.bmp"));
  files.SetLastWriteYear("C:\\pics\\new.bmp", std::nullopt);
  EXPECT_FALSE(FileExistsAt(files, "C:\\pics\\new.bmp"));
}

TEST_F(StartUpTest, ShortSettingsFileShowsTheErrorAndLeavesTheDesignWindow) {
  files.AddFile(kDat, std::string(100, '\0'));
  TForm1& window = Start();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ファイルの末尾以降を読み込みました.");
  EXPECT_EQ(windows.messageBoxes[0].caption, "Tavilune");
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 360, 315));
  EXPECT_EQ(BarColor(), kDesignGreen);
  EXPECT_EQ(window.Picture().Width(), 0);
  EXPECT_FALSE(ToolWindow());  // the later steps, the taskbar one included, did not run
}

TEST_F(StartUpTest, ReadOnlySettingsFileIsRefusedWithAccessDenied) {
  files.AddFile(kDat, Encoded(Stored(kSmall)));
  files.SetReadOnly(kDat);
  Start();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ファイルへのアクセスが拒否されました.");
}

TEST_F(StartUpTest, FailedFirstChoiceKeepsNothingSoTheNextStartAsksAgain) {
  files.AddFile("C:\\pics\\broken.bmp", "not a bitmap at all");
  dialogs.WillChoose("C:\\pics\\broken.bmp");
  TForm1& window = Start();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ビットマップイメージが不正です.");
  EXPECT_TRUE(window.PicturePathText().empty());
  End();
  EXPECT_FALSE(files.Exists(kDat));
}

TEST_F(StartUpTest, PathsTheRecordCannotHoldUseTheShortNameOrAreRefused) {
  const std::string longPath = "C:\\" + std::string(300, 'a') + "\\x.bmp";
  dialogs.fileAnswers.push_back(ChosenFile{longPath, longPath, std::string(kSmall)});
  TForm1& window = Start();
  EXPECT_EQ(window.PicturePathText(), kSmall);
  EXPECT_TRUE(windows.messageBoxes.empty());
  End();

  // Neither spelling fits: refused in words, nothing chosen.
  files.Remove(kDat);
  ResetFileFormats();
  RegisterJpegPictureFormats();
  dialogs.fileAnswers.push_back(ChosenFile{u8"C:\\pics\\🙂.bmp", std::nullopt, std::nullopt});
  TForm1& second = Start();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, std::string(kPathNotStorableMessage) + ".");
  EXPECT_TRUE(second.PicturePathText().empty());
}

TEST_F(StartUpTest, PositionNoMonitorShowsIsBroughtBackAndVisibleOnesAreKept) {
  SettingsRecord record = Stored(kSmall);
  record.WindowTop = 5000;
  record.WindowLeft = 5000;
  TForm1& window = Start(record);
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(1280 - 210, 1024 - 110, 210, 110));
}

// A program folder named in characters outside the ANSI code page: the settings file beside
// the program is found and saved there, under its UTF-8 path.
TEST_F(StartUpTest, AFolderTheAnsiCodePageCannotSpellStillHoldsTheSettings) {
  const FilePath dat = FilePath::Utf8(u8"C:\\한글\\tavilune.dat");
  files.AddFile(dat, Encoded(Stored(kSmall)));
  TForm1& window = MakeWindow(
      [](TForm1& form) { RunStartUp(form, FilePath::Utf8(u8"C:\\한글\\tavilune.exe")); });
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(30, 40, 210, 110));
  window.SetLeft(77);
  End();
  SettingsRecord expected = Stored(kSmall);
  expected.WindowLeft = 77;
  EXPECT_EQ(files.Contents(dat), Encoded(expected));
}

// An edited file can hold any thickness and place: small thicknesses stay as they are, larger
// ones take the bound, and places at the ends of the coordinate range come back on screen
// without any size or edge overflowing on the way.
TEST_F(StartUpTest, EditedThicknessAndPlaceAreBoundedWithoutOverflow) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Row {
    std::int32_t thickness, left, top, savedThickness;
    Rect shown;
  } rows[] = {
      {7, 30, 40, 7, RectFromSize(30, 40, 214, 114)},
      {1 << 30, kMax, kMin, 255, RectFromSize(1280 - 710, 0, 710, 610)},
      {kMax, kMin, kMax, 255, RectFromSize(0, 1024 - 610, 710, 610)},
      {100000, 30, 40, 255, RectFromSize(30, 40, 710, 610)},
  };
  for (const Row& row : rows) {
    ResetFileFormats();
    RegisterJpegPictureFormats();
    SettingsRecord record = Stored(kSmall);
    record.FrameThickness = row.thickness;
    record.WindowLeft = row.left;
    record.WindowTop = row.top;
    TForm1& window = Start(record);
    EXPECT_EQ(windows.WindowRect(window.Handle()), row.shown) << row.thickness;
    End();
    EXPECT_EQ(Saved().FrameThickness, row.savedThickness);
  }
}

}  // namespace
}  // namespace tavilune::testing
