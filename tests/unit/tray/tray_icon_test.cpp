#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/raised.h"
#include "platform/exceptions.h"
#include "tray/image_list.h"
#include "tray_fixture.h"

namespace tavilune::testing {
namespace {

using TrayIconIdentityTest = TrayTest;

TEST_F(TrayIconIdentityTest, IdentifiersFollowTheLastOneAndTheLargestIsGivenOutAgain) {
  TTrayIcon* first = NewIcon();
  EXPECT_EQ(first->Identifier(), 1);
  EXPECT_EQ(NewIcon()->Identifier(), 2);
  TTrayIcon* third = NewIcon();
  EXPECT_EQ(third->Identifier(), 3);

  delete third;
  EXPECT_EQ(NewIcon()->Identifier(), 3);

  delete first;
  TTrayIcon* fourth = NewIcon();
  EXPECT_EQ(fourth->Identifier(), 4);

  // The shell knows each icon by its identifier.
  fourth->SetVisible(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].record.uID, 4u);
  EXPECT_EQ(IconRegistry::Instance().Find("4"), fourth);
}

TEST_F(TrayIconIdentityTest, HundredIconsLiveAndTheNextIsRefusedLeavingTheRegistryAsItWas) {
  std::vector<TTrayIcon*> before;
  for (int i = 0; i < 100; ++i) before.push_back(NewIcon());
  std::size_t components = form->Components().size();

  EXPECT_EQ(Raised<ENotifyIconError>([&] { NewIcon(); }),
            u8"タスクトレイにアイコンを登録できません。");
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(IconRegistry::Instance().Find(std::to_string(i + 1)), before[i]);
  }
  EXPECT_EQ(IconRegistry::Instance().NextIdentifier(), 101);
  EXPECT_EQ(form->Components().size(), components);

  // Room again once one has gone.
  delete before.back();
  EXPECT_EQ(NewIcon()->Identifier(), 100);
}

using TrayIconPropertyTest = TrayTest;

TEST_F(TrayIconPropertyTest, AnimateRateHasAFloorOfOneHundred) {
  TTrayIcon* icon = NewIcon();
  EXPECT_EQ(icon->AnimateRate(), 500);
  struct Row {
    std::int32_t set, stored;
  } rows[] = {{50, 100}, {0, 100}, {-5, 100}, {100, 100}, {101, 101}, {750, 750}};
  for (const Row& row : rows) {
    icon->SetAnimateRate(row.set);
    EXPECT_EQ(icon->AnimateRate(), row.stored) << row.set;
  }
}

TEST_F(TrayIconPropertyTest, TipKeepsSixtyTwoBytesAndTheSameTipAgainCallsNothing) {
  TTrayIcon* icon = NewIcon();
  EXPECT_EQ(icon->TipHelp(), "TipHelp");
  icon->SetVisible(true);
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += static_cast<char>('A' + i % 26);

  icon->SetTipHelp(hundred);
  EXPECT_EQ(icon->TipHelp(), hundred.substr(0, 62));
  ASSERT_EQ(shell.CallsOf(kNimModify).size(), 1u);
  NotifyIconRecord sent = shell.CallsOf(kNimModify)[0].record;
  EXPECT_EQ(sent.Tip(), hundred.substr(0, 62));
  EXPECT_EQ(sent.szTip[62], '\0');
  EXPECT_EQ(sent.uFlags, 7u);

  icon->SetTipHelp(hundred);  // cut to the same 62 bytes
  icon->SetTipHelp(hundred.substr(0, 62));
  EXPECT_EQ(shell.CallsOf(kNimModify).size(), 1u);
}

TEST_F(TrayIconPropertyTest, EmptyTipSendsNoTipFlagAndTheShellKeepsItsTip) {
  TTrayIcon* icon = NewIcon();
  icon->SetTipHelp("Tavilune");
  icon->SetVisible(true);
  icon->SetTipHelp("");
  ASSERT_EQ(shell.CallsOf(kNimModify).size(), 1u);
  EXPECT_EQ(shell.CallsOf(kNimModify)[0].record.uFlags, 3u);
  ASSERT_EQ(shell.shown.size(), 1u);
  EXPECT_EQ(shell.shown.begin()->second.Tip(), "Tavilune");

  // An icon added with an empty tip is added without one.
  icon->SetVisible(false);
  icon->SetVisible(true);
  EXPECT_EQ(shell.CallsOf(kNimAdd).back().record.uFlags, 3u);
}

