#include "picture/jpeg_image.h"

#include <chrono>
#include <utility>

#include "picture/jpeg_decompressor.h"
#include "picture/jpeg_orientation.h"
#include "picture/stream.h"
#include "platform/exceptions.h"

namespace tavilune {

std::uint32_t SystemTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace {

// The decoder's output size for one side at a scale of 1 / 2^index: the side divided and
// rounded up, as the library computes it.
std::int32_t ScaledSide(std::int32_t side, JpegScale scale) {
  const std::int64_t denominator = std::int64_t{1} << static_cast<int>(scale);
  return static_cast<std::int32_t>((side + denominator - 1) / denominator);
}

}  // namespace

const GraphicClass& TJPEGImage::StaticClass() {
  static const GraphicClass kClass{"TJPEGImage", &TGraphic::StaticClass(), &TJPEGImage::Create};
  return kClass;
}

std::unique_ptr<TGraphic> TJPEGImage::Create() { return std::make_unique<TJPEGImage>(); }

TJPEGImage::TJPEGImage()
    : data_(std::make_shared<TJPEGData>()), settings_(JpegDefaults()), ticks_(&SystemTickCount) {}

void TJPEGImage::LoadFromStream(Stream& stream) {
  data_ = std::make_shared<TJPEGData>();
  bitmap_.reset();
  temporaryPalette_.reset();

  auto data = std::make_shared<TJPEGData>();
  data->bytes = stream.ReadToEnd();
  if (!data->bytes.empty()) {
    JpegDecompressor decompressor(data->bytes);
    JpegHeaderFacts facts = ReadJpegHeaderFacts(decompressor);
    data->width = facts.width;
    data->height = facts.height;
    data->grayscale = facts.grayscale;
    data->multipleScans = facts.multipleScans;
    data->metadata = std::move(facts.metadata);
    // The pixels are decoded on first need, but whether they can be held at all is known now:
    // a picture too large for memory is refused while the previous one is still shown.
    if (!DecodeFitsMemory(decompressor, settings_)) throw EOutOfMemory(u8"メモリが足りません");
  }
  data_ = std::move(data);

  SetPaletteModified(true);
  Changed();
}

std::int32_t TJPEGImage::Width() {
  if (bitmap_) return bitmap_->Width();
  const PictureOrientation orientation(data_->metadata.orientation);
  return ScaledSide(orientation.ShownWidth(data_->width, data_->height), settings_.scale);
}

std::int32_t TJPEGImage::Height() {
  if (bitmap_) return bitmap_->Height();
  const PictureOrientation orientation(data_->metadata.orientation);
  return ScaledSide(orientation.ShownHeight(data_->width, data_->height), settings_.scale);
}

bool TJPEGImage::Empty() {
  if (bitmap_) return bitmap_->Empty();
  return data_->bytes.empty();
}

const Palette* TJPEGImage::GetPalette() {
  if (bitmap_) return bitmap_->GetPalette();
  if (temporaryPalette_) return &*temporaryPalette_;
  // A true-colour picture on a screen of 256 colours or fewer is shown through the system's
  // halftone palette until it is decoded.
  if (settings_.pixelFormat == JpegPixelFormat::k24Bit && Display().bitsPerPixel <= 8) {
    temporaryPalette_ = Palette{true, {}};
    return &*temporaryPalette_;
  }
  return nullptr;
}

void TJPEGImage::Draw(Canvas& canvas, const Rect& rect) { DecodeJpeg().Draw(canvas, rect); }

void TJPEGImage::Assign(const TJPEGImage& source) {
  if (&source == this) return;
  data_ = source.data_;
  bitmap_ = source.bitmap_;
  temporaryPalette_.reset();
  settings_ = source.settings_;
  SetPaletteModified(true);
  Changed();
}

}  // namespace tavilune
