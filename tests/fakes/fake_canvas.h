// A canvas that records what is drawn on it, and scripted answers for icons and metafiles.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace tavilune::testing {

class FakeCanvas : public Canvas {
 public:
  enum class Call {
    kFillRect,
    kDrawDib,
    kCreateIcon,
    kStandardApplicationIcon,
    kDrawIcon,
    kCreateMetafile,
    kDrawMetafile,
    kDrawText,
  };

  struct Record {
    Call call = Call::kFillRect;
    Rect rect{};               // destination (or the filled rectangle)
    Color color = 0;           // FillRect
    const Dib* dib = nullptr;  // DrawDib
    Rect source{};             // DrawDib: the part of the bitmap drawn
    bool hasPalette = false;   // DrawDib
    bool halftonePalette = false;
    std::size_t paletteEntries = 0;
    StretchMode mode = StretchMode::kDefault;
    std::vector<std::uint8_t> bytes{};  // CreateIcon, CreateMetafile
    std::int32_t width = 0;             // CreateIcon size, CreateMetafile size in 0.01 mm
    std::int32_t height = 0;
    MetafileBits metafileKind = MetafileBits::kEnhanced;
    int handleId = 0;    // the icon or metafile made, or drawn
    std::string text{};  // DrawTextLine
    TextStyle textStyle{};
  };

  // Whether CreateIcon and CreateMetafile succeed.
  bool refuseIcons = false;
  bool refuseMetafiles = false;

  // What ClipBox answers: everything unless a test sets an update rectangle.
  Rect clipBox = Canvas::ClipBox();

  std::vector<Record> calls;
  // Live native objects made by this canvas (and not yet destroyed).
  int liveHandles = 0;

  std::size_t Count(Call call) const;

  void FillRect(const Rect& rect, Color color) override;
  void DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source, const Palette* palette,
                   StretchMode mode) override;
  Rect ClipBox() const override { return clipBox; }
  std::unique_ptr<NativeIcon> CreateIcon(std::span<const std::uint8_t> image, std::int32_t width,
                                         std::int32_t height) override;
  std::unique_ptr<NativeIcon> StandardApplicationIcon() override;
  void DrawIcon(NativeIcon& icon, const Rect& dest) override;
  std::unique_ptr<NativeMetafile> CreateMetafile(MetafileBits kind,
                                                 std::span<const std::uint8_t> bytes,
                                                 std::int32_t widthHimetric,
                                                 std::int32_t heightHimetric) override;
  void DrawMetafile(NativeMetafile& metafile, const Rect& dest) override;
  void DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) override;

 private:
  int nextId_ = 1;
};

}  // namespace tavilune::testing
