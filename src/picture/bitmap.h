// A device-independent bitmap picture. Bitmap files load through ReadBitmapFile; other decoders
// (the JPEG decoder) size the bitmap with SetSize and write its rows in place.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "picture/graphic.h"
#include "platform/color_management.h"
#include "platform/dib.h"

namespace tavilune {

enum class PixelFormat {
  k8Bit,   // one byte per pixel, an index into a colour table of up to 256 entries
  k24Bit,  // blue, green, red bytes
  k32Bit,  // blue, green, red and an unused byte
};

class TBitmap : public TGraphic {
 public:
  static const GraphicClass& StaticClass();
  static std::unique_ptr<TGraphic> Create();

  TBitmap() = default;
  const GraphicClass& Class() const override { return StaticClass(); }

  // Reads a bitmap file (ReadBitmapFile).
  void LoadFromStream(Stream& stream) override;

  std::int32_t Width() override { return dib_.Width(); }
  std::int32_t Height() override { return dib_.Height(); }
  bool Empty() override { return dib_.Empty(); }
  // The explicit palette when there is one; otherwise, for 8 bits per pixel or fewer, the
  // palette made from the colour table; otherwise nothing.
  const Palette* GetPalette() override;
  void Draw(Canvas& canvas, const Rect& rect) override;

  // Gives the bitmap new cleared rows of the given size and format, stored top row first so
  // that row y + 1 follows row y in memory (RowStep() is positive). An 8-bit bitmap starts with
  // an empty colour table. Raises EInvalidGraphic for sides outside the program's caps and
  // EOutOfMemory when the rows cannot be had. Drops any palette.
  void SetSize(std::int32_t width, std::int32_t height, PixelFormat format);
  // Row y of the picture, 0 being the top row.
  std::uint8_t* ScanLine(std::int32_t y) { return dib_.Row(y); }
  std::ptrdiff_t RowStep() const { return dib_.RowStep(); }
  // Sets the colour table of an 8-bit bitmap (at most 256 entries).
  void SetColorTable(std::vector<RgbQuad> colors);
  // Sets (or with nothing, drops) the logical palette realised when drawing.
  void SetPalette(std::optional<Palette> palette);
  // Tells the listeners that rows or palette changed.
  void NotifyChanged() { Changed(); }

  const Dib& GetDib() const { return dib_; }
  Dib& GetDib() { return dib_; }
  // Installs a finished bitmap (the bitmap decoder, tests).
  void SetDib(Dib dib) { dib_ = std::move(dib); }
  bool TurnedForDisplay() const override { return turnedForDisplay_; }
  // The decoders say whether they turned the colours through the picture's profile.
  void SetTurnedForDisplay(bool turned) { turnedForDisplay_ = turned; }

 private:
  Dib dib_;
  bool turnedForDisplay_ = false;
  std::optional<Palette> palette_;
  Palette colorTablePalette_;
};

// Reads a bitmap file from the stream's position to its end into bitmap (see bitmap_decoder.cpp
// for the rules and limits). With colour management, an embedded colour profile that checks out
// turns the colours into the display's; without, the colours are as stored.
void ReadBitmapFile(TBitmap& bitmap, Stream& stream, ColorManagement* colors = nullptr);

}  // namespace tavilune
