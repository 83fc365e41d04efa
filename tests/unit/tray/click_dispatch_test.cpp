#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "tray_fixture.h"

namespace tavilune::testing {
namespace {

std::string Describe(TShiftState shift) {
  std::string text = "{";
  if (shift.Contains(ShiftFlag::kLeft)) text += "L";
  if (shift.Contains(ShiftFlag::kRight)) text += "R";
  if (shift.Contains(ShiftFlag::kMiddle)) text += "M";
  for (ShiftFlag key : {ShiftFlag::kShift, ShiftFlag::kAlt, ShiftFlag::kCtrl, ShiftFlag::kDouble}) {
    if (shift.Contains(key)) return text + "+keys}";
  }
  return text + "}";
}

std::string Describe(TMouseButton button) {
  static const std::map<TMouseButton, std::string> kNames = {{TMouseButton::kLeft, "left"},
                                                             {TMouseButton::kRight, "right"},
                                                             {TMouseButton::kMiddle, "middle"}};
  return kNames.at(button);
}

std::string Describe(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

using Log = std::vector<std::string>;

class ClickDispatchTest : public TrayTest {
 protected:
  // Every event of the icon, as text, in this->log. Gives the icon back.
  TTrayIcon* RecordEvents(TTrayIcon* icon) {
    auto press = [this](std::string kind) {
      return [this, kind](TTrayIcon&, TMouseButton button, TShiftState shift, int x, int y) {
        log.push_back(kind + " " + Describe(button) + " " + Describe(shift) + " " + Describe(x, y));
      };
    };
    icon->OnMouseDown = press("down");
    icon->OnMouseUp = press("up");
    icon->OnMouseMove = [this](TTrayIcon&, TShiftState shift, int x, int y) {
      log.push_back("move " + Describe(shift) + " " + Describe(x, y));
    };
    icon->OnClick = [this](TTrayIcon&) { log.push_back("click"); };
    icon->OnDblClick = [this](TTrayIcon&) { log.push_back("dblclick"); };
    return icon;
  }

  Log log;
};

struct DispatchCase {
  std::string setup;  // "events", "menus", "menus no-auto", "events+menus", "bare"
  std::uint32_t mouseMessage;
  Log expected;
};

TEST_F(ClickDispatchTest, EveryMouseMessageUnderEveryKindOfSetUp) {
  std::vector<DispatchCase> cases = {
      {"events", msg::kMouseMove, {"move {} -300,-20"}},
      {"events", msg::kLButtonDown, {"down left {L} -300,-20"}},
      {"events", msg::kLButtonUp, {"up left {L} -300,-20"}},
      {"events", msg::kLButtonDblClk, {"dblclick"}},
      {"events", msg::kRButtonDown, {"down right {R} -300,-20"}},
      {"events", msg::kRButtonUp, {"up right {R} -300,-20"}},
      {"events", msg::kRButtonDblClk, {}},
      {"events", msg::kMButtonDown, {"down middle {M} -300,-20"}},
      {"events", msg::kMButtonUp, {"up middle {M} -300,-20"}},
      {"events", msg::kMButtonDblClk, {}},
      {"events", 0x020A, {}},  // the wheel: no event of the icon
      {"events", msg::kNull, {}},
      {"events", msg::kUser, {}},
      {"events+menus", msg::kMouseMove, {"move {} -300,-20"}},
      {"events+menus", msg::kLButtonDown, {"popup LB -300,-20"}},
      {"events+menus", msg::kLButtonUp, {"up left {L} -300,-20"}},
      {"events+menus", msg::kRButtonDown, {"popup RB -300,-20"}},
      {"events+menus", msg::kRButtonUp, {"up right {R} -300,-20"}},
      {"events+menus", msg::kMButtonDown, {"down middle {M} -300,-20"}},
      {"events+menus no-auto", msg::kLButtonDown, {"down left {L} -300,-20"}},
      {"events+menus no-auto", msg::kRButtonDown, {"down right {R} -300,-20"}},
      {"menus", msg::kLButtonDown, {"popup LB -300,-20"}},
      {"menus", msg::kRButtonDown, {"popup RB -300,-20"}},
      {"menus", msg::kMButtonDown, {}},
      {"menus no-auto", msg::kLButtonDown, {}},
      {"menus no-auto", msg::kRButtonDown, {}},
  };
  // A bare icon, with neither events nor menus, does nothing for any of these.
  for (std::uint32_t message :
       {msg::kMouseMove, msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk, msg::kRButtonDown,
        msg::kRButtonUp, msg::kMButtonDown, msg::kMButtonUp}) {
    cases.push_back({"bare", message, {}});
  }
  windows.cursor = Point{-300, -20};
  for (const DispatchCase& row : cases) {
    SCOPED_TRACE(row.setup + " " + std::to_string(row.mouseMessage));
    TTrayIcon* icon = NewIcon();
    if (row.setup.starts_with("events")) RecordEvents(icon);
    if (row.setup.find("menus") != std::string::npos) {
      icon->SetLBPopupMenu(new RecordingMenu(form, app, "LB", log));
      icon->SetRBPopupMenu(new RecordingMenu(form, app, "RB", log));
    }
    if (row.setup.find("no-auto") != std::string::npos) icon->SetAutoPopup(false);
    log.clear();
    Mouse(icon, row.mouseMessage);
    EXPECT_EQ(log, row.expected);
    EXPECT_TRUE(workers.waiting.empty());
    delete icon;
  }
}

TEST_F(ClickDispatchTest, DisabledIconDoesNothingForAnyMessageButBecomesTheLastIcon) {
  TTrayIcon* icon = RecordEvents(NewIcon());
  icon->SetLBPopupMenu(new RecordingMenu(form, app, "LB", log));
  icon->SetRBPopupMenu(new RecordingMenu(form, app, "RB", log));
  icon->SetEnabled(false);
  for (std::uint32_t m = msg::kMouseMove; m <= msg::kMButtonDblClk; ++m) Mouse(icon, m);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(workers.waiting.empty());
  EXPECT_EQ(TCallbackWindow::Instance()->LastIcon(), icon);
}

TEST_F(ClickDispatchTest, UnknownIdentifierIsIgnored) {
  RecordEvents(NewIcon());
  windows.Deliver(TCallbackWindow::Instance()->Handle(), TrayCallbackMessage, 7, msg::kLButtonDown);
  windows.Deliver(TCallbackWindow::Instance()->Handle(), TrayCallbackMessage, 0, msg::kLButtonDown);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(TCallbackWindow::Instance()->LastIcon(), nullptr);
}

TEST_F(ClickDispatchTest, PopupBringsTheFormForwardEmptiesTheQueueFirstAndPostsANullAfter) {
  TTrayIcon* icon = NewIcon();
  icon->SetRBPopupMenu(new RecordingMenu(form, app, "RB", log));
  // A message waiting in the queue is handled before the menu shows.
  windows.Deliver(app.Handle(), msg::kNull);  // nothing queued yet: harmless
  windows.Post(form->Handle(), WindowMessage{msg::kKeyDown, 0x41, 0});
  form->onKeyDown = [this](std::uintptr_t) { log.push_back("queued message"); };
  windows.cursor = Point{1500, 700};
  Mouse(icon, msg::kRButtonDown);
  EXPECT_EQ(windows.foregroundCalls, std::vector<WindowHandle>{form->Handle()});
  EXPECT_EQ(log, (Log{"queued message", "popup RB 1500,700"}));
  ASSERT_EQ(windows.posted.size(), 1u);
  EXPECT_EQ(windows.posted[0].first, app.Handle());
  EXPECT_EQ(windows.posted[0].second.message, msg::kNull);
}

TEST_F(ClickDispatchTest, PopupOfAnIconOwnedByNoFormSkipsTheForeground) {
  TComponent plainOwner(nullptr);
  TTrayIcon* icon = NewIcon(&plainOwner);
  icon->SetLBPopupMenu(new RecordingMenu(&plainOwner, app, "LB", log));
  Mouse(icon, msg::kLButtonDown);
  EXPECT_TRUE(windows.foregroundCalls.empty());
  EXPECT_EQ(log, (Log{"popup LB 0,0"}));
  delete icon;
}

TEST_F(ClickDispatchTest, PopupIsDroppedWhenTheWaitingMessagesDestroyTheMenu) {
  TTrayIcon* icon = NewIcon();
  auto* menu = new RecordingMenu(form, app, "RB", log);
  icon->SetRBPopupMenu(menu);
  windows.Post(form->Handle(), WindowMessage{msg::kKeyDown, 0x41, 0});
  form->onKeyDown = [menu](std::uintptr_t) { delete menu; };
  Mouse(icon, msg::kRButtonDown);
  EXPECT_TRUE(log.empty());
}

TEST_F(ClickDispatchTest, RightDoubleClickWithoutMenuGivesOnePressAndTwoReleases) {
  TTrayIcon* icon = RecordEvents(NewIcon());
  Mouse(icon, {msg::kRButtonDown, msg::kRButtonUp, msg::kRButtonDblClk, msg::kRButtonUp});
  EXPECT_EQ(log, (Log{"down right {R} 0,0", "up right {R} 0,0", "up right {R} 0,0"}));
}

TEST_F(ClickDispatchTest, EventHandlerFailureGoesToTheErrorBox) {
  TTrayIcon* icon = NewIcon();
  icon->OnMouseDown = [](TTrayIcon&, TMouseButton, TShiftState, std::int32_t, std::int32_t) {
    throw EInvalidGraphic(u8"ビットマップイメージが不正です");
  };
  Mouse(icon, msg::kLButtonDown);
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ビットマップイメージが不正です.");
}

using SingleClickTest = ClickDispatchTest;

TEST_F(SingleClickTest, SingleClickFiresOnClickOnceAfterTheDoubleClickTimePlusFifty) {
  windows.doubleClickTime = 430;
  TTrayIcon* icon = RecordEvents(NewIcon());
  icon->OnMouseUp = nullptr;
  Mouse(icon, {msg::kLButtonDown, msg::kLButtonUp});
  EXPECT_TRUE(icon->ClickPending());
  ASSERT_EQ(workers.waiting.size(), 1u);
  EXPECT_EQ(log, (Log{"down left {L} 0,0"}));

  workers.FinishNext();
  EXPECT_EQ(workers.Slept(), (std::vector<std::uint32_t>{480}));
  EXPECT_EQ(log, (Log{"down left {L} 0,0", "click"}));
  EXPECT_FALSE(icon->ClickPending());
}

TEST_F(SingleClickTest, DoubleClickFiresOnDblClickAndNoClick) {
  TTrayIcon* icon = RecordEvents(NewIcon());
  icon->OnMouseUp = nullptr;
  Mouse(icon, {msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk, msg::kLButtonUp});
  EXPECT_EQ(workers.waiting.size(), 1u);  // the second release starts none
  EXPECT_FALSE(icon->ClickPending());
  workers.FinishNext();
  EXPECT_EQ(log, (Log{"down left {L} 0,0", "dblclick"}));
}

TEST_F(SingleClickTest, SecondClickOfASlowDoubleClickStartsNoNewWait) {
  TTrayIcon* icon = RecordEvents(NewIcon());
  icon->OnMouseUp = nullptr;
  icon->OnMouseDown = nullptr;
  Mouse(icon, {msg::kLButtonDown, msg::kLButtonUp});
  workers.FinishNext();  // the first click was taken for a single one
  Mouse(icon, {msg::kLButtonDblClk, msg::kLButtonUp});
  EXPECT_TRUE(workers.waiting.empty());
  EXPECT_FALSE(icon->ClickPending());
  EXPECT_EQ(log, (Log{"click", "dblclick"}));
}

TEST_F(SingleClickTest, MouseUpHandlerTakesTheReleaseSoOnClickNeverFires) {
  TTrayIcon* icon = RecordEvents(NewIcon());
  Mouse(icon, {msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk, msg::kLButtonUp});
  EXPECT_TRUE(workers.waiting.empty());
  EXPECT_EQ(log, (Log{"down left {L} 0,0", "up left {L} 0,0", "dblclick", "up left {L} 0,0"}));
}

TEST_F(SingleClickTest, ReleaseWithoutClickHandlersClearsThePendingFlag) {
  TTrayIcon* icon = NewIcon();
  Mouse(icon, msg::kLButtonDblClk);
  EXPECT_TRUE(icon->ClickPending());
  Mouse(icon, msg::kLButtonUp);
  EXPECT_FALSE(icon->ClickPending());
  EXPECT_TRUE(workers.waiting.empty());
}

TEST_F(SingleClickTest, DestroyingTheIconWhileTheWorkerSleepsMakesTheCompletionDoNothing) {
  TTrayIcon* icon = NewIcon();
  icon->OnClick = [this](TTrayIcon&) { log.push_back("click"); };
  Mouse(icon, msg::kLButtonUp);
  delete icon;
  // Another icon takes the freed identifier; the completion must not mistake it for the first.
  TTrayIcon* successor = NewIcon();
  successor->OnClick = [this](TTrayIcon&) { log.push_back("successor click"); };
  workers.FinishNext();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(successor->Identifier(), 1);
}

TEST_F(SingleClickTest, DestroyingTheOwnerWhileTheWorkerSleepsDropsTheCompletion) {
  TTrayIcon* icon = NewIcon();
  icon->OnClick = [this](TTrayIcon&) { log.push_back("click"); };
  Mouse(icon, msg::kLButtonUp);
  delete form;
  workers.FinishNext();
  EXPECT_TRUE(log.empty());
}

TEST_F(SingleClickTest, CompletionActsOnTheIconOfTheLatestMessage) {
  TTrayIcon* first = NewIcon();
  TTrayIcon* second = NewIcon();
  first->OnClick = [this](TTrayIcon&) { log.push_back("first click"); };
  second->OnClick = [this](TTrayIcon&) { log.push_back("second click"); };

  // A click on the first, then the mouse passes over the second within the wait.
  Mouse(first, msg::kLButtonUp);
  Mouse(second, msg::kMouseMove);
  workers.FinishNext();
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(first->ClickPending());  // the completion looked at the second only

  // Clicks on both: the first completion fires the second's click, the second finds it done.
  first->SetEnabled(false);
  first->SetEnabled(true);
  Mouse(first, msg::kLButtonUp);
  Mouse(second, msg::kLButtonUp);
  workers.FinishNext();
  workers.FinishNext();
  EXPECT_EQ(log, (Log{"second click"}));
}

TEST_F(SingleClickTest, FailingClickHandlerGoesToTheErrorBoxAndEndsTheClick) {
  TTrayIcon* icon = NewIcon();
  icon->OnClick = [](TTrayIcon&) { throw ENotifyIconError(kNotifyIconErrorText); };
  Mouse(icon, msg::kLButtonUp);
  workers.FinishNext();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, std::string(kNotifyIconErrorText) + ".");
  EXPECT_EQ(windows.messageBoxes[0].caption, "Tavilune");
  EXPECT_FALSE(icon->ClickPending());
  // The next click starts a new wait instead of being taken for the end of a double click.
  Mouse(icon, msg::kLButtonUp);
  EXPECT_EQ(workers.waiting.size(), 1u);
  workers.FinishNext();
}

TEST_F(SingleClickTest, SystemWorkerSleepsOnItsOwnThreadAndHandsTheClickBack) {
  windows.doubleClickTime = 0;
  auto* icon = new TTrayIcon(form, app, shell);  // the system's workers
  std::thread::id clickedOn;
  int clicks = 0;
  icon->OnClick = [&](TTrayIcon&) {
    clickedOn = std::this_thread::get_id();
    ++clicks;
  };
  Mouse(icon, msg::kLButtonUp);
  auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (clicks == 0 && std::chrono::steady_clock::now() < giveUp) {
    app.CheckSynchronize();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(clickedOn, std::this_thread::get_id());
}

using CallbackWindowLifeTest = ClickDispatchTest;

TEST_F(CallbackWindowLifeTest, AnIconMadeAfterTheFirstOwnerWentGetsAFreshWindow) {
  NewShownIcon();
  WindowHandle oldWindow = shell.calls.back().record.hWnd;
  auto* otherForm = new TForm(&app, app);
  TTrayIcon* survivor = NewIcon(otherForm);  // made while the first window lives
  delete form;
  form = nullptr;
  EXPECT_FALSE(windows.IsWindow(oldWindow));
  EXPECT_EQ(TCallbackWindow::Instance(), nullptr);

  TTrayIcon* later = NewIcon(otherForm);
  TCallbackWindow* fresh = TCallbackWindow::Instance();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Owner(), otherForm);
  later->SetVisible(true);
  WindowHandle newWindow = shell.calls.back().record.hWnd;
  EXPECT_NE(newWindow, oldWindow);
  EXPECT_TRUE(windows.IsWindow(newWindow));

  // The survivor's next add names the live window too, and its mouse activity arrives.
  survivor->SetVisible(true);
  EXPECT_EQ(shell.calls.back().record.hWnd, newWindow);
  RecordEvents(survivor);
  Mouse(survivor, msg::kMButtonDown);
  EXPECT_EQ(log, (Log{"down middle {M} 0,0"}));
}

}  // namespace
}  // namespace tavilune::testing
