// Controls that own a window of the system: forms and the hidden helper windows of components.
#pragma once

#include <cstdint>
#include <string>

#include "forms/component.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace tavilune {

class TApplication;

class TWinControl : public TComponent, protected WindowListener {
 public:
  TWinControl(TComponent* owner, TApplication& application);
  ~TWinControl() override;

  TApplication& Application() const { return application_; }
  WindowSystem& Windows() const;

  // A child control lives inside its parent's window; a control without a parent is top-level.
  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);

  // The system window, created on first need (its parent's first).
  WindowHandle Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  void DestroyHandle();
  // Destroys the window and, when it had one, creates it again at once.
  void RecreateWnd();

  std::int32_t Left() const { return bounds_.left; }
  std::int32_t Top() const { return bounds_.top; }
  std::int32_t Width() const { return bounds_.Width(); }
  std::int32_t Height() const { return bounds_.Height(); }
  const Rect& BoundsRect() const { return bounds_; }
  void SetLeft(std::int32_t left);
  void SetTop(std::int32_t top);
  void SetWidth(std::int32_t width);
  void SetHeight(std::int32_t height);
  void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Invalidate();

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

 protected:
  // What the window is made of; the bounds and the parent are filled in by the caller.
  virtual WindowSpec CreateParams();
  // Runs right after the system window was created.
  virtual void CreateWnd() {}
  // Gives a message to the control. Returns true when handled (result set).
  virtual bool WndProc(const WindowMessage& message, std::intptr_t& result);

  bool HandleMessage(WindowHandle window, const WindowMessage& message,
                     std::intptr_t& result) override;
  void UpdateVisibleFromSystem(bool visible) { visible_ = visible; }

 private:
  void ApplyBounds();

  TApplication& application_;
  TWinControl* parent_ = nullptr;
  WindowHandle handle_ = 0;
  Rect bounds_;
  bool visible_ = false;
  std::string caption_;
};

}  // namespace tavilune
