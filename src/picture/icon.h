// Icon files. The whole file stays in memory; the image that suits the screen is chosen when the
// file is loaded and made into a system icon the first time it is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "picture/graphic.h"

namespace tavilune {

// One entry of an icon file's directory.
struct IconDirectoryEntry {
  std::int32_t width = 0;  // 0 in the file means 256
  std::int32_t height = 0;
  int colorCount = 0;
  int bitCount = 0;  // bits per pixel as far as the directory or the image tells
  std::uint32_t bytes = 0;
  std::uint32_t offset = 0;
};

// The index of the image that best fits the wanted size within the display's colour depth.
std::optional<std::size_t> ChooseIconImage(const std::vector<IconDirectoryEntry>& entries,
                                           std::int32_t wantedWidth, std::int32_t wantedHeight,
                                           int displayBitsPerPixel);

class TIcon : public TGraphic {
 public:
  static const GraphicClass& StaticClass();
  static std::unique_ptr<TGraphic> Create();

  TIcon() = default;
  const GraphicClass& Class() const override { return StaticClass(); }
  void LoadFromStream(Stream& stream) override;
  std::int32_t Width() override;
  std::int32_t Height() override;
  bool Empty() override { return bytes_.empty(); }
  void Draw(Canvas& canvas, const Rect& rect) override;

  // 0 (the standard application icon) or 1 (an icon file); nothing while empty.
  std::optional<int> ResourceType() const { return type_; }
  const std::vector<IconDirectoryEntry>& Directory() const { return directory_; }
  std::optional<std::size_t> ChosenImage() const { return chosen_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::optional<int> type_;
  std::vector<IconDirectoryEntry> directory_;
  std::optional<std::size_t> chosen_;
  std::unique_ptr<NativeIcon> handle_;
  bool handleTried_ = false;
};

}  // namespace tavilune
