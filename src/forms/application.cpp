#include "forms/application.h"

#include <algorithm>
#include <new>

#include "platform/exceptions.h"
#include "forms/form.h"
#include "forms/messages.h"

namespace tavilune {

namespace {

constexpr char kOutOfMemoryText[] = u8"メモリが足りません";

}  // namespace

TApplication::TApplication(WindowSystem& windows)
    : TComponent(nullptr), windows_(windows), outOfMemoryBoxText_(ErrorBoxText(kOutOfMemoryText)) {
  uiThread_ = windows_.CurrentThread();
}

TApplication::~TApplication() {
  // Forms go last created first, while the application window still owns them.
  DestroyComponents();
  if (handle_ != 0) windows_.DestroyWindow(handle_);
}

void TApplication::Initialize() {
  if (handle_ != 0) return;
  icon_ = windows_.ApplicationIcon();
  WindowSpec spec;
  spec.className = "TApplication";
  spec.title = title_;
  spec.style = msg::kStylePopup | msg::kStyleCaption | msg::kStyleClipSiblings |
               msg::kStyleSysMenu | msg::kStyleMinimizeBox | msg::kStyleVisible;
  // A visible window of no size: it carries the program's taskbar button until start-up
  // makes it a tool window.
  MonitorInfo primary = windows_.Monitors().front();
  spec.bounds = RectFromSize(primary.bounds.Width() / 2, primary.bounds.Height() / 2, 0, 0);
  spec.icon = icon_;
  handle_ = windows_.CreateNativeWindow(spec, this);
}

void TApplication::SetTitle(std::string title) {
  title_ = std::move(title);
  if (handle_ != 0) windows_.SetText(handle_, title_);
}

void TApplication::RegisterForm(TForm* form) {
  forms_.push_back(form);
  if (mainForm_ == nullptr) mainForm_ = form;
}

void TApplication::UnregisterForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (mainForm_ != nullptr && showMainForm && !terminated_) mainForm_->Show();
  // Until the quit message itself has come through: left in the queue, it would end every
  // message box shown while the program ends (a failed save's, for one) at once.
  for (;;) {
    bool quit = false;
    if (!windows_.PumpMessage(true, quit)) break;
  }
  terminated_ = true;
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  windows_.PostQuit(0);
}

void TApplication::ProcessMessages() {
  bool quit = false;
  while (windows_.PumpMessage(false, quit)) {
  }
  if (quit) terminated_ = true;
}

void TApplication::Synchronize(std::function<void()> routine) {
  if (windows_.CurrentThread() == uiThread_) {
    routine();
    return;
  }
  Pending pending{std::move(routine)};
  {
    std::lock_guard lock(syncMutex_);
    syncQueue_.push_back(&pending);
  }
  windows_.Post(handle_, WindowMessage{msg::kNull, 0, 0});
  std::unique_lock lock(syncMutex_);
  syncDone_.wait(lock, [&] { return pending.done; });
}

void TApplication::CheckSynchronize() {
  for (;;) {
    Pending* next = nullptr;
    {
      std::lock_guard lock(syncMutex_);
      if (syncQueue_.empty()) return;
      next = syncQueue_.front();
      syncQueue_.pop_front();
    }
    try {
      next->routine();
    } catch (...) {
      HandleException();
    }
    {
      std::lock_guard lock(syncMutex_);
      next->done = true;
    }
    syncDone_.notify_all();
  }
}

std::string TApplication::ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void TApplication::ShowException(const Exception& error) {
  ModalScope modal(*this);
  windows_.ShowMessageBox(handle_, ErrorBoxText(error.Message()), title_, MessageBoxKind::kError);
}

