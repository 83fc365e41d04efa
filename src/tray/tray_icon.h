// TTrayIcon: a component that puts one icon with a tip into the notification area, keeps the
// shell's copy up to date and reports mouse activity on it as events and popup menus.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/component.h"
#include "forms/messages.h"
#include "forms/mouse.h"
#include "platform/shell.h"
#include "tray/icon_picture.h"
#include "tray/single_click.h"

namespace tavilune {

class TApplication;
class TCallbackWindow;
class TImageList;
class TPopupMenu;
class TTrayIcon;
struct ClickPendingAccess;

// The message by which the shell reports mouse activity on every tray icon of the process.
constexpr std::uint32_t TrayCallbackMessage = msg::kUser + 200;

// The text of the one failure of the tray icon: it says that the icon cannot be registered in
// the task tray.
inline constexpr char kNotifyIconErrorText[] = u8"タスクトレイにアイコンを登録できません。";

enum class NotifyAction { kAdd, kModify, kDelete };

// What a stored form holds of a tray icon: a property is absent (nullopt, none, empty,
// unassigned) when the form does not store it. Properties with a stored default are not stored
// when they equal it; the others whenever they are not empty or none.
struct TrayIconStoredState {
  TImageList* animateIcons = nullptr;
  std::optional<std::int32_t> animateRate;
  std::optional<bool> autoPopup;
  std::optional<bool> enabled;
  IconHandle icon = 0;
  TPopupMenu* lbPopupMenu = nullptr;
  TPopupMenu* rbPopupMenu = nullptr;
  std::optional<std::string> tipHelp;
  std::optional<bool> visible;
  std::function<void(TTrayIcon&)> OnClick;
  std::function<void(TTrayIcon&)> OnDblClick;
  std::function<void(TTrayIcon&, TMouseButton, TShiftState, std::int32_t, std::int32_t)>
      OnMouseDown;
  std::function<void(TTrayIcon&, TShiftState, std::int32_t, std::int32_t)> OnMouseMove;
  std::function<void(TTrayIcon&, TMouseButton, TShiftState, std::int32_t, std::int32_t)> OnMouseUp;
};

class TTrayIcon : public TComponent {
 public:
  using NotifyEvent = std::function<void(TTrayIcon& sender)>;
  using MouseEvent = std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift,
                                        std::int32_t x, std::int32_t y)>;
  using MouseMoveEvent =
      std::function<void(TTrayIcon& sender, TShiftState shift, std::int32_t x, std::int32_t y)>;

  static constexpr std::int32_t kDefaultAnimateRate = 500;
  static constexpr std::int32_t kMinimumAnimateRate = 100;
  static constexpr std::size_t kTipBytes = 62;
  static constexpr std::uint32_t kFlagsWithTip = kNifMessage | kNifIcon | kNifTip;
  static constexpr std::uint32_t kFlagsWithoutTip = kNifMessage | kNifIcon;

  // Raises ENotifyIconError when the process already has the registry's capacity of icons.
  // A component placed on an owner that is being designed is in design mode: it takes an
  // identifier but never touches the shell.
  TTrayIcon(TComponent* owner, TApplication& application, Shell& shell,
            ClickWorkers& workers = SystemClickWorkers());
  ~TTrayIcon() override;

  // The published properties, in the order a stored form holds them.
  TImageList* AnimateIcons() const { return animateIcons_; }
  void SetAnimateIcons(TImageList* list);
  std::int32_t AnimateRate() const { return animateRate_; }
  void SetAnimateRate(std::int32_t milliseconds);
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // The owned icon. Changing it (SetHandle, Assign, Clear) updates a shown icon.
  TIconPicture& Icon() { return *icon_; }
  const TIconPicture& Icon() const { return *icon_; }
  // Copies the given icon's image; none empties the owned icon.
  void SetIcon(const TIconPicture* icon);
  TPopupMenu* LBPopupMenu() const { return lbPopupMenu_; }
  void SetLBPopupMenu(TPopupMenu* menu);
  TPopupMenu* RBPopupMenu() const { return rbPopupMenu_; }
  void SetRBPopupMenu(TPopupMenu* menu);
  // ANSI bytes of the system code page; only the first 62 are kept.
  const std::string& TipHelp() const { return tipHelp_; }
  void SetTipHelp(const std::string& tip);
  // The wanted state: whether the icon should be in the notification area.
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;
  // After the shell made its notification area anew and refused to take the icon back (the
  // error has been shown): whoever hid a window behind the icon must bring it back.
  NotifyEvent OnReAddRefused;
  // Before the icon is added again after the shell was made anew: the moment to change its image.
  NotifyEvent OnShellRestarted;

  // Reading from a stored form: ReadState (once or more, as for an inherited description),
  // ReadProperties after each, then Loaded once. ReadFromStoredForm does all three.
  void ReadState() override;
  void ReadProperties(const TrayIconStoredState& state);
  void Loaded() override;
  void ReadFromStoredForm(const TrayIconStoredState& state);
  // What writing this component to a stored form would hold.
  TrayIconStoredState StoredProperties() const;

  void Notification(TComponent* component, Operation operation) override;

  // The uID of the icon and the key of its registry entry.
  std::int32_t Identifier() const { return identifier_; }
  // Whether the shell shows the icon: true from a successful add until the next delete.
  bool Added() const { return added_; }
  bool ClickPending() const { return clickPending_; }
  TApplication& Application() const { return application_; }
  ClickWorkers& Workers() const { return workers_; }

  // The icon the shell is given: the own icon, else the owner form's, else the application's.
  IconHandle EffectiveIconHandle() const;
  // The one place that calls the shell. Raises ENotifyIconError when an add or modify is refused.
  void NotifyShell(NotifyAction action);
  // The owned icon or the tip changed: a shown icon is updated.
  void IconChanged();

  // A running animation would hand the shell the icon of its current frame. Nothing in the
  // program starts one, so no animation is built; the state stays so that the rules tied to it
  // (the frame's icon goes to the shell, AnimateIcons is fixed while it runs, destruction stops
  // the worker and waits for it) hold for any animation added later.
  class AnimationWorker {
   public:
    virtual ~AnimationWorker() = default;  // waits until the worker has ended
    virtual IconHandle CurrentFrame() = 0;
    virtual void Terminate() = 0;
    virtual bool Suspended() = 0;
    virtual void Resume() = 0;
  };
  bool AnimationRunning() const { return animationRunning_; }

 private:
  friend struct ClickPendingAccess;

  // The shell made its notification area anew: icons that should be shown are added again.
  void ShellRestarted();

  TApplication& application_;
  Shell& shell_;
  ClickWorkers& workers_;
  std::int32_t identifier_ = 0;
  std::unique_ptr<NotifyIconRecord> record_;
  std::unique_ptr<TIconPicture> icon_;

  TImageList* animateIcons_ = nullptr;
  std::int32_t animateRate_ = kDefaultAnimateRate;
  bool autoPopup_ = true;
  bool enabled_ = true;
  TPopupMenu* lbPopupMenu_ = nullptr;
  TPopupMenu* rbPopupMenu_ = nullptr;
  std::string tipHelp_ = "TipHelp";
  bool visible_ = false;

  bool added_ = false;
  bool clickPending_ = false;
  bool tipResetDone_ = false;
  bool animationRunning_ = false;
  std::unique_ptr<AnimationWorker> animationWorker_;

  std::uint32_t taskbarCreatedMessage_ = 0;
  int messageHook_ = 0;
};

}  // namespace tavilune
