#include <windows.h>

#include "platform/memory.h"

namespace tavilune {

MemoryFacts SystemMemoryFacts() {
  MemoryFacts facts;
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) facts.physicalBytes = status.ullTotalPhys;
  return facts;
}

}  // namespace tavilune
