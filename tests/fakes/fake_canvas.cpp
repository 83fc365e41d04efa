#include "fake_canvas.h"

#include <algorithm>

namespace tavilune::testing {

namespace {

class FakeIcon : public NativeIcon {
 public:
  FakeIcon(int id, int& live) : id(id), live_(live) { ++live_; }
  ~FakeIcon() override { --live_; }
  int id;

 private:
  int& live_;
};

class FakeMetafile : public NativeMetafile {
 public:
  FakeMetafile(int id, int& live) : id(id), live_(live) { ++live_; }
  ~FakeMetafile() override { --live_; }
  int id;

 private:
  int& live_;
};

}  // namespace

std::size_t FakeCanvas::Count(Call call) const {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [call](const Record& r) { return r.call == call; }));
}

void FakeCanvas::FillRect(const Rect& rect, Color color) {
  Record r;
  r.call = Call::kFillRect;
  r.rect = rect;
  r.color = color;
  calls.push_back(std::move(r));
}

void FakeCanvas::DrawDibPart(const Dib& dib, const Rect& dest, const Rect& source,
                             const Palette* palette, StretchMode mode) {
  Record r;
  r.call = Call::kDrawDib;
  r.rect = dest;
  r.source = source;
  r.dib = &dib;
  r.hasPalette = palette != nullptr;
  r.halftonePalette = palette != nullptr && palette->halftone;
  r.paletteEntries = palette != nullptr ? palette->entries.size() : 0;
  r.mode = mode;
  calls.push_back(std::move(r));
}

std::unique_ptr<NativeIcon> FakeCanvas::CreateIcon(std::span<const std::uint8_t> image,
                                                   std::int32_t width, std::int32_t height) {
  Record r;
  r.call = Call::kCreateIcon;
  r.bytes.assign(image.begin(), image.end());
  r.width = width;
  r.height = height;
  if (refuseIcons) {
    calls.push_back(std::move(r));
    return nullptr;
  }
  r.handleId = nextId_++;
  calls.push_back(r);
  return std::make_unique<FakeIcon>(r.handleId, liveHandles);
}

std::unique_ptr<NativeIcon> FakeCanvas::StandardApplicationIcon() {
  Record r;
  r.call = Call::kStandardApplicationIcon;
  r.handleId = nextId_++;
  calls.push_back(r);
  return std::make_unique<FakeIcon>(r.handleId, liveHandles);
}

void FakeCanvas::DrawIcon(NativeIcon& icon, const Rect& dest) {
  Record r;
  r.call = Call::kDrawIcon;
  r.rect = dest;
  r.handleId = static_cast<FakeIcon&>(icon).id;
  calls.push_back(std::move(r));
}

std::unique_ptr<NativeMetafile> FakeCanvas::CreateMetafile(MetafileBits kind,
                                                           std::span<const std::uint8_t> bytes,
                                                           std::int32_t widthHimetric,
                                                           std::int32_t heightHimetric) {
  Record r;
  r.call = Call::kCreateMetafile;
  r.metafileKind = kind;
  r.bytes.assign(bytes.begin(), bytes.end());
  r.width = widthHimetric;
  r.height = heightHimetric;
  if (refuseMetafiles) {
    calls.push_back(std::move(r));
    return nullptr;
  }
  r.handleId = nextId_++;
  calls.push_back(r);
  return std::make_unique<FakeMetafile>(r.handleId, liveHandles);
}

void FakeCanvas::DrawMetafile(NativeMetafile& metafile, const Rect& dest) {
  Record r;
  r.call = Call::kDrawMetafile;
  r.rect = dest;
  r.handleId = static_cast<FakeMetafile&>(metafile).id;
  calls.push_back(std::move(r));
}

void FakeCanvas::DrawTextLine(const std::string& text, const Rect& rect, const TextStyle& style) {
  Record r;
  r.call = Call::kDrawText;
  r.rect = rect;
  r.color = style.color;
  r.text = text;
  r.textStyle = style;
  calls.push_back(std::move(r));
}

}  // namespace tavilune::testing