TEST_F(TrayIconPropertyTest, DisablingCancelsAPendingClick) {
  TTrayIcon* icon = NewIcon();
  int clicks = 0;
  icon->OnClick = [&](TTrayIcon&) { ++clicks; };
  Mouse(icon, {msg::kLButtonDown, msg::kLButtonUp});
  ASSERT_TRUE(icon->ClickPending());
  icon->SetEnabled(false);
  EXPECT_FALSE(icon->ClickPending());
  icon->SetEnabled(true);
  workers.FinishNext();
  EXPECT_EQ(clicks, 0);
}

TEST_F(TrayIconPropertyTest, MenuSetOnBothSidesIsClearedFromBothByOneRemoval) {
  TTrayIcon* icon = NewIcon();
  auto* menu = new TPopupMenu(nullptr, app);
  auto* other = new TPopupMenu(nullptr, app);
  auto* frames = new TImageList(nullptr);
  icon->SetLBPopupMenu(menu);
  icon->SetRBPopupMenu(menu);
  icon->SetAnimateIcons(frames);
  delete other;  // not referred to: changes nothing
  EXPECT_EQ(icon->LBPopupMenu(), menu);
  delete menu;
  EXPECT_EQ(icon->LBPopupMenu(), nullptr);
  EXPECT_EQ(icon->RBPopupMenu(), nullptr);
  EXPECT_EQ(icon->AnimateIcons(), frames);
  delete frames;
  EXPECT_EQ(icon->AnimateIcons(), nullptr);
}

TEST_F(TrayIconPropertyTest, SettingTheOwnIconCopiesOrEmptiesItAndUpdatesAShownIcon) {
  TTrayIcon* icon = NewShownIcon();
  TIconPicture picture;
  picture.SetHandle(0x5A5A);
  icon->SetIcon(&picture);
  picture.SetHandle(0x6B6B);  // a copy: later changes of the source do not reach the icon
  EXPECT_EQ(icon->Icon().Handle(), 0x5A5Au);
  ASSERT_EQ(shell.CallsOf(kNimModify).size(), 1u);
  EXPECT_EQ(shell.CallsOf(kNimModify)[0].record.hIcon, 0x5A5Au);

  icon->SetIcon(&icon->Icon());  // itself: nothing
  EXPECT_EQ(shell.CallsOf(kNimModify).size(), 1u);

  icon->SetIcon(nullptr);
  EXPECT_TRUE(icon->Icon().Empty());
  ASSERT_EQ(shell.CallsOf(kNimModify).size(), 2u);
  // Emptied, the icon falls back on the application's.
  EXPECT_EQ(shell.CallsOf(kNimModify)[1].record.hIcon, app.Icon());
}

using TrayIconShellTest = TrayTest;

TEST_F(TrayIconShellTest, AddCarriesTheFirstFormRecordForTheCallbackWindow) {
  TTrayIcon* icon = NewIcon();
  icon->SetTipHelp("Tavilune");
  icon->Icon().SetHandle(0x4321);
  icon->SetVisible(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  const ShellCall& add = shell.calls[0];
  EXPECT_EQ(add.action, kNimAdd);
  EXPECT_EQ(add.record.cbSize, 88u);
  EXPECT_EQ(add.record.uCallbackMessage, 0x04C8u);
  EXPECT_EQ(add.record.uFlags, 7u);
  EXPECT_EQ(add.record.hIcon, 0x4321u);
  EXPECT_EQ(add.record.Tip(), "Tavilune");
  EXPECT_TRUE(icon->Added());

  // The callback window: a zero-size, hidden child of the owner form.
  TCallbackWindow* window = TCallbackWindow::Instance();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(add.record.hWnd, window->Handle());
  EXPECT_EQ(window->Owner(), form);
  const FakeWindow& fake = windows.Window(window->Handle());
  EXPECT_EQ(fake.spec.parent, form->Handle());
  EXPECT_NE(fake.style & static_cast<std::int32_t>(msg::kStyleChild), 0);
  EXPECT_TRUE(fake.bounds.Empty());
  EXPECT_EQ(fake.bounds.left, 0);
  EXPECT_EQ(fake.bounds.top, 0);
  EXPECT_FALSE(fake.visible);
}

TEST_F(TrayIconShellTest, VisibleTwiceAddsOnceAndHidingANeverAddedIconCallsNothing) {
  NewIcon()->SetVisible(false);  // never added
  EXPECT_TRUE(shell.calls.empty());

  TTrayIcon* icon = NewShownIcon();
  icon->SetVisible(true);
  EXPECT_EQ(shell.calls.size(), 1u);
  icon->SetVisible(false);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[1].action, kNimDelete);
  EXPECT_EQ(shell.calls[1].record.hWnd, shell.calls[0].record.hWnd);
  EXPECT_EQ(shell.calls[1].record.uID, shell.calls[0].record.uID);
  EXPECT_FALSE(icon->Added());
  EXPECT_TRUE(shell.shown.empty());
}

