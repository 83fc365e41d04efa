// The notification area of the Windows shell.
#pragma once

#include "platform/shell.h"

namespace tavilune::win32 {

class Win32Shell : public Shell {
 public:
  bool NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) override;
  std::uint32_t TaskbarCreatedMessage() override;
  void LetThrough(WindowHandle window, std::uint32_t message) override;
};

}  // namespace tavilune::win32
