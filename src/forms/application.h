// The application: its hidden owner window, its forms, the message loop, the standard error
// box, modal bookkeeping and the hand-over of routines from worker threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "forms/component.h"
#include "platform/window_system.h"

namespace tavilune {

class Exception;
class TForm;

class TApplication : public TComponent, private WindowListener {
 public:
  explicit TApplication(WindowSystem& windows);
  ~TApplication() override;

  WindowSystem& Windows() const { return windows_; }

  // Creates the hidden top-level window that owns every form and carries the taskbar button.
  void Initialize();
  WindowHandle Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);
  IconHandle Icon() const { return icon_; }
  void SetIcon(IconHandle icon) { icon_ = icon; }

  // The first form registered becomes the main form; closing it ends the message loop.
  void RegisterForm(TForm* form);
  void UnregisterForm(TForm* form);
  TForm* MainForm() const { return mainForm_; }
  const std::vector<TForm*>& Forms() const { return forms_; }

  // Runs the message loop until the main form closes; shows the main form first unless
  // ShowMainForm was turned off.
  void Run();
  bool showMainForm = true;
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ProcessMessages();

  // From any thread: runs the routine on the user-interface thread and returns when it has
  // run. The worker queues it and wakes the loop by posting WM_NULL to the application window.
  void Synchronize(std::function<void()> routine);
  // On the user-interface thread: runs the routines queued by workers.
  void CheckSynchronize();

  // The standard error box for an exception that left an event handler or a message.
  void ShowException(const Exception& error);
  // Shows whatever is being handled (call from a catch block). Throws nothing: it runs inside
  // the catch that fences a window procedure.
  void HandleException() noexcept;
  // The text the error box shows: "." is added when the last character sorts above ".".
  static std::string ErrorBoxText(const std::string& message);

  // Components that must hear messages sent to every top-level window (a broadcast such as
  // the shell's restart notice) hook the application window. A hook returns true when it
  // handled the message. The returned number removes the hook.
  using MessageHook = std::function<bool(const WindowMessage& message, std::intptr_t& result)>;
  int AddMessageHook(MessageHook hook);
  void RemoveMessageHook(int id);

  // Modal windows: every other window of the program is disabled and stay-on-top forms leave
  // the topmost band while one is open. A modal of 0 stands for a box of the system's owned by
  // the application window (message boxes, the common dialogs): such a box
  // disables its owner itself and enables it again before it goes, so that the system hands
  // the activation back to the program rather than to another one; BeginModal leaves that
  // window to it. EndModal enables the windows again and gives the activation back to the
  // window that had it when the modal window opened; a modal window of the program's own is
  // hidden only after that.
  void BeginModal(WindowHandle modal);
  void EndModal(WindowHandle modal);

  // BeginModal for as long as it lives, EndModal however the scope is left.
  class ModalScope {
   public:
    explicit ModalScope(TApplication& application, WindowHandle modal = 0)
        : application_(application), modal_(modal) {
      application_.BeginModal(modal_);
    }
    ~ModalScope() { application_.EndModal(modal_); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

   private:
    TApplication& application_;
    WindowHandle modal_;
  };

 private:
  bool HandleMessage(WindowHandle window, const WindowMessage& message,
                     std::intptr_t& result) override;

  WindowSystem& windows_;
  WindowHandle handle_ = 0;
  std::string title_;
  std::string outOfMemoryBoxText_;
  IconHandle icon_ = 0;
  std::vector<TForm*> forms_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  ThreadId uiThread_ = 0;

  struct Pending {
    std::function<void()> routine;
    bool done = false;
  };
  std::mutex syncMutex_;
  std::condition_variable syncDone_;
  std::deque<Pending*> syncQueue_;

  std::vector<std::pair<int, MessageHook>> hooks_;
  int nextHook_ = 1;

  struct ModalState {
    std::vector<WindowHandle> disabled;
    std::vector<WindowHandle> topmost;
    WindowHandle previousActive = 0;
  };
  std::vector<ModalState> modals_;
};

}  // namespace tavilune
