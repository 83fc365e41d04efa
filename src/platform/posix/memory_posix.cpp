#include <unistd.h>

#include "platform/memory.h"

namespace tavilune {

MemoryFacts SystemMemoryFacts() {
  MemoryFacts facts;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) {
    facts.physicalBytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
  }
  return facts;
}

}  // namespace tavilune
