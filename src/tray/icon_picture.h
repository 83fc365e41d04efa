// The tray icon's own picture: a system icon and a notice to its holder whenever it changes.
#pragma once

#include <functional>

#include "platform/window_system.h"

namespace tavilune {

class TIconPicture {
 public:
  // The system icon; 0 while the picture is empty. The picture does not own the system icon:
  // icons loaded from the program's resources are shared and never destroyed.
  IconHandle Handle() const { return handle_; }
  bool Empty() const { return handle_ == 0; }

  void SetHandle(IconHandle handle) {
    handle_ = handle;
    Changed();
  }
  void Assign(const TIconPicture& other) {
    handle_ = other.handle_;
    Changed();
  }
  void Clear() {
    handle_ = 0;
    Changed();
  }

  std::function<void()> onChange;

 private:
  void Changed() {
    if (onChange) onChange();
  }

  IconHandle handle_ = 0;
};

}  // namespace tavilune