TEST_F(TrayIconShellTest, IconFallsBackOnTheFormThenTheApplicationAndWithoutAnyStaysHidden) {
  TTrayIcon* icon = NewIcon();
  form->SetIcon(0x777);
  EXPECT_EQ(icon->EffectiveIconHandle(), 0x777u);
  icon->SetVisible(true);
  EXPECT_EQ(shell.calls.at(0).record.hIcon, 0x777u);

  form->SetIcon(0);
  EXPECT_EQ(icon->EffectiveIconHandle(), app.Icon());
  ASSERT_NE(app.Icon(), 0u);

  // An owner that is no form: straight to the application's icon.
  TComponent plainOwner(nullptr);
  TTrayIcon* unowned = NewIcon(&plainOwner);
  EXPECT_EQ(unowned->EffectiveIconHandle(), app.Icon());
  delete unowned;

  icon->SetVisible(false);
  app.SetIcon(0);
  shell.calls.clear();
  icon->SetVisible(true);
  EXPECT_FALSE(icon->Visible());
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconShellTest, ChangesWhileHiddenReachTheShellOnlyWithTheNextAdd) {
  TTrayIcon* icon = NewIcon();
  icon->SetTipHelp("first");
  icon->Icon().SetHandle(0x1111);
  icon->SetVisible(true);
  icon->SetVisible(false);
  shell.calls.clear();

  icon->SetTipHelp("second");
  icon->Icon().SetHandle(0x2222);
  EXPECT_TRUE(shell.calls.empty());

  icon->SetVisible(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].record.Tip(), "second");
  EXPECT_EQ(shell.calls[0].record.hIcon, 0x2222u);
}

TEST_F(TrayIconShellTest, DestroyingAShownIconTakesItOutOfTheNotificationArea) {
  TTrayIcon* icon = NewShownIcon();
  delete icon;
  EXPECT_TRUE(shell.shown.empty());
  EXPECT_EQ(shell.calls.back().action, kNimDelete);
  EXPECT_EQ(IconRegistry::Instance().NextIdentifier(), 1);  // none left

  // With the owner form, after the callback window that was made with it.
  NewIcon()->SetVisible(true);
  delete form;
  EXPECT_TRUE(shell.shown.empty());
  EXPECT_EQ(IconRegistry::Instance().NextIdentifier(), 1);  // none left
  EXPECT_EQ(TCallbackWindow::Instance(), nullptr);
}

TEST_F(TrayIconShellTest, RefusedAddRaisesAndLeavesTheIconWantedButNotShown) {
  TTrayIcon* icon = NewIcon();
  shell.refused = {kNimAdd};
  EXPECT_EQ(Raised<ENotifyIconError>([&] { icon->SetVisible(true); }), kNotifyIconErrorText);
  EXPECT_TRUE(icon->Visible());
  EXPECT_FALSE(icon->Added());

  // False then true tries again; the icon was never shown, so nothing is deleted.
  shell.refused.clear();
  shell.calls.clear();
  icon->SetVisible(false);
  icon->SetVisible(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].action, kNimAdd);
  EXPECT_TRUE(icon->Added());
}

