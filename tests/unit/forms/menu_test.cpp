#include "forms/menu.h"

#include <gtest/gtest.h>

#include <optional>

#include "fakes/fake_window_system.h"
#include "forms/application.h"
#include "forms/messages.h"
#include "platform/exceptions.h"

namespace tavilune {
namespace {

using testing::FakeWindowSystem;

class PopupMenuTest : public ::testing::Test {
 protected:
  PopupMenuTest() {
    app.Initialize();
    app.SetTitle("Tavilune");
  }
  FakeWindowSystem windows;
  TApplication app{windows};
  TPopupMenu menu{nullptr, app};
};

TEST_F(PopupMenuTest, ShowsTheTreeAtThePointAndRunsTheChoiceAfterItClosed) {
  TMenuItem& frame = menu.Items().Add("N1", u8"枠");
  TMenuItem& thickness = frame.Add("N3", u8"太さ");
  TMenuItem& one = thickness.Add("MainMenuT1", "1");
  TMenuItem& exit = menu.Items().Add("MainMenuEXIT", u8"終了");
  int opened = 0;
  thickness.onClick = [&] {
    ++opened;
    one.SetChecked(true);
  };
  std::optional<std::size_t> popupsWhenExitRan;  // none while it has not run
  exit.onClick = [&] { popupsWhenExitRan = windows.popups.size(); };
  std::vector<MenuItemSpec> seenOnOpening;
  windows.onPopup = [&](const testing::PopupCall& call, MenuListener* listener) {
    seenOnOpening = listener->SubmenuOpening(call.items[0].children[0].id);
    return call.items[1].id;
  };

  menu.Popup(-20, 300);
  ASSERT_EQ(windows.popups.size(), 1u);
  const auto& call = windows.popups[0];
  EXPECT_EQ(call.at, (Point{-20, 300}));
  EXPECT_EQ(call.flags, msg::kTpmRightButton);
  EXPECT_EQ(call.owner, app.Handle());
  ASSERT_EQ(call.items.size(), 2u);
  EXPECT_EQ(call.items[0].caption, u8"枠");
  EXPECT_EQ(call.items[0].children[0].children[0].caption, "1");
  EXPECT_EQ(opened, 1);
  ASSERT_EQ(seenOnOpening.size(), 1u);
  EXPECT_TRUE(seenOnOpening[0].checked);
  EXPECT_EQ(popupsWhenExitRan, 1u);  // ran, and after the menu closed
}

TEST_F(PopupMenuTest, DisabledOrNoChoiceRunsNothing) {
  TMenuItem& colour = menu.Items().Add("MainMenuCOLOR", u8"色");
  int ran = 0;
  colour.onClick = [&] { ++ran; };
  colour.SetEnabled(false);
  windows.onPopup = [](const testing::PopupCall& call, MenuListener*) { return call.items[0].id; };
  menu.Popup(0, 0);
  windows.onPopup = nullptr;
  colour.SetEnabled(true);
  menu.Popup(0, 0);
  EXPECT_EQ(ran, 0);
}

TEST_F(PopupMenuTest, AFailingSubmenuHandlerIsShownAndTheMenuGoesOn) {
  TMenuItem& window = menu.Items().Add("Window1", u8"ウィンドウ");
  TMenuItem& onTop = window.Add("MainMenuStayOnTop", u8"常に前面");
  window.onClick = [] { throw Exception(u8"開けません"); };
  bool ran = false;
  onTop.onClick = [&] { ran = true; };
  std::vector<MenuItemSpec> states;
  windows.onPopup = [&](const testing::PopupCall& call, MenuListener* listener) {
    states = listener->SubmenuOpening(call.items[0].id);
    return call.items[0].children[0].id;
  };
  EXPECT_NO_THROW(menu.Popup(0, 0));
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"開けません.");
  EXPECT_EQ(states.size(), 1u);
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tavilune
