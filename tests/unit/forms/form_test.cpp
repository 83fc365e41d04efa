#include "forms/form.h"

#include <gtest/gtest.h>

#include "fakes/fake_window_system.h"
#include "forms/application.h"
#include "forms/messages.h"
#include "platform/exceptions.h"

namespace tavilune {
namespace {

using testing::FakeWindowSystem;

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    app.Initialize();
    form = new TForm(&app, app);
  }
  FakeWindowSystem windows;
  TApplication app{windows};
  TForm* form;  // the first form made: the program's main form
};

TEST_F(FormTest, StayOnTopRemakesAVisibleWindowAtTheSamePlaceAndMakesItTopmost) {
  form->SetBounds(192, 107, 206, 106);
  form->Show();
  WindowHandle before = form->Handle();

  form->SetFormStyle(FormStyle::kStayOnTop);
  WindowHandle after = form->Handle();
  EXPECT_NE(before, after);
  EXPECT_FALSE(windows.IsWindow(before));
  EXPECT_TRUE(windows.Window(after).visible);
  EXPECT_TRUE(windows.Window(after).topmost);
  EXPECT_EQ(windows.WindowRect(after), RectFromSize(192, 107, 206, 106));
  // Made topmost right after creation: no move, no size, no activation.
  std::string topmostCall = "SetWindowPos " + std::to_string(after) + " -1 19";
  EXPECT_NE(std::find(windows.log.begin(), windows.log.end(), topmostCall), windows.log.end());

  form->SetFormStyle(FormStyle::kNormal);
  EXPECT_FALSE(windows.Window(form->Handle()).topmost);
  EXPECT_TRUE(windows.Window(form->Handle()).visible);
}

TEST_F(FormTest, SettingTheSameStyleKeepsTheWindow) {
  form->Show();
  WindowHandle before = form->Handle();
  form->SetFormStyle(FormStyle::kNormal);
  EXPECT_EQ(form->Handle(), before);
}

TEST_F(FormTest, HiddenFormChangingStyleStaysHidden) {
  form->Handle();
  form->SetFormStyle(FormStyle::kStayOnTop);
  EXPECT_FALSE(windows.Window(form->Handle()).visible);
  EXPECT_TRUE(windows.Window(form->Handle()).topmost);
}

TEST_F(FormTest, ClosingTheMainFormEndsTheProgramAndOtherFormsOnlyHide) {
  auto* other = new TForm(&app, app);
  other->Show();
  windows.Deliver(other->Handle(), msg::kClose);
  EXPECT_FALSE(other->Visible());
  EXPECT_FALSE(app.Terminated());
  windows.Deliver(form->Handle(), msg::kClose);
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(windows.quitPosted);
}

TEST_F(FormTest, SystemMovesAreFollowed) {
  form->SetBounds(10, 20, 30, 40);
  form->Show();
  windows.Window(form->Handle()).bounds = RectFromSize(300, 200, 30, 40);
  windows.Deliver(form->Handle(), msg::kMove);
  EXPECT_EQ(form->Left(), 300);
  EXPECT_EQ(form->Top(), 200);
}

TEST_F(FormTest, ModalFormRunsUntilClosedAndGivesTheOthersBack) {
  form->Show();
  auto* box = new TForm(&app, app);
  WindowHandle boxHandle = box->Handle();
  windows.Post(boxHandle, WindowMessage{msg::kClose, 0, 0});
  bool enabledDuring = true;
  windows.Post(form->Handle(), WindowMessage{msg::kNull, 0, 0});
  // Look at the main form while the box is up, from inside the modal loop.
  windows.posted.push_front({boxHandle, WindowMessage{msg::kKeyDown, msg::kVkEscape, 0}});
  box->onKeyDown = [&](std::uintptr_t) { enabledDuring = windows.IsWindowEnabled(form->Handle()); };
  box->ShowModal();
  EXPECT_FALSE(enabledDuring);
  EXPECT_FALSE(box->Visible());
  EXPECT_TRUE(windows.IsWindowEnabled(form->Handle()));
  EXPECT_FALSE(app.Terminated());
}

// When a modal box closes, the window that was active before it is active again: the others are
// enabled before the box goes, so the system never hands the activation to another program.
TEST_F(FormTest, AfterABoxTheWindowThatWasActiveIsActiveAgain) {
  form->Show();
  windows.SetForegroundWindow(form->Handle());
  app.ShowException(Exception("x"));
  EXPECT_EQ(windows.active, form->Handle());

  auto* box = new TForm(&app, app);
  windows.Post(box->Handle(), WindowMessage{msg::kClose, 0, 0});
  box->ShowModal();
  EXPECT_FALSE(box->Visible());
  EXPECT_EQ(windows.active, form->Handle());
}

TEST_F(FormTest, EndOfSessionQueryIsAnsweredYesByDefault) {
  EXPECT_EQ(windows.Deliver(form->Handle(), msg::kQueryEndSession), 1);
}

}  // namespace
}  // namespace tavilune
