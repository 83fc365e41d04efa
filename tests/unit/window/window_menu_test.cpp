#include "window/window_menu.h"

#include "window/about_box.h"
#include "window_fixture.h"

namespace tavilune::testing {
namespace {

class WindowMenuTest : public WindowFixture {
 protected:
  TForm1& Ready() {
    TForm1& window = LoadedWindow(3);
    window.SetFrameColor(kWhite);
    return window;
  }
  TMenuItem& Item(const char* name) { return *form->PopupMenu1().Items().Find(name); }

  // Opens the menu as the system would, opening each named submenu before choosing the leaf.
  void Choose(std::vector<std::string> path) {
    windows.onPopup = [this, path](const PopupCall& call, MenuListener* listener) {
      const std::vector<MenuItemSpec>* level = &call.items;
      std::uint32_t id = 0;
      for (const std::string& caption : path) {
        for (const MenuItemSpec& spec : *level) {
          if (spec.caption != caption) continue;
          id = spec.id;
          if (!spec.children.empty()) {
            listener->SubmenuOpening(spec.id);
            level = &spec.children;
          }
          break;
        }
      }
      return id;
    };
    windows.Deliver(form->Handle(), msg::kContextMenu, form->Handle(), (300 << 16) | 250);
  }
};

TEST_F(WindowMenuTest, TreeAndCaptionsAreExactlyTheDesign) {
  Ready();
  windows.Deliver(form->Handle(), msg::kContextMenu, form->Handle(), (300 << 16) | 250);
  ASSERT_EQ(windows.popups.size(), 1u);
  const PopupCall& call = windows.popups[0];
  EXPECT_EQ(call.at, (Point{250, 300}));
  EXPECT_EQ(call.flags, 2u);
  std::vector<std::string> top;
  for (const auto& item : call.items) top.push_back(item.caption);
  EXPECT_EQ(top, (std::vector<std::string>{u8"枠", "-", u8"ウィンドウ", u8"画像選択", "-",
                                           u8"Taviluneについて...", u8"終了"}));
  EXPECT_EQ(call.items[0].children[0].caption, u8"色");
  std::vector<std::string> thickness;
  for (const auto& item : call.items[0].children[1].children) thickness.push_back(item.caption);
  EXPECT_EQ(thickness, (std::vector<std::string>{u8"無し", "1", "2", "3", "4", "5"}));
  EXPECT_EQ(call.items[2].children[0].caption, u8"最小化");
  EXPECT_EQ(call.items[2].children[1].caption, u8"常に前面");
}

TEST_F(WindowMenuTest, MenuKeyOpensItAtTheWindowCorner) {
  TForm1& window = Ready();
  window.SetBounds(40, 60, window.Width(), window.Height());
  windows.Deliver(window.Handle(), msg::kContextMenu, window.Handle(), -1);
  ASSERT_EQ(windows.popups.size(), 1u);
  EXPECT_EQ(windows.popups[0].at, (Point{40, 60}));
}

TEST_F(WindowMenuTest, ThicknessChecksAndColourGreyingFollowTheState) {
  TForm1& window = Ready();
  for (int thickness : {0, 1, 2, 3, 4, 5, 7}) {
    window.SetFrameThickness(thickness);
    window.N1Click();
    window.N3Click();
    EXPECT_EQ(Item("MainMenuCOLOR").Enabled(), thickness != 0) << thickness;
    for (int n = 0; n < 6; ++n) {
      EXPECT_EQ(Item(kThicknessItems[n]).Checked(), n == thickness) << thickness << " item " << n;
    }
  }
}

TEST_F(WindowMenuTest, ThicknessItemsResizeFromTheCornerAndKeepTheColour) {
  TForm1& window = Ready();
  window.SetFrameColor(0x0000FF);
  Choose({u8"枠", u8"太さ", u8"無し"});
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 200, 100));
  Choose({u8"枠", u8"太さ", "2"});
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 204, 104));
  EXPECT_EQ(BarColor(), 0x0000FF);
  Choose({u8"枠", u8"太さ", "5"});
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 210, 110));
}

