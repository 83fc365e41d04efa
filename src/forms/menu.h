// Popup menus: a tree of items shown by the system at a point; a chosen leaf's handler runs
// after the menu has closed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/component.h"
#include "platform/types.h"

namespace tavilune {

class TApplication;

class TMenuItem {
 public:
  TMenuItem(std::string name, std::string caption)
      : name_(std::move(name)), caption_(std::move(caption)) {}

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool IsSeparator() const { return caption_ == "-"; }

  // For a leaf: the command. For a submenu: runs each time the submenu opens, before it shows.
  std::function<void()> onClick;

  TMenuItem& Add(std::string name, std::string caption);
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
  TMenuItem* Find(const std::string& name);

 private:
  std::string name_;
  std::string caption_;
  bool enabled_ = true;
  bool checked_ = false;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, TApplication& application);

  TMenuItem& Items() { return root_; }
  // Captions show exactly as written: no automatic accelerator letters.
  bool autoHotkeys = false;

  // Shows the menu with its top-left corner at the screen point and returns when it closed,
  // after running the chosen item's handler.
  virtual void Popup(std::int32_t x, std::int32_t y);

 private:
  TApplication& application_;
  TMenuItem root_{"", ""};
};

}  // namespace tavilune
