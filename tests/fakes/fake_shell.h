// A notification area in memory. It keeps the icons it shows by (window, identifier) as the
// real shell does, so an add of a shown icon or a modify or delete of an absent one is refused;
// every call is recorded with a copy of its record, and a test can script refusals or make the
// notification area anew.
#pragma once

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace tavilune::testing {

struct ShellCall {
  std::uint32_t action;
  NotifyIconRecord record;
};

class FakeShell : public Shell {
 public:
  bool NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) override;
  std::uint32_t TaskbarCreatedMessage() override { return taskbarCreatedMessage; }
  void LetThrough(WindowHandle window, std::uint32_t message) override {
    letThrough.emplace(window, message);
  }

  // The shell was made anew: every icon is gone.
  void Restart() { shown.clear(); }
  // The calls of one action, in order.
  std::vector<ShellCall> CallsOf(std::uint32_t action) const;

  std::vector<ShellCall> calls;
  // Actions the shell refuses from now on (kNimAdd, kNimModify, kNimDelete).
  std::set<std::uint32_t> refused;
  std::map<std::pair<WindowHandle, std::uint32_t>, NotifyIconRecord> shown;
  std::uint32_t taskbarCreatedMessage = 0xC123;
  std::set<std::pair<WindowHandle, std::uint32_t>> letThrough;  // (window, message)
};

}  // namespace tavilune::testing
