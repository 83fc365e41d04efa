#pragma once

#include <windows.h>

#include "platform/canvas.h"

namespace tavilune::win32 {

// Draws into a device context the caller owns.
class Win32Canvas : public Canvas {
 public:
  explicit Win32Canvas(HDC dc) : dc_(dc) {}

  void FillRect(const Rect& rect, Color color) override;
  void DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source, const Palette* palette,
                   StretchMode mode) override;
  Rect ClipBox() const override;
  std::unique_ptr<NativeIcon> CreateIcon(std::span<const std::uint8_t> image, std::int32_t width,
                                         std::int32_t height) override;
  std::unique_ptr<NativeIcon> StandardApplicationIcon() override;
  void DrawIcon(NativeIcon& icon, const Rect& dest) override;
  std::unique_ptr<NativeMetafile> CreateMetafile(MetafileBits kind,
                                                 std::span<const std::uint8_t> bytes,
                                                 std::int32_t widthHimetric,
                                                 std::int32_t heightHimetric) override;
  void DrawMetafile(NativeMetafile& metafile, const Rect& dest) override;
  Color SystemColorOf(SystemColor which) override;
  void DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) override;

 private:
  HDC dc_;
};

}  // namespace tavilune::win32
