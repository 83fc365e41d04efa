// Any bytes as a metafile: loaded or refused cleanly, the sizes are sane and the bytes handed
// to the system lie inside the file.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/exceptions.h"
#include "picture/metafile.h"
#include "picture/stream.h"
#include "platform/canvas.h"

#include "../touching_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  MemoryStream stream({data, size});
  TMetafile metafile;
  try {
    metafile.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  if (metafile.Width() < 0 || metafile.Height() < 0 || metafile.Width() > Dib::kMaxDimension ||
      metafile.Height() > Dib::kMaxDimension) {
    __builtin_trap();
  }
  fuzzing::TouchingCanvas canvas;
  metafile.Draw(canvas, RectFromSize(0, 0, metafile.Width(), metafile.Height()));
  return 0;
}