TEST_F(TrayIconShellTest, RefusedModifyRaisesAndKeepsTheNewValues) {
  TTrayIcon* icon = NewShownIcon();
  shell.refused = {kNimModify};
  EXPECT_THROW(icon->SetTipHelp("new tip"), ENotifyIconError);
  EXPECT_EQ(icon->TipHelp(), "new tip");
  EXPECT_THROW(icon->Icon().SetHandle(0x9999), ENotifyIconError);
  EXPECT_EQ(icon->Icon().Handle(), 0x9999u);
  EXPECT_TRUE(icon->Added());
}

TEST_F(TrayIconShellTest, RefusedDeleteIsIgnored) {
  TTrayIcon* icon = NewShownIcon();
  shell.refused = {kNimDelete};
  EXPECT_NO_THROW(icon->SetVisible(false));
  EXPECT_FALSE(icon->Added());
  EXPECT_FALSE(icon->Visible());
  EXPECT_NO_THROW(delete icon);
}

TEST_F(TrayIconShellTest, ShownIconsAreAddedAgainWhenTheShellRestarts) {
  TTrayIcon* shown = NewIcon();
  shown->SetTipHelp("Tavilune");
  shown->SetVisible(true);
  TTrayIcon* hidden = NewIcon();
  TTrayIcon* refusedBefore = NewIcon();
  shell.refused = {kNimAdd};
  EXPECT_THROW(refusedBefore->SetVisible(true), ENotifyIconError);
  shell.refused.clear();

  shell.Restart();
  shell.calls.clear();
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);

  // Both icons that should be shown are back, the refused one included; the hidden one is not.
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.CallsOf(kNimAdd).size(), 2u);
  EXPECT_EQ(shell.shown.size(), 2u);
  EXPECT_EQ(shell.shown.at({TCallbackWindow::Instance()->Handle(), 1}).Tip(), "Tavilune");
  EXPECT_FALSE(hidden->Added());
  EXPECT_TRUE(refusedBefore->Added());

  // Updates work again instead of being refused as for an icon the shell no longer has.
  EXPECT_NO_THROW(shown->SetTipHelp("again"));
  EXPECT_EQ(shell.shown.at({TCallbackWindow::Instance()->Handle(), 1}).Tip(), "again");

  // The broadcast while the shell still has the icons: the refused add becomes a modify, and
  // nothing is reported.
  shell.calls.clear();
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  EXPECT_EQ(shell.CallsOf(kNimModify).size(), 2u);
  EXPECT_TRUE(shown->Added());
  EXPECT_TRUE(windows.messageBoxes.empty());
  EXPECT_EQ(shell.letThrough.count({app.Handle(), shell.taskbarCreatedMessage}), 1u);

  // A refusal during the re-add goes to the error box; the message goes on to the others.
  shell.Restart();
  shell.refused = {kNimAdd};
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  EXPECT_EQ(windows.messageBoxes.size(), 2u);
  EXPECT_EQ(windows.messageBoxes[0].text, std::string(kNotifyIconErrorText) + ".");

  // Other messages to the application window are no restart.
  shell.refused.clear();
  shell.calls.clear();
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage + 1);
  EXPECT_TRUE(shell.calls.empty());

  // A destroyed icon no longer listens.
  delete shown;
  delete refusedBefore;
  shell.calls.clear();
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  EXPECT_TRUE(shell.calls.empty());
}

using TrayIconStoredFormTest = TrayTest;

TEST_F(TrayIconStoredFormTest, ReadingClearsTheTipOnceAndAddsAtTheLoadedStep) {
  TTrayIcon* icon = NewIcon();
  TrayIconStoredState state;
  state.icon = 0x3030;
  state.visible = true;
  icon->ReadState();
  icon->ReadProperties(state);
  EXPECT_TRUE(icon->Visible());
  EXPECT_TRUE(shell.calls.empty());  // not while reading
  EXPECT_EQ(icon->TipHelp(), "");
  icon->Loaded();
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].action, kNimAdd);
  EXPECT_EQ(shell.calls[0].record.hIcon, 0x3030u);
  EXPECT_EQ(shell.calls[0].record.uFlags, 3u);

  // An inherited description: the tip read by the first reading survives the second.
  TTrayIcon* inherited = NewIcon();
  TrayIconStoredState base;
  base.tipHelp = "Tavilune";
  inherited->ReadState();
  inherited->ReadProperties(base);
  inherited->ReadState();
  inherited->ReadProperties(TrayIconStoredState{});
  inherited->Loaded();
  EXPECT_EQ(inherited->TipHelp(), "Tavilune");
  EXPECT_EQ(shell.calls.size(), 1u);  // not visible: the loaded step adds nothing

  // The next reading clears again.
  inherited->ReadFromStoredForm(TrayIconStoredState{});
  EXPECT_EQ(inherited->TipHelp(), "");
}

