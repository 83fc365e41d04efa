// How much memory one picture's pixels may take. A picture is held whole, in one block, so the
// bound follows what the process's address space can place in one piece and what the machine
// can back without pushing everything else out to disk. The Windows start-up code asks the
// system once (SystemMemoryFacts); native tools may do the same; tests and fuzzers set their own.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tavilune {

constexpr std::uint64_t kGibibyte = std::uint64_t{1} << 30;

struct MemoryFacts {
  // Bits of a pointer: 32 for the 32-bit program, whose whole address space is at most 4 GB
  // (2 GB on a 32-bit Windows), 64 otherwise.
  unsigned pointerBits = sizeof(void*) * 8;
  // The machine's physical memory in bytes; 0 while unknown.
  std::uint64_t physicalBytes = 0;
};

// The rule, the same for both programs: the 32-bit program's 4 GB hold the program, the system's
// DLLs and the picture's file as well, and rarely have a free stretch much beyond 1 GiB; the
// 64-bit program has room for anything, so there the bound is 4 GiB (the system's bitmap header
// counts the pixel bytes in 32 bits) or half the machine's memory, whichever is smaller.
inline std::uint64_t PixelMemoryBound(const MemoryFacts& facts) {
  const std::uint64_t addressSpaceShare = facts.pointerBits <= 32 ? kGibibyte : 4 * kGibibyte;
  if (facts.physicalBytes == 0) return addressSpaceShare;
  return std::min(addressSpaceShare, facts.physicalBytes / 2);
}

// What the system says about this process and machine (GlobalMemoryStatusEx on Windows, sysconf
// on POSIX systems).
MemoryFacts SystemMemoryFacts();

// The process-wide facts. Set once at start-up, before any picture is loaded.
inline MemoryFacts& MutableMemoryFacts() {
  static MemoryFacts facts;
  return facts;
}
inline const MemoryFacts& Memory() { return MutableMemoryFacts(); }
inline void SetMemory(const MemoryFacts& facts) { MutableMemoryFacts() = facts; }

}  // namespace tavilune
