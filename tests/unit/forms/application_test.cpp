#include "forms/application.h"

#include <gtest/gtest.h>

#include <thread>

#include "fakes/fake_window_system.h"
#include "forms/form.h"
#include "forms/messages.h"
#include "platform/exceptions.h"

namespace tavilune {
namespace {

using testing::FakeWindowSystem;

// An application with its window made, titled with the program's name.
class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    app.SetTitle("Tavilune");
    app.Initialize();
  }
  // Hands the failure to the application as a window procedure's fence does.
  template <typename Failure>
  void Handle(const Failure& failure) {
    try {
      throw failure;
    } catch (...) {
      app.HandleException();
    }
  }
  FakeWindowSystem windows;
  TApplication app{windows};
};

TEST(ErrorBoxTest, AddsAFullStopOnlyAfterCharactersThatSortAboveIt) {
  struct Row {
    std::string message, shown;
  } rows[] = {
      {u8"ファイルが見つかりません", u8"ファイルが見つかりません."},
      {"I/O error (32)", "I/O error (32)"},  // ')' sorts below '.'
      {"Done.", "Done."},
      {"Missing file", "Missing file."},
      {"", ""},
      {u8"タスクトレイにアイコンを登録できません。", u8"タスクトレイにアイコンを登録できません。."},
  };
  for (const Row& row : rows) EXPECT_EQ(TApplication::ErrorBoxText(row.message), row.shown);
}

TEST_F(ApplicationTest, ErrorBoxIsOwnedByTheApplicationWindowAndTitledWithTheProgram) {
  Handle(EInvalidGraphic(u8"ビットマップイメージが不正です"));
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].owner, app.Handle());
  EXPECT_EQ(windows.messageBoxes[0].caption, "Tavilune");
  EXPECT_EQ(windows.messageBoxes[0].text, u8"ビットマップイメージが不正です.");
  EXPECT_EQ(windows.messageBoxes[0].kind, MessageBoxKind::kError);
}

TEST_F(ApplicationTest, AbortIsSilent) {
  Handle(EAbort());
  EXPECT_TRUE(windows.messageBoxes.empty());
}

// Memory running out while the error box is made: the plain out-of-memory box is shown instead,
// and when even that fails nothing leaves the handler (it runs inside a window procedure's fence).
TEST_F(ApplicationTest, AnErrorBoxThatCannotBeMadeGivesWayToTheOutOfMemoryBoxOrToNothing) {
  for (const int failing : {1, 2}) {
    windows.messageBoxes.clear();
    windows.onMessageBox = [&](const auto&) {
      if (static_cast<int>(windows.messageBoxes.size()) <= failing) throw std::bad_alloc();
    };
    Handle(EInvalidGraphic(u8"ビットマップイメージが不正です"));
    ASSERT_EQ(windows.messageBoxes.size(), 2u);
    EXPECT_EQ(windows.messageBoxes[1].text, u8"メモリが足りません.");
    EXPECT_EQ(windows.messageBoxes[1].caption, "Tavilune");
  }
}

TEST_F(ApplicationTest, LoopTakesTheQuitSoBoxesShownWhileEndingStayUp) {
  auto* main = new TForm(&app, app);
  windows.Post(main->Handle(), WindowMessage{msg::kClose, 0, 0});
  app.Run();
  EXPECT_TRUE(app.Terminated());
  app.ShowException(Exception("save failed"));
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_FALSE(windows.messageBoxes[0].quitPending);
}

TEST_F(ApplicationTest, ApplicationWindowIsAVisibleWindowOfNoSize) {
  const auto& window = windows.Window(app.Handle());
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.bounds.Width(), 0);
  EXPECT_EQ(window.bounds.Height(), 0);
  EXPECT_EQ(window.spec.title, "Tavilune");
  EXPECT_EQ(window.spec.className, "TApplication");
  EXPECT_EQ(window.exStyle & static_cast<std::int32_t>(msg::kExStyleToolWindow), 0);
}

TEST_F(ApplicationTest, WorkerRoutineRunsOnTheInterfaceThreadWhenTheLoopWakes) {
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    app.Synchronize([&] { ranOn = std::this_thread::get_id(); });
    returned = true;
  });
  // The worker wakes the loop with WM_NULL to the application window and waits.
  while (windows.posted.empty()) std::this_thread::yield();
  EXPECT_FALSE(returned);
  EXPECT_EQ(windows.posted.front().first, app.Handle());
  EXPECT_EQ(windows.posted.front().second.message, msg::kNull);
  app.ProcessMessages();
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(ApplicationTest, FailingWorkerRoutineShowsTheErrorBoxAndReleasesTheWorker) {
  std::thread worker([&] { app.Synchronize([] { throw Exception("broken"); }); });
  while (windows.posted.empty()) std::this_thread::yield();
  app.ProcessMessages();
  worker.join();
  ASSERT_EQ(windows.messageBoxes.size(), 1u);
  EXPECT_EQ(windows.messageBoxes[0].text, "broken.");
}

TEST_F(ApplicationTest, ModalWindowDisablesTheOthersAndLiftsStayOnTopFormsMeanwhile) {
  auto* picture = new TForm(&app, app);
  picture->SetFormStyle(FormStyle::kStayOnTop);
  picture->Show();
  auto* hiddenForm = new TForm(&app, app);
  hiddenForm->Handle();
  auto* dialog = new TForm(&app, app);
  WindowHandle modal = dialog->Handle();
  ASSERT_TRUE(windows.Window(picture->Handle()).topmost);

  app.BeginModal(modal);
  EXPECT_FALSE(windows.IsWindowEnabled(picture->Handle()));
  EXPECT_FALSE(windows.IsWindowEnabled(app.Handle()));
  EXPECT_TRUE(windows.IsWindowEnabled(hiddenForm->Handle()));  // not visible: left alone
  EXPECT_TRUE(windows.IsWindowEnabled(modal));
  EXPECT_FALSE(windows.Window(picture->Handle()).topmost);

  app.EndModal(modal);
  EXPECT_TRUE(windows.IsWindowEnabled(picture->Handle()));
  EXPECT_TRUE(windows.IsWindowEnabled(app.Handle()));
  EXPECT_TRUE(windows.Window(picture->Handle()).topmost);
}

TEST_F(ApplicationTest, ErrorBoxDisablesTheProgramWhileUp) {
  auto* form = new TForm(&app, app);
  form->Show();
  bool formEnabledDuringBox = true;
  windows.onMessageBox = [&](const testing::MessageBoxCall&) {
    formEnabledDuringBox = windows.IsWindowEnabled(form->Handle());
  };
  app.ShowException(Exception("x"));
  EXPECT_FALSE(formEnabledDuringBox);
  EXPECT_TRUE(windows.IsWindowEnabled(form->Handle()));
}

using ApplicationHookTest = ApplicationTest;

TEST_F(ApplicationHookTest, HooksHearApplicationWindowMessagesUntilRemoved) {
  int heard = 0;
  int id = app.AddMessageHook([&](const WindowMessage& message, std::intptr_t&) {
    if (message.message == 0xC123) ++heard;
    return false;
  });
  windows.Deliver(app.Handle(), 0xC123);
  app.RemoveMessageHook(id);
  windows.Deliver(app.Handle(), 0xC123);
  EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace tavilune
