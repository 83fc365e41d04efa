// The JPEG decoder's process-wide parts: the defaults every new picture copies, and its entries
// in the format table.
#include "picture/jpeg_image.h"
#include "picture/picture_formats.h"

namespace tavilune {

JpegSettings& JpegDefaults() {
  static JpegSettings defaults;
  return defaults;
}

void InitJpegDefaults(const DisplayFacts& display) {
  JpegDefaults().pixelFormat =
      display.bitsPerPixel <= 8 ? JpegPixelFormat::k8Bit : JpegPixelFormat::k24Bit;
}

void RegisterJpegPictureFormats() {
  InitJpegDefaults(Display());
  AddPictureFormat("jpeg", u8"JPEG イメージファイル", TJPEGImage::StaticClass());
  AddPictureFormat("jpg", u8"JPEG イメージファイル", TJPEGImage::StaticClass());
}

const GraphicClass& JpegPictureClass() { return TJPEGImage::StaticClass(); }

void UnregisterJpegPictureFormats() { RemovePictureClass(TJPEGImage::StaticClass()); }

}  // namespace tavilune
