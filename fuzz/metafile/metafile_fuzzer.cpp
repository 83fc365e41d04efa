// Any bytes as a metafile: loaded or refused cleanly, the sizes are sane and the bytes handed
// to the system lie inside the file.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "forms/exceptions.h"
#include "picture/metafile.h"
#include "picture/stream.h"
#include "platform/canvas.h"

namespace {

class NullIcon : public tavilune::NativeIcon {};

// Touches every byte it is given, so the sanitizers see any read outside the file.
class TouchingCanvas : public tavilune::Canvas {
 public:
  void FillRect(const tavilune::Rect&, tavilune::Color) override {}
  void DrawDib(const tavilune::Dib&, const tavilune::Rect&, const tavilune::Palette*,
               tavilune::StretchMode) override {}
  std::unique_ptr<tavilune::NativeIcon> CreateIcon(std::span<const std::uint8_t> image,
                                                   std::int32_t, std::int32_t) override {
    Touch(image);
    return std::make_unique<NullIcon>();
  }
  std::unique_ptr<tavilune::NativeIcon> StandardApplicationIcon() override {
    return std::make_unique<NullIcon>();
  }
  void DrawIcon(tavilune::NativeIcon&, const tavilune::Rect&) override {}
  std::unique_ptr<tavilune::NativeMetafile> CreateMetafile(tavilune::MetafileBits,
                                                           std::span<const std::uint8_t> bytes,
                                                           std::int32_t, std::int32_t) override {
    Touch(bytes);
    return nullptr;
  }
  void DrawMetafile(tavilune::NativeMetafile&, const tavilune::Rect&) override {}

 private:
  static void Touch(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    volatile unsigned sink = sum;
    (void)sink;
  }
};

}  // namespace

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
  TouchingCanvas canvas;
  metafile.Draw(canvas, RectFromSize(0, 0, metafile.Width(), metafile.Height()));
  return 0;
}
