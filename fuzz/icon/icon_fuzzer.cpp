// Any bytes as an icon file: loaded or refused cleanly, and the image handed to the system lies
// inside the file.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/exceptions.h"
#include "picture/icon.h"
#include "picture/stream.h"
#include "platform/canvas.h"

#include "../touching_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  MemoryStream stream({data, size});
  TIcon icon;
  try {
    icon.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  fuzzing::TouchingCanvas canvas;
  icon.Draw(canvas, RectFromSize(0, 0, icon.Width(), icon.Height()));
  return 0;
}