TEST_F(WindowMenuTest, ColourChooserStartsBlackThenOnTheLastConfirmedColour) {
  TForm1& window = Ready();
  window.SetFrameColor(0x00FF00);
  dialogs.onPickColor = [](const ColorRequest& request) { (*request.customColors)[3] = 0x112233; };
  dialogs.colorAnswers = {Color{0x0000FF}, std::nullopt, Color{0x00FFFF}};
  window.MainMenuCOLORClick();
  window.MainMenuCOLORClick();  // cancelled: nothing changes
  window.MainMenuCOLORClick();
  ASSERT_EQ(dialogs.colorRequests.size(), 3u);
  EXPECT_EQ(dialogs.colorRequests[0].initial, 0);  // not the frame colour
  EXPECT_EQ(dialogs.colorRequests[0].flags, 0x11u);
  EXPECT_EQ(dialogs.colorRequests[0].owner, app.Handle());
  EXPECT_EQ(dialogs.colorRequests[1].initial, 0x0000FF);
  EXPECT_EQ(dialogs.colorRequests[2].initial, 0x0000FF);
  // Custom colours start empty and last for the run.
  EXPECT_EQ(dialogs.colorCustomsSeen[0][3], 0xFFFFFFFFu);
  EXPECT_EQ(dialogs.colorCustomsSeen[1][3], 0x112233u);
  EXPECT_EQ(BarColor(), 0x00FFFF);
  // Centred across the monitor, a third of the free height from the top.
  EXPECT_EQ(dialogs.colorRequests[0].place(200, 300), (Point{540, 241}));
}

TEST_F(WindowMenuTest, StayOnTopTogglesAndIsCheckedWhenOn) {
  TForm1& window = Ready();
  for (bool on : {true, false}) {
    Choose({u8"ウィンドウ", u8"常に前面"});
    EXPECT_EQ(window.IsStayOnTop(), on);
    EXPECT_EQ(Shown().topmost, on);
    window.Window1Click();
    EXPECT_EQ(Item("MainMenuStayOnTop").Checked(), on);
  }
}

TEST_F(WindowMenuTest, NewPictureFitsTheWindowAndAFailedOneChangesNothing) {
  TForm1& window = Ready();
  window.SetFrameColor(0x0000FF);
  dialogs.WillChoose(kOther);
  Choose({u8"画像選択"});
  EXPECT_EQ(windows.WindowRect(window.Handle()), RectFromSize(192, 107, 46, 36));
  EXPECT_EQ(window.PicturePathText(), kOther);
  EXPECT_EQ(BarColor(), 0x0000FF);
  // The dialog starts empty until a file has been chosen in it, then on that file.
  EXPECT_EQ(dialogs.openRequests.back().initialPath, "");

  files.AddFile("C:\\pics\\broken.bmp", "BM broken");
  dialogs.WillChoose("C:\\pics\\broken.bmp");
  Choose({u8"画像選択"});
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(window.PicturePathText(), kOther);
  EXPECT_EQ(window.Picture().Width(), 40);

  dialogs.WillCancel();
  Choose({u8"画像選択"});
  EXPECT_EQ(window.PicturePathText(), kOther);
  EXPECT_EQ(dialogs.openRequests.back().initialPath, "C:\\pics\\broken.bmp");
}

TEST_F(WindowMenuTest, ExitClosesTheProgram) {
  Ready();
  Choose({u8"終了"});
  EXPECT_TRUE(app.Terminated());
}

TEST_F(WindowMenuTest, AboutBoxIsCentredOnceAndHoldsTheProgramWhileUp) {
  TForm1& window = Ready();
  window.Show();
  auto* about = new TForm2(app);
  window.onShowAbout = [about] { about->ShowModal(); };
  // Outer size in the fake: 231 + 8 by 81 + 28.
  EXPECT_EQ(about->BoundsRect(), RectFromSize(640 - 239 / 2, 512 - 109 / 2, 239, 109));
  EXPECT_EQ(about->Caption(), u8"Taviluneについて");
  bool pictureEnabledDuring = true;
  windows.Post(about->Handle(), WindowMessage{msg::kKeyDown, msg::kVkEscape, 0});
  windows.Post(about->Handle(), WindowMessage{msg::kClose, 0, 0});
  about->onKeyDown = [&](std::uintptr_t) {
    pictureEnabledDuring = windows.IsWindowEnabled(window.Handle());
  };
  window.MainMenuVersionClick();
  EXPECT_FALSE(pictureEnabledDuring);
  EXPECT_TRUE(windows.IsWindowEnabled(window.Handle()));
  EXPECT_FALSE(about->Visible());
  EXPECT_FALSE(app.Terminated());
}

}  // namespace
}  // namespace tavilune::testing
