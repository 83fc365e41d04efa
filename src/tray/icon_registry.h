// The process's list of tray icons: it hands out the identifiers by which the shell tells them
// apart and finds an icon again from the identifier in the shell's callback message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavilune {

class TTrayIcon;

class IconRegistry {
 public:
  static constexpr std::size_t kCapacity = 100;

  struct Entry {
    std::string key;  // the identifier in decimal digits
    TTrayIcon* icon;
  };

  // The one registry of the process. It lives until the process ends, after every icon.
  static IconRegistry& Instance();

  static std::string KeyOf(std::uint32_t identifier) { return std::to_string(identifier); }

  bool Full() const { return entries_.size() >= kCapacity; }
  // One more than the last key: entries are only appended, so it is one more than the largest
  // identifier in use.
  std::int32_t NextIdentifier() const;
  void Add(std::int32_t identifier, TTrayIcon* icon);
  void Remove(std::int32_t identifier);
  TTrayIcon* Find(const std::string& key) const;

 private:
  std::vector<Entry> entries_;
};

}  // namespace tavilune
