#include "tray/tray_icon.h"

#include <algorithm>
#include <cstring>

#include "forms/application.h"
#include "platform/exceptions.h"
#include "forms/form.h"
#include "forms/menu.h"
#include "tray/callback_window.h"
#include "tray/icon_registry.h"
#include "tray/image_list.h"

namespace tavilune {

TTrayIcon::TTrayIcon(TComponent* owner, TApplication& application, Shell& shell,
                     ClickWorkers& workers)
    : TComponent(owner), application_(application), shell_(shell), workers_(workers) {
  // A component on a form that is being edited is being edited too.
  if (owner != nullptr && owner->Designing()) SetDesigning(true);

  IconRegistry& registry = IconRegistry::Instance();
  if (registry.Full()) {
    identifier_ = 0;
    throw ENotifyIconError(kNotifyIconErrorText);
  }
  identifier_ = registry.NextIdentifier();
  registry.Add(identifier_, this);

  try {
    icon_ = std::make_unique<TIconPicture>();
    if (Designing()) return;

    icon_->onChange = [this] { IconChanged(); };
    TCallbackWindow::ForComponent(owner, application_);
    record_ = std::make_unique<NotifyIconRecord>();
    record_->cbSize = kNotifyIconRecordSize;
    record_->uCallbackMessage = TrayCallbackMessage;
    record_->uID = static_cast<std::uint32_t>(identifier_);

    // The shell forgets every icon when it makes its notification area anew and then tells the
    // top-level windows, among them the application's.
    taskbarCreatedMessage_ = shell_.TaskbarCreatedMessage();
    if (taskbarCreatedMessage_ != 0) {
      // Run elevated, the program would otherwise never hear the shell, which runs below it.
      if (application_.Handle() != 0) {
        shell_.LetThrough(application_.Handle(), taskbarCreatedMessage_);
      }
      messageHook_ =
          application_.AddMessageHook([this](const WindowMessage& message, std::intptr_t&) {
            if (message.message == taskbarCreatedMessage_) ShellRestarted();
            return false;  // every icon and the framework hear it too
          });
    }
  } catch (...) {
    // No destructor runs for a component whose construction failed: leave no entry behind.
    registry.Remove(identifier_);
    throw;
  }
}

TTrayIcon::~TTrayIcon() {
  if (identifier_ != 0) {
    if (!Designing()) {
      if (messageHook_ != 0) application_.RemoveMessageHook(messageHook_);
      if (TCallbackWindow* window = TCallbackWindow::Instance()) window->Forget(this);
      if (animationWorker_) {
        animationWorker_->Terminate();
        if (animationWorker_->Suspended()) animationWorker_->Resume();
        animationWorker_.reset();
        animationRunning_ = false;
      }
      if (added_) NotifyShell(NotifyAction::kDelete);
      record_.reset();
    }
    IconRegistry::Instance().Remove(identifier_);
    icon_.reset();
  }
}

void TTrayIcon::SetAnimateIcons(TImageList* list) {
  if (animationRunning_) return;
  animateIcons_ = list;
  if (list != nullptr) FreeNotification(list);
}

void TTrayIcon::SetAnimateRate(std::int32_t milliseconds) {
  animateRate_ = std::max(milliseconds, kMinimumAnimateRate);
}

void TTrayIcon::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // A click waiting to be told from a double click is dropped with the icon's mouse activity.
  if (!enabled) clickPending_ = false;
}

void TTrayIcon::SetIcon(const TIconPicture* icon) {
  if (icon == icon_.get()) return;
  if (icon != nullptr) {
    icon_->Assign(*icon);
  } else {
    icon_->Clear();
  }
}

void TTrayIcon::SetLBPopupMenu(TPopupMenu* menu) {
  lbPopupMenu_ = menu;
  if (menu != nullptr) FreeNotification(menu);
}

void TTrayIcon::SetRBPopupMenu(TPopupMenu* menu) {
  rbPopupMenu_ = menu;
  if (menu != nullptr) FreeNotification(menu);
}

void TTrayIcon::SetTipHelp(const std::string& tip) {
  // 62 bytes and the terminating zero always fit the shell's 64-byte tip.
  std::string kept = tip.substr(0, kTipBytes);
  if (kept == tipHelp_) return;
  tipHelp_ = std::move(kept);
  if (!Designing()) IconChanged();
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  // An icon without any picture cannot be shown.
  visible_ = EffectiveIconHandle() != 0 ? visible : false;
  if (Designing() || Loading()) return;
  if (visible_) {
    NotifyShell(NotifyAction::kAdd);
  } else if (added_) {
    NotifyShell(NotifyAction::kDelete);
  }
}

void TTrayIcon::ReadState() {
  // A stored form without a tip means no tip; inherited descriptions read several times
  // before one loaded step, and a tip read by an earlier one must stay.
  if (!tipResetDone_) {
    tipResetDone_ = true;
    SetTipHelp("");
  }
  TComponent::ReadState();
}

