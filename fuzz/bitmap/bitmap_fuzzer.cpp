// Any bytes as a bitmap file: the decoder must refuse or load them without reading or writing
// outside its blocks, and a loaded bitmap must be readable to its last pixel.
#include <cstddef>
#include <cstdint>

#include "platform/exceptions.h"
#include "picture/bitmap.h"
#include "picture/dib_convert.h"
#include "picture/stream.h"
#include "platform/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  // The fuzzer's own machine: a small one, so that no input makes it allocate more than a
  // quarter of a gigabyte.
  SetMemory(MemoryFacts{64, 512ull << 20});
  MemoryStream stream({data, size});
  TBitmap bitmap;
  // No colour management, but an embedded profile is still read and checked.
  NoColorManagement colors;
  try {
    ReadBitmapFile(bitmap, stream, &colors);
  } catch (const Exception&) {
    return 0;
  }
  const Dib& dib = bitmap.GetDib();
  // Walking every pixel of a large bitmap proves little more than walking a small one and
  // would slow the search down; the pixel array's extent is checked through its last row.
  if (static_cast<std::uint64_t>(dib.Width()) * dib.Height() <= 1 << 16) {
    volatile std::size_t sink = DibToRgb(dib).size();
    (void)sink;
  } else if (!dib.Empty()) {
    const std::uint8_t* last = dib.Row(dib.TopDown() ? dib.Height() - 1 : 0);
    volatile std::uint8_t sink = last[dib.Stride() - 1];
    (void)sink;
  }
  volatile std::size_t info = dib.BitmapInfo().size();
  (void)info;
  return 0;
}
