#include "fakes/fake_shell.h"

namespace tavilune::testing {

bool FakeShell::NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) {
  calls.push_back(ShellCall{action, record});
  if (refused.count(action) != 0) return false;
  auto key = std::make_pair(record.hWnd, record.uID);
  auto found = shown.find(key);
  switch (action) {
    case kNimAdd:
      if (found != shown.end()) return false;
      shown[key] = record;
      if ((record.uFlags & kNifTip) == 0) shown[key].szTip = {};
      return true;
    case kNimModify:
      if (found == shown.end()) return false;
      // Only the members named by the flags change.
      if (record.uFlags & kNifMessage) found->second.uCallbackMessage = record.uCallbackMessage;
      if (record.uFlags & kNifIcon) found->second.hIcon = record.hIcon;
      if (record.uFlags & kNifTip) found->second.szTip = record.szTip;
      return true;
    case kNimDelete:
      if (found == shown.end()) return false;
      shown.erase(found);
      return true;
    default:
      return false;
  }
}

std::vector<ShellCall> FakeShell::CallsOf(std::uint32_t action) const {
  std::vector<ShellCall> of;
  for (const ShellCall& call : calls) {
    if (call.action == action) of.push_back(call);
  }
  return of;
}

}  // namespace tavilune::testing
