// A program in memory for the tray tests: the fake window system and shell, the application,
// a form to own the icons, and single-click workers that run when the test says so.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_shell.h"
#include "fakes/fake_window_system.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/menu.h"
#include "tray/callback_window.h"
#include "tray/icon_registry.h"
#include "tray/single_click.h"
#include "tray/tray_icon.h"

namespace tavilune::testing {

// Workers that wait until the test finishes them. Finishing runs the body on a thread of its
// own, as the system would, while this thread serves the hand-over to the interface thread.
class ManualClickWorkers : public ClickWorkers {
 public:
  explicit ManualClickWorkers(TApplication& application) : application_(application) {}

  void Start(std::function<void()> body) override { waiting.push_back(std::move(body)); }
  void Sleep(std::uint32_t milliseconds) override {
    std::lock_guard lock(mutex_);
    slept.push_back(milliseconds);
  }

  void FinishNext() {
    ASSERT_FALSE(waiting.empty());
    std::function<void()> body = std::move(waiting.front());
    waiting.pop_front();
    std::atomic<bool> done{false};
    std::thread worker([&] {
      body();
      done = true;
    });
    while (!done) {
      application_.CheckSynchronize();
      std::this_thread::yield();
    }
    worker.join();
  }

  std::vector<std::uint32_t> Slept() {
    std::lock_guard lock(mutex_);
    return slept;
  }

  std::deque<std::function<void()>> waiting;

 private:
  TApplication& application_;
  std::mutex mutex_;
  std::vector<std::uint32_t> slept;
};

// A popup menu that records its showing.
class RecordingMenu : public TPopupMenu {
 public:
  RecordingMenu(TComponent* owner, TApplication& application, std::string label,
                std::vector<std::string>& log)
      : TPopupMenu(owner, application), label_(std::move(label)), log_(log) {}
  void Popup(std::int32_t x, std::int32_t y) override {
    log_.push_back("popup " + label_ + " " + std::to_string(x) + "," + std::to_string(y));
  }

 private:
  std::string label_;
  std::vector<std::string>& log_;
};

class TrayTest : public ::testing::Test {
 protected:
  TrayTest() {
    app.SetTitle("Tavilune");
    app.Initialize();
    form = new TForm(&app, app);
  }

  void SetUp() override {
    // Every test leaves the process's tray state as it found it.
    ASSERT_EQ(IconRegistry::Instance().NextIdentifier(), 1);  // no icon left
    ASSERT_EQ(TCallbackWindow::Instance(), nullptr);
  }

  TTrayIcon* NewIcon(TComponent* owner = nullptr) {
    return new TTrayIcon(owner != nullptr ? owner : form, app, shell, workers);
  }
  TTrayIcon* NewShownIcon() {
    TTrayIcon* icon = NewIcon();
    icon->SetVisible(true);
    return icon;
  }

  // What the shell sends the callback window for a mouse message over the icon.
  void Mouse(TTrayIcon* icon, std::uint32_t mouseMessage) {
    windows.Deliver(TCallbackWindow::Instance()->Handle(), TrayCallbackMessage,
                    static_cast<std::uintptr_t>(icon->Identifier()), mouseMessage);
  }
  void Mouse(TTrayIcon* icon, std::initializer_list<std::uint32_t> mouseMessages) {
    for (std::uint32_t message : mouseMessages) Mouse(icon, message);
  }

  FakeWindowSystem windows;
  FakeShell shell;
  TApplication app{windows};
  ManualClickWorkers workers{app};
  TForm* form = nullptr;
};

}  // namespace tavilune::testing
