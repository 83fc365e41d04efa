// JPEG pictures. Loading keeps the whole file in memory and reads only its header; the pixels are
// decoded through libjpeg into a bitmap the first time the picture is needed, which is its first
// draw, and that bitmap stays with the picture from then on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "picture/bitmap.h"
#include "picture/graphic.h"
#include "picture/jpeg_markers.h"
#include "platform/display.h"

namespace tavilune {

enum class JpegPerformance { kBestQuality, kBestSpeed };
enum class JpegPixelFormat { k24Bit, k8Bit };
// Output size: full, half, quarter or eighth of the picture's size (the scale index 0 to 3).
enum class JpegScale { kFullSize = 0, kHalf = 1, kQuarter = 2, kEighth = 3 };

// How a JPEG picture is decoded (and, for quality and progressive encoding, would be written;
// this program never writes one).
struct JpegSettings {
  int quality = 90;
  bool grayscale = false;  // decode a colour file to grey
  JpegPerformance performance = JpegPerformance::kBestQuality;
  JpegPixelFormat pixelFormat = JpegPixelFormat::k24Bit;
  // Show a multi-scan file scan by scan while it decodes (off in this program).
  bool progressiveDisplay = false;
  bool progressiveEncoding = false;
  JpegScale scale = JpegScale::kFullSize;
  bool smoothing = true;
};

// The process-wide record whose values every new TJPEGImage copies.
JpegSettings& JpegDefaults();
// Program start: the pixel format follows the screen's depth at that moment (8-bit for screens of
// at most 256 colours, else 24-bit) and stays so when the screen changes later.
void InitJpegDefaults(const DisplayFacts& display);

// A JPEG file's bytes and header facts, shared between pictures assigned from one another. Width
// and height are the stored picture's; the metadata's orientation says how it is shown.
struct TJPEGData {
  std::vector<std::uint8_t> bytes;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool grayscale = false;
  bool multipleScans = false;
  // The EXIF orientation, the embedded colour profile's bytes (for the colour transform) and
  // the Adobe marker, read with the header.
  JpegMetadata metadata;
};

// Milliseconds that wrap around like the system's tick count.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t SystemTickCount();

class JpegDecompressor;

class TJPEGImage : public TGraphic {
 public:
  static const GraphicClass& StaticClass();
  static std::unique_ptr<TGraphic> Create();

  TJPEGImage();
  const GraphicClass& Class() const override { return StaticClass(); }

  // ReadJpegHeader: keeps every byte left in the stream and reads the header from them. A stream
  // with no bytes left gives an empty picture of 0 x 0. Raises EJPEG for a file that is not a
  // JPEG or whose header is damaged; damage in the picture data shows only when decoding.
  void LoadFromStream(Stream& stream) override;

  // The decoded bitmap's size once decoded, else the size the header promises at this scale,
  // turned by the picture's orientation: a photo taken upright is as tall as it is shown.
  std::int32_t Width() override;
  std::int32_t Height() override;
  bool Empty() override;
  const Palette* GetPalette() override;
  // Decodes on first need and draws the decoded bitmap. A decode that failed part way has left
  // the rows made so far, which are drawn from then on; the decode is never tried again.
  void Draw(Canvas& canvas, const Rect& rect) override;
  bool TurnedForDisplay() const override { return bitmap_ && bitmap_->TurnedForDisplay(); }

  // The decoded bitmap, decoding it first if there is none yet (DecodeJpeg). Raises EJPEG (or
  // what a progress listener raised, except EAbort, which ends the decode silently).
  TBitmap& DecodeJpeg();
  bool Decoded() const { return bitmap_ != nullptr; }

  // Shares the other picture's bytes and decoded bitmap and takes its settings.
  void Assign(const TJPEGImage& source);

  const JpegSettings& Settings() const { return settings_; }
  JpegSettings& MutableSettings() { return settings_; }
  const TJPEGData* Data() const { return data_.get(); }

  // The clock of the decode's progress reports (500 ms apart at least).
  void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

 private:
  // Whether decoding the picture whose header the decompressor has read, with these settings,
  // holds the bitmap and the decoder's own whole-picture buffers within the pixel memory bound.
  static bool DecodeFitsMemory(JpegDecompressor& decompressor, const JpegSettings& settings);

  std::shared_ptr<const TJPEGData> data_;
  std::shared_ptr<TBitmap> bitmap_;
  std::optional<Palette> temporaryPalette_;
  JpegSettings settings_;
  TickSource ticks_;
};

}  // namespace tavilune