TEST_F(TrayIconStoredFormTest, RefusedAddAtTheLoadedStepStillEndsTheReading) {
  TTrayIcon* icon = NewIcon();
  TrayIconStoredState state;
  state.visible = true;
  shell.refused = {kNimAdd};
  EXPECT_THROW(icon->ReadFromStoredForm(state), ENotifyIconError);
  EXPECT_FALSE(icon->Loading());
  shell.refused.clear();
  icon->SetVisible(false);
  icon->SetVisible(true);
  EXPECT_TRUE(icon->Added());
}

TEST_F(TrayIconStoredFormTest, WritingLeavesOutDefaultsAndEmptiesAndReadsBackTheSame) {
  TTrayIcon* fresh = NewIcon();
  fresh->SetTipHelp("");
  TrayIconStoredState nothing = fresh->StoredProperties();
  EXPECT_FALSE(nothing.animateRate || nothing.autoPopup || nothing.enabled || nothing.tipHelp ||
               nothing.visible);
  EXPECT_EQ(nothing.icon, 0u);

  auto* menu = new TPopupMenu(form, app);
  TTrayIcon* source = NewIcon();
  source->SetAnimateRate(250);
  source->SetAutoPopup(false);
  source->SetEnabled(false);
  source->Icon().SetHandle(0x4444);
  source->SetRBPopupMenu(menu);
  source->SetTipHelp("Tavilune");
  source->SetVisible(true);
  int downs = 0;
  source->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, std::int32_t, std::int32_t) {
    ++downs;
  };
  TrayIconStoredState stored = source->StoredProperties();
  EXPECT_EQ(stored.animateRate, 250);
  EXPECT_EQ(stored.autoPopup, false);
  EXPECT_EQ(stored.enabled, false);
  EXPECT_EQ(stored.visible, true);

  TTrayIcon* copy = NewIcon();
  copy->ReadFromStoredForm(stored);
  EXPECT_EQ(copy->AnimateRate(), 250);
  EXPECT_FALSE(copy->AutoPopup());
  EXPECT_FALSE(copy->Enabled());
  EXPECT_EQ(copy->Icon().Handle(), 0x4444u);
  EXPECT_EQ(copy->RBPopupMenu(), menu);
  EXPECT_EQ(copy->TipHelp(), "Tavilune");
  EXPECT_TRUE(copy->Added());
  ASSERT_TRUE(copy->OnMouseDown);
  copy->OnMouseDown(*copy, TMouseButton::kLeft, {}, 0, 0);
  EXPECT_EQ(downs, 1);
}

TEST_F(TrayIconStoredFormTest, DesignModeTakesAnIdentifierButNeverTouchesTheShell) {
  form->SetDesigning(true);
  TTrayIcon* icon = NewIcon();
  EXPECT_TRUE(icon->Designing());
  EXPECT_EQ(icon->Identifier(), 1);
  EXPECT_EQ(IconRegistry::Instance().Find("1"), icon);
  EXPECT_EQ(TCallbackWindow::Instance(), nullptr);

  icon->SetVisible(true);
  EXPECT_TRUE(icon->Visible());
  icon->SetTipHelp(std::string(70, 'x'));
  EXPECT_EQ(icon->TipHelp().size(), 62u);
  icon->Icon().SetHandle(0x1234);
  icon->ReadFromStoredForm(TrayIconStoredState{});
  windows.Deliver(app.Handle(), shell.taskbarCreatedMessage);
  delete icon;
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(IconRegistry::Instance().NextIdentifier(), 1);  // none left
}

}  // namespace
}  // namespace tavilune::testing
