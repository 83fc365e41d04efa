#include "forms/menu.h"

#include <map>

#include "forms/application.h"
#include "forms/messages.h"

namespace tavilune {

TMenuItem& TMenuItem::Add(std::string name, std::string caption) {
  items_.push_back(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
  return *items_.back();
}

TMenuItem* TMenuItem::Find(const std::string& name) {
  if (name_ == name) return this;
  for (auto& item : items_) {
    if (TMenuItem* found = item->Find(name)) return found;
  }
  return nullptr;
}

namespace {

// Numbers the items of one showing of a menu and answers the system's questions about them.
class MenuShowing : public MenuListener {
 public:
  explicit MenuShowing(TApplication& application) : application_(application) {}

  std::vector<MenuItemSpec> Specs(TMenuItem& parent) {
    std::vector<MenuItemSpec> specs;
    for (auto& item : parent.Items()) {
      MenuItemSpec spec;
      spec.caption = item->Caption();
      spec.id = static_cast<std::uint32_t>(items_.size() + 1);
      items_.push_back(item.get());
      spec.enabled = item->Enabled();
      spec.checked = item->Checked();
      spec.children = Specs(*item);
      specs.push_back(std::move(spec));
    }
    return specs;
  }

  TMenuItem* Item(std::uint32_t id) {
    return id >= 1 && id <= items_.size() ? items_[id - 1] : nullptr;
  }

  std::vector<MenuItemSpec> SubmenuOpening(std::uint32_t submenuId) override {
    TMenuItem* submenu = Item(submenuId);
    if (submenu == nullptr) return {};
    if (submenu->onClick) {
      // This runs inside the system's menu loop, outside every window message's own fence:
      // an exception must not unwind through the system's code. The error box shows it and
      // the submenu opens with the states as they are.
      try {
        submenu->onClick();
      } catch (...) {
        application_.HandleException();
      }
    }
    std::vector<MenuItemSpec> specs;
    for (auto& item : submenu->Items()) {
      MenuItemSpec spec;
      spec.caption = item->Caption();
      spec.id = IdOf(item.get());
      spec.enabled = item->Enabled();
      spec.checked = item->Checked();
      specs.push_back(std::move(spec));
    }
    return specs;
  }

 private:
  std::uint32_t IdOf(TMenuItem* item) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == item) return static_cast<std::uint32_t>(i + 1);
    }
    return 0;
  }

  TApplication& application_;
  std::vector<TMenuItem*> items_;
};

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner, TApplication& application)
    : TComponent(owner), application_(application) {}

void TPopupMenu::Popup(std::int32_t x, std::int32_t y) {
  MenuShowing showing(application_);
  std::vector<MenuItemSpec> specs = showing.Specs(root_);
  std::uint32_t chosen = application_.Windows().TrackPopupMenu(
      specs, Point{x, y}, msg::kTpmRightButton, application_.Handle(), &showing);
  TMenuItem* item = showing.Item(chosen);
  if (item != nullptr && item->Enabled() && item->Items().empty() && item->onClick) {
    item->onClick();
  }
}

}  // namespace tavilune
