#include <gtest/gtest.h>

#include "bitmap_builder.h"
#include "fakes/fake_canvas.h"
#include "fakes/raised.h"
#include "fakes/scoped_facts.h"
#include "picture/icon.h"
#include "picture/metafile.h"
#include "picture/stream.h"
#include "platform/display.h"
#include "platform/exceptions.h"

namespace tavilune::testing {
namespace {

DisplayFacts Screen(int bits, int iconSize = 32, int ppi = 96) {
  DisplayFacts facts;
  facts.bitsPerPixel = bits;
  facts.standardIconWidth = facts.standardIconHeight = iconSize;
  facts.pixelsPerInchY = ppi;
  return facts;
}

template <typename G>
void Load(G& graphic, const std::vector<std::uint8_t>& bytes) {
  MemoryStream stream(bytes);
  graphic.LoadFromStream(stream);
}

struct IconImage {
  std::uint8_t width, height;
  std::uint16_t bitCount;
  std::uint8_t fill;  // the image's bytes, recognisable
  std::size_t size = 40;
};

std::vector<std::uint8_t> MakeIconFile(const std::vector<IconImage>& images,
                                       std::uint16_t type = 1) {
  Bytes file;
  file.U16(0).U16(type).U16(static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (const IconImage& i : images) {
    file.U8(i.width).U8(i.height).U8(0).U8(0).U16(1).U16(i.bitCount);
    file.U32(static_cast<std::uint32_t>(i.size)).U32(offset);
    offset += static_cast<std::uint32_t>(i.size);
  }
  for (const IconImage& i : images) file.Fill(i.size, i.fill);
  return file.Get();
}

const std::vector<IconImage> kImages{
    {16, 16, 8, 0xA1}, {32, 32, 4, 0xA2}, {32, 32, 32, 0xA3}, {48, 48, 32, 0xA4}, {0, 0, 32, 0xA5}};

TEST(Icon, ChoosesTheStandardSizeInTheDeepestColoursTheScreenShows) {
  struct Case {
    DisplayFacts display;
    std::uint8_t chosenFill;
    std::int32_t side;
  };
  const Case cases[] = {
      {Screen(32), 0xA3, 32},
      {Screen(8), 0xA2, 32},         // the 32-bit images are too deep for the screen
      {Screen(32, 48), 0xA4, 48},    // a larger standard size
      {Screen(32, 250), 0xA5, 256},  // 0 in the directory is 256
      {Screen(1), 0xA3, 32},         // nothing fits: the closest size of all, deepest first
  };
  for (const Case& c : cases) {
    ScopedDisplay display(c.display);
    TIcon icon;
    Load(icon, MakeIconFile(kImages));
    EXPECT_EQ(icon.Width(), c.side);
    EXPECT_EQ(icon.Height(), c.side);
    FakeCanvas canvas;
    icon.Draw(canvas, Rect{1, 2, 33, 34});
    ASSERT_EQ(canvas.Count(FakeCanvas::Call::kCreateIcon), 1u);
    const auto& create = canvas.calls[0];
    EXPECT_EQ(create.width, c.side);
    EXPECT_EQ(create.bytes, std::vector<std::uint8_t>(40, c.chosenFill));
  }
}

TEST(Icon, MakesItsSystemIconOnceAndKeepsIt) {
  TIcon icon;
  Load(icon, MakeIconFile(kImages));
  FakeCanvas canvas;
  icon.Draw(canvas, Rect{0, 0, 32, 32});
  icon.Draw(canvas, Rect{5, 5, 37, 37});
  EXPECT_EQ(canvas.Count(FakeCanvas::Call::kCreateIcon), 1u);
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kDrawIcon), 2u);
  EXPECT_EQ(canvas.calls[2].rect, (Rect{5, 5, 37, 37}));
  EXPECT_EQ(canvas.calls[2].handleId, canvas.calls[0].handleId);
  EXPECT_EQ(canvas.liveHandles, 1);

  // Loading again lets the old system icon go.
  Load(icon, MakeIconFile({{16, 16, 8, 1}}));
  EXPECT_EQ(canvas.liveHandles, 0);

