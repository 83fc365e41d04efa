// Facts about the screen that decoders and painting rules depend on. The Windows start-up code
// fills them in once from the screen's device context and the system metrics; native builds and
// tests keep the defaults below or set their own.
#pragma once

#include <cstdint>

namespace tavilune {

struct DisplayFacts {
  // Bits per pixel times planes of the screen's device context.
  int bitsPerPixel = 32;
  // The system's standard icon size (SM_CXICON, SM_CYICON).
  int standardIconWidth = 32;
  int standardIconHeight = 32;
  // Vertical pixels per logical inch of the screen (LOGPIXELSY).
  int pixelsPerInchY = 96;
};

// The process-wide facts. Set once at start-up, before any picture is loaded or drawn.
inline DisplayFacts& MutableDisplayFacts() {
  static DisplayFacts facts;
  return facts;
}
inline const DisplayFacts& Display() { return MutableDisplayFacts(); }
inline void SetDisplay(const DisplayFacts& facts) { MutableDisplayFacts() = facts; }

}  // namespace tavilune
