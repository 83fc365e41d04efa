#include "picture/image_paint.h"

#include <gtest/gtest.h>

#include "fakes/fake_canvas.h"
#include "fakes/scoped_facts.h"
#include "picture/bitmap.h"
#include "picture/picture.h"
#include "platform/display.h"

namespace tavilune::testing {
namespace {

TEST(ImageDestRect, FollowsStretchProportionalAndCentre) {
  struct Case {
    const char* name;
    ImageOptions options;
    std::int32_t w, h, cw, ch;
    Rect expected;
  };
  const ImageOptions none{};
  const ImageOptions stretch{true, false, false, false};
  const ImageOptions proportional{false, true, false, false};
  const ImageOptions both{true, true, false, false};
  const ImageOptions centre{false, false, true, false};
  const ImageOptions all{true, true, true, false};
  const ImageOptions proportionalCentre{false, true, true, false};
  const Case cases[] = {
      {"unscaled from the corner", none, 200, 100, 50, 50, {0, 0, 200, 100}},
      {"stretch fills the client", stretch, 16, 16, 100, 50, {0, 0, 100, 50}},
      {"proportional never enlarges", proportional, 16, 16, 100, 50, {0, 0, 16, 16}},
      {"16x16 fitted into a wide box", both, 16, 16, 100, 50, {0, 0, 50, 50}},
      {"16x16 fitted and centred", all, 16, 16, 100, 50, {25, 0, 75, 50}},
      {"wide picture shrunk", proportional, 200, 100, 50, 50, {0, 0, 50, 25}},
      {"tall picture shrunk", proportional, 100, 200, 80, 30, {0, 0, 15, 30}},
      {"wide picture limited by height", both, 300, 100, 120, 30, {0, 0, 90, 30}},
      {"tall picture limited by width", both, 100, 300, 20, 90, {0, 0, 20, 60}},
      {"ratio truncated", both, 3, 7, 100, 10, {0, 0, 4, 10}},
      {"centred, odd leftover", centre, 4, 4, 11, 9, {3, 2, 7, 6}},
      {"centred larger one moves by half, truncated", centre, 15, 13, 10, 10, {-2, -1, 13, 12}},
      {"stretch with an empty picture", both, 0, 0, 30, 20, {0, 0, 30, 20}},
      {"only the height too big", proportionalCentre, 10, 40, 50, 20, {22, 0, 27, 20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ImageDestRect(c.options, c.w, c.h, c.cw, c.ch), c.expected) << c.name;
  }
}

TEST(PaintImage, DrawsTheBitmapIntoTheDestinationRectangle) {
  TPicture picture;
  FakeCanvas canvas;
  PaintImage(canvas, picture, {}, 100, 100);
  EXPECT_TRUE(canvas.calls.empty());

  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(16, 16, PixelFormat::k24Bit);
  const Dib* dib = &bitmap->GetDib();
  picture.SetGraphic(std::move(bitmap));
  PaintImage(canvas, picture, ImageOptions{true, true, true, false}, 100, 50);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].call, FakeCanvas::Call::kDrawDib);
  EXPECT_EQ(canvas.calls[0].dib, dib);
  EXPECT_EQ(canvas.calls[0].rect, (Rect{25, 0, 75, 50}));
}

// At natural size only the part of the picture inside the update rectangle goes to the system,
// in the control's own coordinates; a stretched picture is drawn whole.
TEST(PaintImage, OnlyThePartInsideTheUpdateRectangleIsDrawn) {
  TPicture picture;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(1200, 900, PixelFormat::k24Bit);
  picture.SetGraphic(std::move(bitmap));
  const TImage image{"Image1", Rect{3, 3, 1203, 903}, {}, &picture};
  // Update rectangle, then what is drawn where (nothing for an empty source); the last picture is
  // drawn stretched to half its size.
  const Rect cases[][3] = {{{500, 400, 900, 700}, {500, 400, 900, 700}, {497, 397, 897, 697}},
                           {{1100, 0, 1300, 30}, {1100, 3, 1203, 30}, {1097, 0, 1200, 27}},
                           {{0, 0, 3, 906}, {}, {}},
                           {{0, 0, 10, 10}, {3, 3, 603, 453}, {0, 0, 1200, 900}}};
  for (const auto& [update, dest, source] : cases) {
    FakeCanvas canvas;
    canvas.clipBox = update;
    if (update.right == 10)
      picture.Graphic()->Draw(canvas, Rect{3, 3, 603, 453});
    else
      image.Paint(canvas);
    ASSERT_EQ(canvas.calls.size(), source.Empty() ? 0u : 1u);
    for (const FakeCanvas::Record& drawn : canvas.calls) {
      EXPECT_EQ(drawn.rect, dest);
      EXPECT_EQ(drawn.source, source);
    }
  }
}

TEST(PaintImage, StretchModeAndPaletteFollowScreenAndBitmap) {
  struct Case {
    int screenBits;
    PixelFormat format;
    StretchMode mode;
  };
  const Case cases[] = {
      {8, PixelFormat::k24Bit, StretchMode::kHalftone},
      {4, PixelFormat::k8Bit, StretchMode::kHalftone},
      {8, PixelFormat::k8Bit, StretchMode::kColorOnColor},
      {32, PixelFormat::k24Bit, StretchMode::kColorOnColor},
      {16, PixelFormat::k32Bit, StretchMode::kColorOnColor},
  };
  for (const Case& c : cases) {
    ScopedDisplay screen(DisplayWithBits(c.screenBits));
    TBitmap bitmap;
    bitmap.SetSize(2, 2, c.format);
    FakeCanvas canvas;
    bitmap.Draw(canvas, Rect{0, 0, 2, 2});
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].mode, c.mode) << c.screenBits;
    // An 8-bit bitmap realises the palette of its colour table; deeper ones have none here.
    EXPECT_EQ(canvas.calls[0].hasPalette, c.format == PixelFormat::k8Bit);
  }

  // A monochrome bitmap keeps the canvas's own mode.
  ScopedDisplay screen(DisplayWithBits(32));
  TBitmap mono;
  mono.SetDib(Dib::Blank(8, 1, 1, false, {RgbQuad{}, RgbQuad{255, 255, 255, 0}}));
  FakeCanvas canvas;
  mono.Draw(canvas, Rect{0, 0, 8, 1});
  EXPECT_EQ(canvas.calls[0].mode, StretchMode::kDefault);
}

TEST(PaintImage, PictureForwardsChangesOfItsGraphic) {
  TPicture picture;
  int changes = 0;
  picture.onChange = [&](TPicture&) { ++changes; };
  auto bitmap = std::make_unique<TBitmap>();
  TBitmap* raw = bitmap.get();
  picture.SetGraphic(std::move(bitmap));
  EXPECT_EQ(changes, 1);
  raw->NotifyChanged();
  EXPECT_EQ(changes, 2);
  picture.SetGraphic(nullptr);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(picture.Width(), 0);
}

TEST(PaintImage, IncrementalDisplayRepaintsOnlyWhenAsked) {
  ProgressEvent event;
  event.redrawNow = true;
  EXPECT_TRUE(WantsIncrementalRedraw(ImageOptions{false, false, false, true}, event));
  EXPECT_FALSE(WantsIncrementalRedraw(ImageOptions{}, event));
  event.redrawNow = false;
  EXPECT_FALSE(WantsIncrementalRedraw(ImageOptions{false, false, false, true}, event));
}

}  // namespace
}  // namespace tavilune::testing
