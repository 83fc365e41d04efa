#include "window_fixture.h"

namespace tavilune::testing {
namespace {

constexpr std::uint32_t kTrayCallback = msg::kUser + 200;

class TrayHidingTest : public WindowFixture {
 protected:
  TForm1& Ready() {
    TForm1& window = LoadedWindow(3);
    window.SetBounds(300, 200, window.Width(), window.Height());
    window.Show();
    return window;
  }
  // Ready(), then a double click on the picture, which asks to hide the window in the tray.
  TForm1& Hidden() {
    TForm1& window = Ready();
    DoubleClickPicture();
    return window;
  }
  void DoubleClickPicture() {
    windows.Deliver(form->Handle(), msg::kLButtonDblClk, 0, (20 << 16) | 20);
  }
  // The shell reports a mouse message on the icon to the callback window it was given.
  void Tray(std::intptr_t mouseMessage) {
    const NotifyIconRecord record = shell.CallsOf(kNimAdd).back().record;
    windows.Deliver(record.hWnd, kTrayCallback, record.uID, mouseMessage);
  }
};

TEST_F(TrayHidingTest, DoubleClickHidesBehindAnIconTippedTavilune) {
  TForm1& window = Hidden();
  EXPECT_FALSE(Shown().visible);
  ASSERT_EQ(shell.CallsOf(kNimAdd).size(), 1u);
  const NotifyIconRecord record = shell.CallsOf(kNimAdd)[0].record;
  EXPECT_EQ(record.Tip(), "Tavilune");
  EXPECT_EQ(record.uFlags, 7u);
  // The tray icon's own small image, not its large one shrunk by the shell.
  EXPECT_EQ(record.hIcon, windows.LoadIconResource("TRAYICON", IconSize::kSmall, 96));
  EXPECT_TRUE(window.InTray());
  // Hidden, not minimised: the place is kept.
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(300, 200, 206, 106));
}

TEST_F(TrayHidingTest, RefusedIconLeavesTheWindowShownAndTheNextTryWorks) {
  TForm1& window = Ready();
  shell.refused.insert(kNimAdd);
  DoubleClickPicture();
  EXPECT_TRUE(Shown().visible);
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"タスクトレイにアイコンを登録できません。.");
  EXPECT_FALSE(window.InTray());
  shell.refused.clear();
  DoubleClickPicture();
  EXPECT_FALSE(Shown().visible);
  EXPECT_TRUE(window.InTray());
}

TEST_F(TrayHidingTest, LeftOrMiddlePressBringsTheWindowBackToTheForegroundAndStoresNotInTray) {
  for (std::intptr_t press : {msg::kLButtonDown, msg::kMButtonDown}) {
    TForm1& window = Hidden();
    windows.foregroundCalls.clear();
    Tray(press);
    EXPECT_TRUE(Shown().visible);
    EXPECT_EQ(windows.foregroundCalls, std::vector<WindowHandle>{window.Handle()});
    EXPECT_FALSE(window.InTray());
    EXPECT_EQ(shell.CallsOf(kNimDelete).size(), 1u);
    EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(300, 200, 206, 106));
    DestroyWindow();
    EXPECT_EQ(Saved().InTray, 0);
    shell.calls.clear();
  }
}

TEST_F(TrayHidingTest, RightPressOpensTheTrayMenuAndRestoreNeedsNoForeground) {
  TForm1& window = Hidden();
  std::size_t foregroundBeforeChoice = 0;
  windows.onPopup = [&](const PopupCall&, MenuListener*) { return std::uint32_t{0}; };
  Tray(msg::kRButtonDown);
  ASSERT_EQ(windows.popups.size(), 1u);
  ASSERT_EQ(windows.popups[0].items.size(), 2u);
  EXPECT_EQ(windows.popups[0].items[0].caption, u8"元のサイズに戻す");
  EXPECT_EQ(windows.popups[0].items[1].caption, u8"終了");
  EXPECT_FALSE(Shown().visible);  // closed without a choice: still hidden

  windows.onPopup = [&](const PopupCall& call, MenuListener*) {
    foregroundBeforeChoice = windows.foregroundCalls.size();
    return call.items[0].id;
  };
  Tray(msg::kRButtonDown);
  EXPECT_TRUE(Shown().visible);
  EXPECT_FALSE(window.InTray());
  EXPECT_EQ(windows.foregroundCalls.size(), foregroundBeforeChoice);
}

