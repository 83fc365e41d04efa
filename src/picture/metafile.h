// Metafiles: enhanced metafiles and placeable Windows metafiles. The bytes stay in memory and
// become a system metafile the first time they are drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/graphic.h"

namespace tavilune {

class TMetafile : public TGraphic {
 public:
  static const GraphicClass& StaticClass();
  static std::unique_ptr<TGraphic> Create();

  TMetafile() = default;
  const GraphicClass& Class() const override { return StaticClass(); }
  void LoadFromStream(Stream& stream) override;
  std::int32_t Width() override { return width_; }
  std::int32_t Height() override { return height_; }
  bool Empty() override { return bits_.empty(); }
  void Draw(Canvas& canvas, const Rect& rect) override;

  bool Enhanced() const { return enhanced_; }
  // The size in hundredths of a millimetre.
  std::int32_t WidthHimetric() const { return widthHimetric_; }
  std::int32_t HeightHimetric() const { return heightHimetric_; }

 private:
  std::vector<std::uint8_t> bits_;  // enhanced bytes, or Windows metafile bytes after the header
  bool enhanced_ = false;
  std::int32_t widthHimetric_ = 0;
  std::int32_t heightHimetric_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::unique_ptr<NativeMetafile> handle_;
  bool handleTried_ = false;
};

}  // namespace tavilune