void TApplication::HandleException() noexcept {
  try {
    try {
      throw;
    } catch (const EAbort&) {
      // Silent by design.
    } catch (const Exception& error) {
      ShowException(error);
    } catch (const std::bad_alloc&) {
      ShowException(EOutOfMemory(kOutOfMemoryText));
    } catch (const std::exception& error) {
      ShowException(Exception(error.what()));
    }
  } catch (...) {
    // Making the box failed in turn, which only a shortage of memory does: the plain
    // out-of-memory box then, its text made when there was memory; and when even that cannot
    // be shown, nothing, since no exception may leave the fence around a window procedure.
    try {
      windows_.ShowMessageBox(handle_, outOfMemoryBoxText_, title_, MessageBoxKind::kError);
    } catch (...) {
    }
  }
}

void TApplication::BeginModal(WindowHandle modal) {
  ModalState state;
  state.previousActive = windows_.ActiveWindow();
  std::vector<WindowHandle> candidates;
  // A box of the system's disables and enables its owner, the application window, itself.
  if (handle_ != 0 && modal != 0) candidates.push_back(handle_);
  for (TForm* form : forms_) {
    if (form->HandleAllocated()) candidates.push_back(form->Handle());
  }
  // A modal window owned by a window that is no form of the program (the preview window over
  // the system's file dialog) is modal over that owner too, and gives it the activation back.
  if (modal != 0) {
    const auto owner = static_cast<WindowHandle>(windows_.GetLong(modal, msg::kGwlHwndParent));
    if (owner != 0 && owner != handle_) candidates.push_back(owner);
  }
  for (WindowHandle window : candidates) {
    if (window == modal) continue;
    if (windows_.IsWindowVisible(window) && windows_.IsWindowEnabled(window)) {
      windows_.EnableWindow(window, false);
      state.disabled.push_back(window);
    }
  }
  // A stay-on-top form would hide the modal window behind it.
  for (TForm* form : forms_) {
    if (form->Style() == FormStyle::kStayOnTop && form->HandleAllocated() &&
        form->Handle() != modal && windows_.IsWindowVisible(form->Handle())) {
      windows_.SetWindowPos(form->Handle(), msg::kHwndNoTopmost, Rect{},
                            msg::kSwpNoMove | msg::kSwpNoSize | msg::kSwpNoActivate);
      state.topmost.push_back(form->Handle());
    }
  }
  modals_.push_back(std::move(state));
}

void TApplication::EndModal(WindowHandle modal) {
  if (modals_.empty()) return;
  const ModalState state = std::move(modals_.back());
  modals_.pop_back();
  for (WindowHandle window : state.disabled) {
    if (windows_.IsWindow(window)) windows_.EnableWindow(window, true);
  }
  for (WindowHandle window : state.topmost) {
    if (windows_.IsWindow(window)) {
      windows_.SetWindowPos(window, msg::kHwndTopmost, Rect{},
                            msg::kSwpNoMove | msg::kSwpNoSize | msg::kSwpNoActivate);
    }
  }
  // The window that was active when the modal window opened is active again (and with it in the
  // foreground, as long as the program still is). A modal window of the program's own is still
  // shown here, so hiding it afterwards takes the activation from nobody.
  const WindowHandle back = state.previousActive;
  if (back != 0 && back != modal && windows_.IsWindow(back) && windows_.IsWindowVisible(back) &&
      windows_.IsWindowEnabled(back)) {
    windows_.SetActiveWindow(back);
  }
}

int TApplication::AddMessageHook(MessageHook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void TApplication::RemoveMessageHook(int id) {
  std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

bool TApplication::HandleMessage(WindowHandle, const WindowMessage& message,
                                 std::intptr_t& result) {
  if (message.message == msg::kNull) {
    CheckSynchronize();
    result = 0;
    return true;
  }
  bool handled = false;
  try {
    // A copy: a hook may remove itself or others.
    for (const auto& [id, hook] : std::vector(hooks_)) handled = hook(message, result) || handled;
  } catch (...) {
    HandleException();
    return true;
  }
  return handled;
}

}  // namespace tavilune
