// JPEG pictures from untrusted bytes: loading (the header) and the first decode, in both pixel
// formats, with and without progressive display, with progress reports on. Failures must be the
// program's exceptions, never a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/exceptions.h"
#include "picture/jpeg_image.h"
#include "picture/stream.h"
#include "platform/memory.h"

namespace {

// Pictures larger than this are loaded but not decoded, so that each input stays fast; the
// sizes themselves are the bitmap's business and are tested there.
constexpr std::int64_t kMaxDecodedPixels = 512 * 512;
constexpr std::int64_t kMaxPassPixels = 128 * 128;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavilune;
  // The fuzzer's own machine: a small one, whose bound refuses large pictures at load.
  SetMemory(MemoryFacts{64, 512ull << 20});
  TJPEGImage image;
  // The length picks the pixel format and progressive display, so that every kind of file
  // meets every way of decoding it.
  image.MutableSettings().pixelFormat = size % 2 ? JpegPixelFormat::k8Bit : JpegPixelFormat::k24Bit;
  std::uint32_t now = 0;
  image.SetTickSource([&now] { return now += 250; });
  std::int64_t rowsReported = 0;
  image.SetOnProgress(
      [&rowsReported](TGraphic&, const ProgressEvent& event) { rowsReported += event.r.Height(); });
  try {
    MemoryStream stream(std::span<const std::uint8_t>(data, size));
    image.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  const std::int64_t pixels = std::int64_t{image.Width()} * image.Height();
  if (pixels > kMaxDecodedPixels) return 0;
  // Progressive display makes one pass over the whole picture per scan: kept to small pictures,
  // where a file of many scans still decodes quickly.
  image.MutableSettings().progressiveDisplay = size / 2 % 2 != 0 && pixels <= kMaxPassPixels;
  try {
    TBitmap& bitmap = image.DecodeJpeg();
    // Touch every row so that the sanitizers check the whole bitmap.
    volatile std::uint8_t sum = 0;
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) sum = sum + bitmap.ScanLine(y)[0];
  } catch (const Exception&) {
  }
  // The decoded bitmap stays: a second call neither decodes again nor fails.
  image.DecodeJpeg();
  return 0;
}
