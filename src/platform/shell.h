// The shell's notification area (the tray): icons with a tip that report mouse activity to a
// window of the program.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace tavilune {

// Shell_NotifyIcon actions.
constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimModify = 1;
constexpr std::uint32_t kNimDelete = 2;

// Which members of the record the shell takes.
constexpr std::uint32_t kNifMessage = 0x1;
constexpr std::uint32_t kNifIcon = 0x2;
constexpr std::uint32_t kNifTip = 0x4;

// The notification record in its first form: 88 bytes on the 32-bit system, with a 64-byte
// tip in the ANSI code page.
constexpr std::uint32_t kNotifyIconRecordSize = 88;
constexpr std::size_t kNotifyIconTipBytes = 64;

struct NotifyIconRecord {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  std::array<char, kNotifyIconTipBytes> szTip{};  // ANSI bytes, ended by a NUL

  // The tip up to its terminating NUL.
  std::string Tip() const {
    std::size_t length = 0;
    while (length < szTip.size() && szTip[length] != '\0') ++length;
    return std::string(szTip.data(), length);
  }
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Shell_NotifyIconA. False when the shell refused.
  virtual bool NotifyIcon(std::uint32_t action, const NotifyIconRecord& record) = 0;

  // The message that the shell broadcasts to every top-level window when it has made the
  // notification area anew (after a crash or restart of the shell): its icons are gone then.
  // 0 when the system has no such message.
  virtual std::uint32_t TaskbarCreatedMessage() = 0;

  // Lets the shell's message reach the window also when the program runs elevated: the system
  // filters messages that a program of lower integrity, such as the shell, sends to it.
  virtual void LetThrough(WindowHandle window, std::uint32_t message) = 0;
};

}  // namespace tavilune
