// The machine facts a test sets (the screen, the memory), put back as they were when the test
// ends, also when a failed check stops it half-way.
#pragma once

#include "platform/display.h"
#include "platform/memory.h"

namespace tavilune::testing {

template <typename Facts, const Facts& (*Get)(), void (*Set)(const Facts&)>
class ScopedFacts {
 public:
  explicit ScopedFacts(const Facts& facts = Get()) : saved_(Get()) { Set(facts); }
  ~ScopedFacts() { Set(saved_); }
  ScopedFacts(const ScopedFacts&) = delete;
  ScopedFacts& operator=(const ScopedFacts&) = delete;
  // The facts as they were before the test.
  const Facts& Saved() const { return saved_; }

 private:
  Facts saved_;
};

using ScopedDisplay = ScopedFacts<DisplayFacts, Display, SetDisplay>;
using ScopedMemory = ScopedFacts<MemoryFacts, Memory, SetMemory>;

// The present display at another colour depth.
inline DisplayFacts DisplayWithBits(int bitsPerPixel) {
  DisplayFacts facts = Display();
  facts.bitsPerPixel = bitsPerPixel;
  return facts;
}

}  // namespace tavilune::testing
