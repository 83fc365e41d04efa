#include "tray/icon_registry.h"

#include <algorithm>
#include <charconv>

namespace tavilune {

IconRegistry& IconRegistry::Instance() {
  static IconRegistry registry;
  return registry;
}

std::int32_t IconRegistry::NextIdentifier() const {
  if (entries_.empty()) return 1;
  const std::string& last = entries_.back().key;
  std::int32_t value = 0;
  std::from_chars(last.data(), last.data() + last.size(), value);
  return value + 1;
}

void IconRegistry::Add(std::int32_t identifier, TTrayIcon* icon) {
  entries_.push_back(Entry{KeyOf(static_cast<std::uint32_t>(identifier)), icon});
}

void IconRegistry::Remove(std::int32_t identifier) {
  std::string key = KeyOf(static_cast<std::uint32_t>(identifier));
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& entry) { return entry.key == key; });
  if (found != entries_.end()) entries_.erase(found);
}

TTrayIcon* IconRegistry::Find(const std::string& key) const {
  for (const Entry& entry : entries_) {
    if (entry.key == key) return entry.icon;
  }
  return nullptr;
}

}  // namespace tavilune