TEST_F(TrayHidingTest, ExitFromTheTrayStoresInTrayAndSoDoesLogOffWhileHidden) {
  Hidden();
  EXPECT_EQ(windows.Deliver(form->Handle(), msg::kQueryEndSession), 1);
  EXPECT_EQ(Saved().InTray, 1);

  windows.onPopup = [](const PopupCall& call, MenuListener*) { return call.items[1].id; };
  Tray(msg::kRButtonDown);
  EXPECT_TRUE(app.Terminated());
  DestroyWindow();
  EXPECT_EQ(Saved().InTray, 1);
  EXPECT_EQ(shell.CallsOf(kNimDelete).size(), 1u);  // the icon leaves with the window
}

TEST_F(TrayHidingTest, StayOnTopSurvivesHidingAndMinimiseItemHidesToo) {
  TForm1& window = Ready();
  window.SetStayOnTop(true);
  windows.onPopup = [](const PopupCall& call, MenuListener* listener) {
    listener->SubmenuOpening(call.items[2].id);
    return call.items[2].children[0].id;  // "最小化"
  };
  windows.Deliver(window.Handle(), msg::kContextMenu, window.Handle(), (250 << 16) | 350);
  EXPECT_FALSE(Shown().visible);
  windows.onPopup = nullptr;
  Tray(msg::kLButtonDown);
  EXPECT_TRUE(Shown().visible);
  EXPECT_TRUE(Shown().topmost);
  window.Window1Click();
  EXPECT_TRUE(window.PopupMenu1().Items().Find("MainMenuStayOnTop")->Checked());
}

// The taskbar made anew after the scaling changed takes the small image for its DPI now.
TEST_F(TrayHidingTest, AShellMadeAnewGetsTheIconImageForItsDpiNow) {
  Hidden();
  windows.dpi = 144;
  shell.Restart();
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  ASSERT_EQ(shell.CallsOf(kNimAdd).size(), 2u);
  EXPECT_EQ(shell.CallsOf(kNimAdd)[1].record.hIcon,
            windows.LoadIconResource("TRAYICON", IconSize::kSmall, 144));
  EXPECT_NE(shell.CallsOf(kNimAdd)[1].record.hIcon, shell.CallsOf(kNimAdd)[0].record.hIcon);
}

// Never a hidden window without an icon: a shell that comes back but refuses the icon, or no
// icon image at all, leaves the window shown in its place and saved as not in the tray.
TEST_F(TrayHidingTest, WithoutAnIconShownTheWindowComesBackAndIsSavedAsShown) {
  Hidden();
  shell.Restart();
  shell.refused.insert(kNimAdd);
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  EXPECT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_TRUE(Shown().visible);
  EXPECT_EQ(windows.WindowRect(form->Handle()), RectFromSize(300, 200, 206, 106));
  DestroyWindow();
  EXPECT_EQ(Saved().InTray, 0);
  shell.refused.clear();
  shell.calls.clear();

  windows.iconResourcesFound = false;
  app.SetIcon(0);
  TForm1& window = Hidden();
  EXPECT_TRUE(Shown().visible);
  app.showMainForm = true;
  window.Hide();
  window.StartHidden();
  EXPECT_TRUE(app.showMainForm);
  EXPECT_FALSE(window.InTray());
  EXPECT_TRUE(shell.calls.empty());
  DestroyWindow();
  EXPECT_EQ(Saved().InTray, 0);
}

}  // namespace
}  // namespace tavilune::testing
