#include "window/picture_window.h"

#include "window_fixture.h"

namespace tavilune::testing {
namespace {

std::intptr_t At(int x, int y) { return (y << 16) | (x & 0xFFFF); }

class PictureWindowTest : public WindowFixture {};

TEST_F(PictureWindowTest, StartsAsTheDesignWindowWithItsGreenFrame) {
  TForm1& window = MakeWindow();
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 360, 315));
  EXPECT_EQ(Shown().spec.className, "TForm1");
  EXPECT_EQ(Shown().spec.title, "Tavilune");
  EXPECT_EQ(Shown().spec.style & msg::kStyleCaption, 0u);
  EXPECT_EQ(Shown().spec.parent, app.Handle());
  EXPECT_EQ(BarColor(), kDesignGreen);
  EXPECT_EQ(PaintedBars().at(0).rect, (Rect{0, 0, 360, 3}));
  EXPECT_EQ(PaintedBars().at(2).rect, (Rect{357, 3, 360, 312}));
}

TEST_F(PictureWindowTest, LoadingAndThicknessResizeAroundAFixedCorner) {
  TForm1& window = LoadedWindow(5);
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 210, 110));
  EXPECT_EQ(window.Image1Bounds(), RectFromSize(5, 5, 200, 100));
  window.SetFrameThickness(0);
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 200, 100));
  EXPECT_TRUE(PaintedBars().empty());

  // A new picture takes the current thickness at once.
  window.SetFrameThickness(2);
  window.LoadPictureFile(kOther);
  window.FitToPicture();
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 44, 34));
}

TEST_F(PictureWindowTest, NegativeThicknessShowsNoFrameAndIsKeptAsZero) {
  TForm1& window = MakeWindow();
  window.LoadPictureFile(kSmall);
  window.SetFrameThickness(-3);
  window.N3Click();
  EXPECT_TRUE(window.PopupMenu1().Items().Find("MainMenuTNONE")->Checked());
  EXPECT_EQ(windows.WindowRect(window.Handle()).Width(), 200);
}

TEST_F(PictureWindowTest, PaintsThePictureAtItsPlaceAndTheBarsOverIt) {
  LoadedWindow(3).SetFrameColor(0x0000FF);
  Painted();
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kDrawDib), 1u);
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kFillRect), 4u);
  // The picture first, unscaled at (3, 3); then the four bars in the frame colour.
  EXPECT_EQ(canvas.calls.front().call, FakeCanvas::Call::kDrawDib);
  EXPECT_EQ(canvas.calls.front().rect, RectFromSize(3, 3, 200, 100));
  for (const auto& bar : PaintedBars()) EXPECT_EQ(bar.color, 0x0000FF);
}

TEST_F(PictureWindowTest, LeftPressOnThePictureDragsAndElsewhereNothing) {
  TForm1& window = LoadedWindow(3);
  windows.sent.clear();
  windows.Deliver(window.Handle(), msg::kLButtonDown, 0, At(1, 1));  // on the frame
  windows.Deliver(window.Handle(), msg::kRButtonDown, 0, At(50, 50));
  windows.Deliver(window.Handle(), msg::kMButtonDown, 0, At(50, 50));
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_EQ(windows.releaseCaptureCalls, 0);

  windows.Deliver(window.Handle(), msg::kLButtonDown, 0x0004, At(50, 50));  // with Shift too
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.releaseCaptureCalls, 1);
  EXPECT_EQ(windows.sent[0].first, window.Handle());
  EXPECT_EQ(windows.sent[0].second.message, msg::kSysCommand);
  EXPECT_EQ(windows.sent[0].second.wParam, 0xF012u);
  EXPECT_EQ(windows.sent[0].second.lParam, 0);
}

TEST_F(PictureWindowTest, SavesItsStateAndNothingWithoutAPicture) {
  TForm1& window = MakeWindow();
  window.SetSettingsFilePath(kSettings);
  window.SaveSettings();
  EXPECT_FALSE(files.Exists(kSettings));

  window.LoadPictureFile(kSmall);
  window.SetPicturePath(kSmall);
  window.SetFrameThickness(4);
  window.SetFrameColor(0x123456);
  window.SetBounds(-50, 70, window.Width(), window.Height());
  window.SetStayOnTop(true);
  window.TrayIcon1().SetVisible(true);
  window.SaveSettings();
  ASSERT_EQ(files.Contents(kSettings).value_or("").size(), 276u);
  const SettingsRecord saved = Saved();
  EXPECT_EQ(saved.FrameColor, 0x123456);
  EXPECT_EQ(saved.FrameThickness, 4);
  EXPECT_EQ(saved.PicturePathText(), kSmall);
  EXPECT_EQ(saved.WindowTop, 70);
  EXPECT_EQ(saved.WindowLeft, -50);
  EXPECT_EQ(saved.InTray, 1);
  EXPECT_EQ(saved.StayOnTop, 1);
}