void TTrayIcon::ReadProperties(const TrayIconStoredState& state) {
  if (state.animateIcons != nullptr) SetAnimateIcons(state.animateIcons);
  if (state.animateRate) SetAnimateRate(*state.animateRate);
  if (state.autoPopup) SetAutoPopup(*state.autoPopup);
  if (state.enabled) SetEnabled(*state.enabled);
  if (state.icon != 0) icon_->SetHandle(state.icon);
  if (state.lbPopupMenu != nullptr) SetLBPopupMenu(state.lbPopupMenu);
  if (state.rbPopupMenu != nullptr) SetRBPopupMenu(state.rbPopupMenu);
  if (state.tipHelp) SetTipHelp(*state.tipHelp);
  if (state.visible) SetVisible(*state.visible);
  if (state.OnClick) OnClick = state.OnClick;
  if (state.OnDblClick) OnDblClick = state.OnDblClick;
  if (state.OnMouseDown) OnMouseDown = state.OnMouseDown;
  if (state.OnMouseMove) OnMouseMove = state.OnMouseMove;
  if (state.OnMouseUp) OnMouseUp = state.OnMouseUp;
}

void TTrayIcon::Loaded() {
  tipResetDone_ = false;
  if (!Designing()) {
    try {
      NotifyShell(NotifyAction::kAdd);
    } catch (...) {
      // The component is read all the same: a later Visible change must reach the shell.
      TComponent::Loaded();
      throw;
    }
  }
  TComponent::Loaded();
}

void TTrayIcon::ReadFromStoredForm(const TrayIconStoredState& state) {
  ReadState();
  ReadProperties(state);
  Loaded();
}

TrayIconStoredState TTrayIcon::StoredProperties() const {
  TrayIconStoredState state;
  state.animateIcons = animateIcons_;
  if (animateRate_ != kDefaultAnimateRate) state.animateRate = animateRate_;
  if (!autoPopup_) state.autoPopup = autoPopup_;
  if (!enabled_) state.enabled = enabled_;
  state.icon = icon_->Handle();
  state.lbPopupMenu = lbPopupMenu_;
  state.rbPopupMenu = rbPopupMenu_;
  if (!tipHelp_.empty()) state.tipHelp = tipHelp_;
  if (visible_) state.visible = visible_;
  state.OnClick = OnClick;
  state.OnDblClick = OnDblClick;
  state.OnMouseDown = OnMouseDown;
  state.OnMouseMove = OnMouseMove;
  state.OnMouseUp = OnMouseUp;
  return state;
}

void TTrayIcon::Notification(TComponent* component, Operation operation) {
  TComponent::Notification(component, operation);
  if (operation != Operation::kRemove) return;
  if (component == lbPopupMenu_) lbPopupMenu_ = nullptr;
  if (component == rbPopupMenu_) rbPopupMenu_ = nullptr;
  if (component == animateIcons_) animateIcons_ = nullptr;
}

IconHandle TTrayIcon::EffectiveIconHandle() const {
  if (!icon_->Empty()) return icon_->Handle();
  if (const auto* form = dynamic_cast<const TForm*>(Owner());
      form != nullptr && form->Icon() != 0) {
    return form->Icon();
  }
  return application_.Icon();
}

void TTrayIcon::NotifyShell(NotifyAction action) {
  if (!record_) return;  // design mode: the shell is never told
  NotifyIconRecord& record = *record_;
  record.hIcon = animationRunning_ && animationWorker_ ? animationWorker_->CurrentFrame()
                                                       : EffectiveIconHandle();
  record.szTip.fill('\0');
  std::memcpy(record.szTip.data(), tipHelp_.data(), std::min(tipHelp_.size(), kTipBytes));
  record.uFlags = tipHelp_.empty() ? kFlagsWithoutTip : kFlagsWithTip;
  switch (action) {
    case NotifyAction::kAdd:
      if (!visible_) return;
      record.hWnd = TCallbackWindow::ForComponent(Owner(), application_).Handle();
      if (!shell_.NotifyIcon(kNimAdd, record)) throw ENotifyIconError(kNotifyIconErrorText);
      added_ = true;
      break;
    case NotifyAction::kModify:
      if (!shell_.NotifyIcon(kNimModify, record)) throw ENotifyIconError(kNotifyIconErrorText);
      break;
    case NotifyAction::kDelete:
      // A refused delete leaves nothing to do: the icon counts as gone either way.
      shell_.NotifyIcon(kNimDelete, record);
      added_ = false;
      break;
  }
}

void TTrayIcon::IconChanged() {
  if (added_ && !animationRunning_) NotifyShell(NotifyAction::kModify);
}

void TTrayIcon::ShellRestarted() {
  if (!visible_ || Designing() || Loading()) return;
  // The shell has made its notification area anew and forgotten the icon: add it again. The
  // same broadcast also comes while the shell still has the icon (the taskbar made anew for a
  // change of DPI, or any program sending it), and then the add is refused: the icon is brought
  // up to date instead. Only when the shell takes neither is the icon lost.
  added_ = false;
  try {
    if (OnShellRestarted) OnShellRestarted(*this);
    try {
      NotifyShell(NotifyAction::kAdd);
    } catch (const ENotifyIconError&) {
      NotifyShell(NotifyAction::kModify);  // to the window the add has just named
      added_ = true;
    }
  } catch (...) {
    // Each icon reports its own failure; the others are still added.
    application_.HandleException();
    if (OnReAddRefused) OnReAddRefused(*this);
  }
}

}  // namespace tavilune
