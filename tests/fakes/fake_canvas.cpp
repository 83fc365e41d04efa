#include "fake_canvas.h"

#include <algorithm>

namespace tavilune::testing {

namespace {

// An icon or metafile of the canvas, counted among its live handles while it lives.
template <typename Native>
class FakeHandle : public Native {
 public:
  FakeHandle(int id, int& live) : id(id), live_(live) { ++live_; }
  ~FakeHandle() override { --live_; }
  int id;

 private:
  int& live_;
};

// Records the making of a handle, which a refusing canvas does not make.
template <typename Native>
std::unique_ptr<Native> Made(std::vector<FakeCanvas::Record>& calls, FakeCanvas::Record record,
                             bool refused, int& nextId, int& live) {
  if (!refused) record.handleId = nextId++;
  calls.push_back(record);
  if (refused) return nullptr;
  return std::make_unique<FakeHandle<Native>>(record.handleId, live);
}

template <typename Native>
int IdOf(Native& handle) {
  return static_cast<FakeHandle<Native>&>(handle).id;
}

}  // namespace

std::size_t FakeCanvas::Count(Call call) const {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [call](const Record& r) { return r.call == call; }));
}

void FakeCanvas::FillRect(const Rect& rect, Color color) {
  calls.push_back({.call = Call::kFillRect, .rect = rect, .color = color});
}

void FakeCanvas::DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source,
                             const Palette* palette, StretchMode mode) {
  calls.push_back({.call = Call::kDrawDib,
                   .rect = dest,
                   .dib = &dib,
                   .source = source,
                   .hasPalette = palette != nullptr,
                   .halftonePalette = palette != nullptr && palette->halftone,
                   .paletteEntries = palette != nullptr ? palette->entries.size() : 0,
                   .mode = mode});
}

std::unique_ptr<NativeIcon> FakeCanvas::CreateIcon(std::span<const std::uint8_t> image,
                                                   std::int32_t width, std::int32_t height) {
  return Made<NativeIcon>(calls,
                          {.call = Call::kCreateIcon,
                           .bytes = {image.begin(), image.end()},
                           .width = width,
                           .height = height},
                          refuseIcons, nextId_, liveHandles);
}

std::unique_ptr<NativeIcon> FakeCanvas::StandardApplicationIcon() {
  return Made<NativeIcon>(calls, {.call = Call::kStandardApplicationIcon}, false, nextId_,
                          liveHandles);
}

void FakeCanvas::DrawIcon(NativeIcon& icon, const Rect& dest) {
  calls.push_back({.call = Call::kDrawIcon, .rect = dest, .handleId = IdOf(icon)});
}

std::unique_ptr<NativeMetafile> FakeCanvas::CreateMetafile(MetafileBits kind,
                                                           std::span<const std::uint8_t> bytes,
                                                           std::int32_t widthHimetric,
                                                           std::int32_t heightHimetric) {
  return Made<NativeMetafile>(calls,
                              {.call = Call::kCreateMetafile,
                               .bytes = {bytes.begin(), bytes.end()},
                               .width = widthHimetric,
                               .height = heightHimetric,
                               .metafileKind = kind},
                              refuseMetafiles, nextId_, liveHandles);
}

void FakeCanvas::DrawMetafile(NativeMetafile& metafile, const Rect& dest) {
  calls.push_back({.call = Call::kDrawMetafile, .rect = dest, .handleId = IdOf(metafile)});
}

void FakeCanvas::DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) {
  calls.push_back({.call = Call::kDrawText,
                   .rect = rect,
                   .color = style.color,
                   .text = text,
                   .textStyle = style});
}

}  // namespace tavilune::testing