  // An image the system refuses draws nothing, and is not offered again.
  FakeCanvas refusing;
  refusing.refuseIcons = true;
  icon.Draw(refusing, Rect{0, 0, 16, 16});
  icon.Draw(refusing, Rect{0, 0, 16, 16});
  EXPECT_EQ(refusing.Count(FakeCanvas::Call::kCreateIcon), 1u);
  EXPECT_EQ(refusing.Count(FakeCanvas::Call::kDrawIcon), 0u);
}

TEST(Icon, TypeZeroIsTheStandardApplicationIconAtTheStandardSize) {
  ScopedDisplay display(Screen(32, 40));
  TIcon icon;
  Load(icon, {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(icon.Width(), 40);
  EXPECT_EQ(icon.Height(), 40);
  FakeCanvas canvas;
  icon.Draw(canvas, Rect{0, 0, 40, 40});
  EXPECT_EQ(canvas.Count(FakeCanvas::Call::kStandardApplicationIcon), 1u);
  EXPECT_EQ(canvas.Count(FakeCanvas::Call::kDrawIcon), 1u);
}

TEST(Icon, RefusesBrokenFiles) {
  auto cut = MakeIconFile(kImages);
  cut.resize(cut.size() - 1);  // the last image runs past the end
  auto directoryCut = MakeIconFile(kImages);
  directoryCut.resize(6 + 16 * 2);
  auto farOffset = MakeIconFile({{16, 16, 8, 1}});
  farOffset[18] = farOffset[19] = farOffset[20] = farOffset[21] = 0xFF;
  const std::vector<std::uint8_t> invalid[] = {
      MakeIconFile(kImages, 2), MakeIconFile({}, 1) /* no images */, cut, directoryCut, farOffset};
  for (const auto& bytes : invalid) {
    TIcon icon;
    EXPECT_EQ(Raised<EInvalidGraphic>([&] { Load(icon, bytes); }), u8"アイコンイメージが不正です")
        << bytes.size() << " bytes";
    EXPECT_TRUE(icon.Empty());
  }

  TIcon icon;
  EXPECT_THROW(Load(icon, {0, 0, 1, 0, 1}), EReadError);
}

TEST(ChooseIconImage, PrefersTheImagesHeaderOverAnEmptyDirectoryDepth) {
  // Directory entries often leave the depth 0; the image's own header tells it.
  Bytes file;
  file.U16(0).U16(1).U16(2);
  file.U8(32).U8(32).U8(0).U8(0).U16(0).U16(0).U32(40).U32(38);
  file.U8(32).U8(32).U8(0).U8(0).U16(0).U16(0).U32(40).U32(78);
  file.U32(40).U32(32).U32(64).U16(1).U16(32).Fill(24);  // a 32-bit image
  file.U32(40).U32(32).U32(64).U16(1).U16(8).Fill(24);   // an 8-bit image
  ScopedDisplay display(Screen(16));
  TIcon icon;
  Load(icon, file.Get());
  ASSERT_EQ(icon.Directory().size(), 2u);
  EXPECT_EQ(icon.Directory()[0].bitCount, 32);
  EXPECT_EQ(icon.ChosenImage(), std::optional<std::size_t>(1));
}

// ---- Metafiles.

std::vector<std::uint8_t> EnhancedHeader(std::int32_t frameRight, std::int32_t frameBottom,
                                         std::int32_t devicePixelsX, std::int32_t devicePixelsY,
                                         std::int32_t deviceMmX, std::int32_t deviceMmY,
                                         std::size_t size = 108, std::int32_t frameLeft = 0,
                                         std::int32_t frameTop = 0) {
  Bytes b;
  b.U32(1).U32(108);              // type, record size
  b.I32(0).I32(0).I32(0).I32(0);  // bounds
  b.I32(frameLeft).I32(frameTop).I32(frameRight).I32(frameBottom);
  b.U32(0x464D4520).U32(0x10000).U32(static_cast<std::uint32_t>(size)).U32(1);
  b.U16(0).U16(0).U32(0).U32(0).U32(0);
  b.I32(devicePixelsX).I32(devicePixelsY).I32(deviceMmX).I32(deviceMmY);
  b.Fill(size - b.Size(), 0);
  return b.Get();
}

std::vector<std::uint8_t> Placeable(std::int16_t left, std::int16_t top, std::int16_t right,
                                    std::int16_t bottom, std::uint16_t inch, bool goodSum = true,
                                    std::uint32_t key = 0x9AC6CDD7) {
  Bytes b;
  b.U32(key).U16(0).U16(static_cast<std::uint16_t>(left)).U16(static_cast<std::uint16_t>(top));
  b.U16(static_cast<std::uint16_t>(right)).U16(static_cast<std::uint16_t>(bottom)).U16(inch).U32(0);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= b.Get()[i] | b.Get()[i + 1] << 8;
  b.U16(goodSum ? sum : sum ^ 1);
  b.U16(1).U16(9).U16(0x300);  // the start of the Windows metafile itself
  return b.Get();
}

TEST(Metafile, EnhancedSizeFollowsTheReferenceDevice) {
  TMetafile metafile;
  // 25.4 mm by 12.7 mm on a device of 1024 x 768 pixels over 320 x 240 mm.
  Load(metafile, EnhancedHeader(2540, 1270, 1024, 768, 320, 240));
  EXPECT_TRUE(metafile.Enhanced());
  EXPECT_EQ(metafile.WidthHimetric(), 2540);
  EXPECT_EQ(metafile.Width(), 81);   // 81.28
  EXPECT_EQ(metafile.Height(), 41);  // 40.64
  FakeCanvas canvas;
  metafile.Draw(canvas, Rect{0, 0, 81, 41});
  metafile.Draw(canvas, Rect{0, 0, 81, 41});
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kCreateMetafile), 1u);
  EXPECT_EQ(canvas.calls[0].metafileKind, MetafileBits::kEnhanced);
  EXPECT_EQ(canvas.calls[0].bytes.size(), 108u);
  EXPECT_EQ(canvas.Count(FakeCanvas::Call::kDrawMetafile), 2u);

  // A reference device of no millimetres gives no size rather than a division by zero.
  Load(metafile, EnhancedHeader(2540, 1270, 1024, 768, 0, 0));
  EXPECT_EQ(metafile.Width(), 0);
  EXPECT_NO_THROW(Load(metafile, EnhancedHeader(INT32_MAX, INT32_MIN, 1 << 30, 1 << 30, 1, 1)));
  EXPECT_GE(metafile.Width(), 0);
  EXPECT_GE(metafile.Height(), 0);
}

TEST(Metafile, ExtremeFramesAndReferenceDevicesRoundExactlyAndStayInsideTheClamp) {
  struct Case {
    std::int32_t frameStart, frameEnd, devicePixels, deviceMillimetres;
    std::int32_t side;
  };
  const Case cases[] = {
      {0, 250, 1, 1, 3},  // 2.5 pixels: half rounds away from zero
      {0, 249, 1, 1, 2},
      {250, 0, -1, 1, 3},                      // a reversed frame and a negative device cancel
      {INT32_MIN, INT32_MAX, 1, 429497, 100},  // 99.99993 over the widest frame
      {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, Dib::kMaxDimension},  // 42949673 pixels
      {INT32_MIN, INT32_MAX, INT32_MIN, 1, 0},                           // negative
      {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0},
  };
  for (const Case& c : cases) {
    TMetafile metafile;
    Load(metafile,
         EnhancedHeader(c.frameEnd, c.frameEnd, c.devicePixels, c.devicePixels, c.deviceMillimetres,
                        c.deviceMillimetres, 108, c.frameStart, c.frameStart));
    EXPECT_EQ(metafile.Width(), c.side) << c.frameStart << ".." << c.frameEnd;
    EXPECT_EQ(metafile.Height(), c.side) << c.frameStart << ".." << c.frameEnd;
  }
}

TEST(Metafile, PlaceableSizeFollowsItsUnitsAndTheScreen) {
  ScopedDisplay display(Screen(32, 32, 120));
  TMetafile metafile;
  Load(metafile, Placeable(10, 20, 1010, 520, 1000));
  EXPECT_FALSE(metafile.Enhanced());
  EXPECT_EQ(metafile.WidthHimetric(), 2540);
  EXPECT_EQ(metafile.HeightHimetric(), 1270);
  EXPECT_EQ(metafile.Width(), 120);
  EXPECT_EQ(metafile.Height(), 60);
  FakeCanvas canvas;
  metafile.Draw(canvas, Rect{0, 0, 120, 60});
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kCreateMetafile), 1u);
  EXPECT_EQ(canvas.calls[0].metafileKind, MetafileBits::kWindows);
  EXPECT_EQ(canvas.calls[0].bytes, (std::vector<std::uint8_t>{1, 0, 9, 0, 0, 3}));
  EXPECT_EQ(canvas.calls[0].width, 2540);

  Load(metafile, Placeable(0, 0, 96, 48, 0));  // no units per inch: 96
  EXPECT_EQ(metafile.WidthHimetric(), 2540);
  EXPECT_EQ(metafile.Width(), 120);
}

TEST(Metafile, RefusesWhatIsNeitherKind) {
  const std::vector<std::vector<std::uint8_t>> bad{
      {},
      std::vector<std::uint8_t>(21, 0),
      Placeable(0, 0, 10, 10, 96, false),
      Placeable(0, 0, 10, 10, 96, true, 0x9AC6CDD6),
      EnhancedHeader(10, 10, 1, 1, 1, 1, 100),  // enhanced only beyond 100 bytes
  };
  for (const auto& bytes : bad) {
    TMetafile metafile;
    EXPECT_EQ(Raised<EInvalidGraphic>([&] { Load(metafile, bytes); }), u8"メタファイルが不正です")
        << bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace tavilune::testing