TEST_F(PictureWindowTest, EndOfSessionSavesAndAFailedSaveAsksToWait) {
  TForm1& window = LoadedWindow(3);
  EXPECT_EQ(windows.Deliver(window.Handle(), msg::kQueryEndSession), 1);
  EXPECT_TRUE(files.Exists(kSettings));
  EXPECT_TRUE(window.HandleAllocated());

  files.SetReadOnly(kSettings);
  EXPECT_EQ(windows.Deliver(window.Handle(), msg::kQueryEndSession), 0);
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ファイルへのアクセスが拒否されました.");
}

TEST_F(PictureWindowTest, DestructionSavesAndAFailureIsShownWithoutStoppingTheEnd) {
  LoadedWindow(3);
  files.AddFile(kSettings, std::string(276, 'x'));
  files.SetReadOnly(kSettings);
  DestroyWindow();
  EXPECT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(files.Contents(kSettings), std::string(276, 'x'));
}

// Colours turned through the picture's own profile are made again for the profile of the monitor
// the window is put down on, by reading the picture again; nothing else is read again.
TEST_F(PictureWindowTest, ColoursFollowTheProfileOfTheMonitorTheWindowIsOn) {
  struct Row {
    const char* what;
    bool profiled;
    const char* secondProfile;
    bool dragged;            // moved within the system's loop of moving a window
    bool damagedLater;       // the file no longer reads when the window moves
    std::size_t transforms;  // asked for after the move
  };
  const Row rows[] = {{"profiled picture, monitor of another profile", true, "b", false, false, 1},
                      {"profiled picture, monitor of the same profile", true, "a", false, false, 0},
                      {"picture without a profile", false, "b", false, false, 0},
                      {"dragged: made once put down", true, "b", true, false, 1},
                      {"file damaged meanwhile: kept, no box", true, "b", false, true, 0}};
  constexpr const char* kPath = "C:\\pics\\profiled.bmp";
  windows.monitors = {MonitorInfo{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, "1"},
                      MonitorInfo{{1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}, "2"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    colors = FakeColorManagement();
    colors.displayProfiles = {{"1", "a"}, {"2", row.secondProfile}};
    ProfiledBitmap profiled;
    profiled.spec.pixels.assign(16, 0x40);
    const auto bytes = profiled.Make();
    files.AddFile(kPath,
                  row.profiled ? std::string(bytes.begin(), bytes.end()) : SolidBitmap(2, 2));
    TForm1& window = MakeWindow();
    window.SetSettingsFilePath(kSettings);
    windows.Deliver(window.Handle(), msg::kMove);  // as the system does when it makes a window
    window.LoadPictureFile(kPath);
    window.SetPicturePath(kPath);
    window.FitToPicture();
    const TGraphic* before = window.Picture().Graphic();
    const std::size_t asked = colors.requests.size();
    if (row.damagedLater) files.AddFile(kPath, "BM");
    if (row.dragged) windows.Deliver(window.Handle(), msg::kEnterSizeMove);
    window.SetBounds(1400, 100, window.Width(), window.Height());
    windows.Deliver(window.Handle(), msg::kMove);
    if (row.dragged) {
      EXPECT_EQ(colors.requests.size(), asked) << "nothing while the window is dragged";
      windows.Deliver(window.Handle(), msg::kExitSizeMove);
    }
    EXPECT_EQ(colors.requests.size() - asked, row.transforms);
    if (row.transforms > 0) {
      EXPECT_EQ(colors.requests.back().display, "2");
    }
    EXPECT_EQ(window.Picture().Graphic() != before, row.transforms > 0);
    EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(1400, 100, 2, 2));
    EXPECT_TRUE(windows.messageBoxes.empty());
    DestroyWindow();
  }
}

}  // namespace
}  // namespace tavilune::testing
