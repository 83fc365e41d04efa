// A canvas for the decoder fuzzers: it touches every byte a graphic hands to the system, so the
// sanitizers see any read outside the file, and draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/canvas.h"

namespace tavilune::fuzzing {

class NullIcon : public tavilune::NativeIcon {};

class TouchingCanvas : public tavilune::Canvas {
 public:
  void FillRect(const tavilune::Rect&, tavilune::Color) override {}
  void DrawDibPart(const tavilune::Dib&, const tavilune::Rect&, const tavilune::Rect&,
                   const tavilune::Palette*, tavilune::StretchMode) override {}
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

}  // namespace tavilune::fuzzing
