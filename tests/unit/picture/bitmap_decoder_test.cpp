#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "bitmap_builder.h"
#include "fakes/raised.h"
#include "fakes/scoped_facts.h"
#include "fakes/scratch_folder.h"
#include "picture/bitmap.h"
#include "picture/dib_convert.h"
#include "picture/stream.h"
#include "platform/exceptions.h"

namespace tavilune::testing {
namespace {

std::vector<std::uint8_t> ReadData(const std::string& name) {
  return ReadTestData("picture/" + name);
}

void Decode(TBitmap& bitmap, const std::vector<std::uint8_t>& file) {
  MemoryStream stream(file);
  ReadBitmapFile(bitmap, stream);
}

std::vector<std::uint8_t> DecodeRgb(const std::vector<std::uint8_t>& file) {
  TBitmap bitmap;
  Decode(bitmap, file);
  return DibToRgb(bitmap.GetDib());
}

// How a decode ended: "loaded", or the kind of failure and its message.
std::string Outcome(TBitmap& bitmap, const std::vector<std::uint8_t>& file) {
  try {
    Decode(bitmap, file);
  } catch (const EReadError& e) {
    return "read error: " + e.Message();
  } catch (const EInvalidGraphic& e) {
    return "invalid: " + e.Message();
  } catch (const EOutOfMemory& e) {
    return "out of memory: " + e.Message();
  }
  return "loaded";
}
std::string Outcome(const std::vector<std::uint8_t>& file) {
  TBitmap bitmap;
  return Outcome(bitmap, file);
}

const std::string kLoaded = "loaded";
const std::string kInvalid = u8"invalid: ビットマップイメージが不正です";
const std::string kReadError = u8"read error: ストリームからの読み込みエラー";
const std::string kOutOfMemory = u8"out of memory: メモリが足りません";

// ---- Files written by ImageMagick, decoded to the pixels ImageMagick reads from them.

class ImageMagickFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageMagickFiles, DecodeToTheSamePixels) {
  const std::string name = GetParam();
  TBitmap bitmap;
  Decode(bitmap, ReadData(name + ".bmp"));
  const std::vector<std::uint8_t> expected = ReadData(name + ".rgb");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(bitmap.Width() * bitmap.Height() * 3, static_cast<std::int32_t>(expected.size()));
  EXPECT_TRUE(DibToRgb(bitmap.GetDib()) == expected) << name;
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, ImageMagickFiles,
                         ::testing::Values("rgb24", "rgb24_v5", "argb32", "argb32_v5", "rgb565",
                                           "rgb565_v5", "rgb555", "rgb555_v5", "rgb555_plain",
                                           "pal8", "pal4", "info4", "mono1", "rle8", "core24",
                                           "core8", "core4"));

TEST(BitmapDecoder, CoreHeaderGivesTheSameColoursAsItsInfoHeaderTwin) {
  TBitmap core, info;
  Decode(core, ReadData("core4.bmp"));
  Decode(info, ReadData("info4.bmp"));
  EXPECT_EQ(core.GetDib().Header().size(), 40u);
  EXPECT_EQ(core.GetDib().Colors(), info.GetDib().Colors());
  EXPECT_EQ(DibToRgb(core.GetDib()), DibToRgb(info.GetDib()));
}

// Turns a bottom-up uncompressed file of a 40-byte header into its top-down twin.
std::vector<std::uint8_t> FlipToTopDown(std::vector<std::uint8_t> file, std::size_t pixelStart,
                                        std::size_t stride, std::int32_t height) {
  std::int32_t negative = -height;
  std::memcpy(&file[22], &negative, 4);
  for (std::int32_t y = 0; y < height / 2; ++y) {
    std::swap_ranges(file.begin() + pixelStart + y * stride,
                     file.begin() + pixelStart + (y + 1) * stride,
                     file.begin() + pixelStart + (height - 1 - y) * stride);
  }
  return file;
}

TEST(BitmapDecoder, TopDownRowsGiveThePictureTheRightWayUp) {
  TBitmap bitmap;
  Decode(bitmap, FlipToTopDown(ReadData("rgb24.bmp"), 54, 40, 9));
  EXPECT_EQ(bitmap.Height(), 9);
  EXPECT_TRUE(bitmap.GetDib().TopDown());
  EXPECT_GT(bitmap.RowStep(), 0);
  EXPECT_EQ(DibToRgb(bitmap.GetDib()), ReadData("rgb24.rgb"));

  // The 8-bit file's pixels start after its 256-colour table.
  EXPECT_EQ(DecodeRgb(FlipToTopDown(ReadData("pal8.bmp"), 54 + 4 * 256, 16, 9)),
            ReadData("pal8.rgb"));
}

TEST(BitmapDecoder, ZeroLengthFileIsAnEmptyBitmap) {
  TBitmap bitmap;
  Decode(bitmap, {});
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
}

TEST(BitmapDecoder, ShortPixelDataLeavesTheLastStoredRowsZero) {
  auto file = ReadData("rgb24.bmp");
  const std::size_t pixelStart = 54, stride = 40;
  // Two and a half rows missing at the end.
  file.resize(file.size() - 2 * stride - stride / 2);
  TBitmap bitmap;
  Decode(bitmap, file);
  ASSERT_EQ(bitmap.Height(), 9);
  const auto pixels = bitmap.GetDib().Pixels();
  const std::size_t present = file.size() - pixelStart;
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + present, file.begin() + pixelStart));
  EXPECT_TRUE(std::all_of(pixels.begin() + present, pixels.end(), [](auto b) { return b == 0; }));
}

TEST(BitmapDecoder, PixelsFollowTheColourTableWhateverThePixelOffsetSays) {
  const BitmapSpec spec{.width = 4,
                        .height = 1,
                        .bitCount = 8,
                        .colorsUsed = 2,
                        .colors = {0xFF0000, 0x00FF00},
                        .pixels = {1, 0, 1, 0},
                        .pixelOffset = 14 + 40 + 8 + 100};  // past bytes that are not there
  EXPECT_EQ(DecodeRgb(MakeBitmapFile(spec)),
            (std::vector<std::uint8_t>{0, 255, 0, 255, 0, 0, 0, 255, 0, 255, 0, 0}));
}

// A core-header file (12 bytes, 3-byte colours) whose pixel offset says where its pixels are.
std::vector<std::uint8_t> CoreFile(std::uint16_t bitCount, std::uint16_t width,
                                   std::uint16_t height, const std::vector<std::uint32_t>& colors,
                                   const std::vector<std::uint8_t>& pixels) {
  Bytes info;
  info.U32(12).U16(width).U16(height).U16(1).U16(bitCount);
  for (std::uint32_t c : colors) info.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8(c >> 16);
  Bytes file;
  file.U8('B').U8('M').U32(static_cast<std::uint32_t>(14 + info.Size() + pixels.size()));
  file.U32(0).U32(static_cast<std::uint32_t>(14 + info.Size())).Append(info.Get()).Append(pixels);
  return file.Get();
}

TEST(BitmapDecoder, PixelOffsetPastTheColourTableSkipsAGapAndEndsAShortCoreTable) {
  const BitmapSpec spec{.width = 4,
                        .bitCount = 8,
                        .colorsUsed = 3,
                        .colors = {0xFF0000, 0x00FF00, 0x0000FF},
                        .pixels = {2, 1, 0, 1, 0, 2, 2, 1}};
  const std::vector<std::uint8_t> expected = DecodeRgb(MakeBitmapFile(spec));

  BitmapSpec gap = spec;  // the same pixels behind six bytes of something else
  gap.pixels.insert(gap.pixels.begin(), 6, 0xEE);
  gap.pixelOffset = 14 + 40 + 12 + 6;
  EXPECT_EQ(DecodeRgb(MakeBitmapFile(gap)), expected);
  // Offsets into the headers or the table leave the pixels right after the table.
  for (std::uint32_t offset : {1u, 14u, 14u + 40 + 4}) {
    BitmapSpec wrong = spec;
    wrong.pixelOffset = offset;
    EXPECT_EQ(DecodeRgb(MakeBitmapFile(wrong)), expected) << offset;
  }

  // A 4-bit core file with three colours, where sixteen would follow without the offset, reads
  // as its info-header twin that counts three.
  BitmapSpec twin = spec;
  twin.bitCount = 4;
  twin.pixels = {0x21, 0x02, 0, 0, 0x12, 0x10, 0, 0};
  TBitmap core, info;
  Decode(core, CoreFile(4, 4, 2, twin.colors, twin.pixels));
  Decode(info, MakeBitmapFile(twin));
  EXPECT_EQ(core.GetDib().Colors(), info.GetDib().Colors());
  EXPECT_EQ(core.GetDib().Header()[32], 3);  // the system must not look for sixteen
  EXPECT_EQ(DibToRgb(core.GetDib()), DibToRgb(info.GetDib()));
}

TEST(BitmapDecoder, BitFieldMasksFollowA40ByteHeaderOrSitInsideALargerOne) {
  // Blue in the low byte, red in the third: a layout the default masks would get wrong.
  BitmapSpec spec{.width = 2,
                  .height = 1,
                  .bitCount = 32,
                  .compression = 3,
                  .masks = {0x000000FF, 0x0000FF00, 0x00FF0000},
                  .pixels = {10, 20, 30, 0, 200, 100, 50, 0}};
  for (std::uint32_t headerSize : {40u, 108u, 124u}) {
    spec.headerSize = headerSize;
    EXPECT_EQ(DecodeRgb(MakeBitmapFile(spec)),
              (std::vector<std::uint8_t>{10, 20, 30, 200, 100, 50}))
        << headerSize;
  }

  // Masks missing after the header are a read error.
  spec.headerSize = 40;
  auto file = MakeBitmapFile(spec);
  file.resize(14 + 40 + 6);
  EXPECT_EQ(Outcome(file), kReadError);
}

// ---- Run-length data, expanded to the pixels the system gives: skipped pixels black.

// A run-length file (compression 1 for 8-bit data, 2 for 4-bit) whose header gives the data's size.
BitmapSpec RunLength(std::uint16_t bitCount, std::int32_t width, std::int32_t height,
                     const std::vector<std::uint32_t>& colors,
                     const std::vector<std::uint8_t>& data) {
  return {.width = width,
          .height = height,
          .bitCount = bitCount,
          .compression = bitCount == 8 ? 1u : 2u,
          .imageSize = static_cast<std::uint32_t>(data.size()),
          .colorsUsed = static_cast<std::uint32_t>(colors.size()),
          .colors = colors,
          .pixels = data};
}

TEST(BitmapDecoder, RunLength8WithDeltaAbsoluteRunAndEarlyLineEnd) {
  // Index 0 is white, so black can only come from pixels the data skips.
  const BitmapSpec spec =
      RunLength(8, 5, 3, {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF},
                {
                    3, 1,              // bottom row: three red
                    0, 0,              // end of line (two pixels left untouched)
                    0, 3, 2, 3, 0, 0,  // middle row: absolute green, blue, white, then padding
                    0, 2, 1, 1,        // delta: one right, one up (to the top row, x = 4)
                    1, 3,              // top row: one blue at x = 4
                    0, 1,              // end of bitmap
                });
  const std::uint8_t K = 0, W = 255;
  const std::vector<std::uint8_t> expected{
      // top row: black except the last blue pixel
      K, K, K, K, K, K, K, K, K, K, K, K, 0, 0, 255,
      // middle row: green, blue, white, then skipped by the delta
      0, 255, 0, 0, 0, 255, W, W, W, K, K, K, K, K, K,
      // bottom row: three red, two left by the line end
      255, 0, 0, 255, 0, 0, 255, 0, 0, K, K, K, K, K, K};
  TBitmap bitmap;
  Decode(bitmap, MakeBitmapFile(spec));
  EXPECT_EQ(DibToRgb(bitmap.GetDib()), expected);
  ASSERT_NE(bitmap.GetPalette(), nullptr);
  EXPECT_EQ(bitmap.GetPalette()->entries.size(), 4u);
}

TEST(BitmapDecoder, RunLength4AlternatesNibblesAndPadsAbsoluteRuns) {
  const BitmapSpec spec =
      RunLength(4, 6, 2, {0xFFFFFF, 0xFF0000, 0x0000FF},
                {
                    5, 0x12,           // bottom row: 1 2 1 2 1
                    0, 0,              // end of line
                    0, 3, 0x21, 0x20,  // top row: absolute 2 1 2 (two bytes, already even)
                    2, 0x01,           // 0 1
                    0, 1,              // end of bitmap
                });
  const std::uint8_t W = 255;
  const std::vector<std::uint8_t> expected{0,   0, 255, 255, 0, 0,   0,   0, 255, W, W, W,
                                           255, 0, 0,   0,   0, 0,   255, 0, 0,   0, 0, 255,
                                           255, 0, 0,   0,   0, 255, 255, 0, 0,   0, 0, 0};
  EXPECT_EQ(DecodeRgb(MakeBitmapFile(spec)), expected);
}

TEST(BitmapDecoder, RunLengthDataThatRunsOffTheBitmapStaysInside) {
  BitmapSpec spec = RunLength(8, 3, 2, {0x000000, 0xFFFFFF},
                              {255, 1, 0, 2, 200, 200, 0, 255, 1, 1,  // runs and deltas far outside
                               0, 0, 0, 0, 0, 0, 255, 1, 0});  // line ends past the top, a cut run
  spec.imageSize = 0;  // the header leaves the data's size out
  const std::vector<std::uint8_t> rgb = DecodeRgb(MakeBitmapFile(spec));
  ASSERT_EQ(rgb.size(), 18u);
  // Bottom row white from the first run; the rest untouched.
  EXPECT_EQ(std::vector<std::uint8_t>(rgb.begin() + 9, rgb.end()),
            std::vector<std::uint8_t>(9, 255));
  EXPECT_EQ(std::vector<std::uint8_t>(rgb.begin(), rgb.begin() + 9),
            std::vector<std::uint8_t>(9, 0));
}

TEST(BitmapDecoder, RunLengthDeltaChainLongerThanTheInt32RangeStaysInside) {
  // Regression: the column grew by every delta without bound, and about 8.4 million deltas of
  // 255 pushed it past the 32-bit range.
  const std::size_t deltas = (std::size_t{1} << 31) / 255 + 16;
  std::vector<std::uint8_t> data(deltas * 4 + 4);
  std::uint8_t* p = data.data();
  for (std::size_t i = 0; i < deltas; ++i, p += 4) p[0] = 0, p[1] = 2, p[2] = 255, p[3] = 0;
  p[0] = 2, p[1] = 1, p[2] = 0, p[3] = 1;  // a run that must land nowhere, then the end
  EXPECT_EQ(DecodeRgb(MakeBitmapFile(RunLength(8, 2, 1, {0x000000, 0xFFFFFF}, data))),
            std::vector<std::uint8_t>(6, 0));
}

// ---- Palettes and notifications.

TEST(BitmapDecoder, DeepBitmapKeepsItsColourTableAsPalette) {
  BitmapSpec spec{.colorsUsed = 3,
                  .colors = {0x102030, 0x405060, 0x708090},
                  .pixels = std::vector<std::uint8_t>(16, 7)};
  TBitmap withTable;
  Decode(withTable, MakeBitmapFile(spec));
  ASSERT_NE(withTable.GetPalette(), nullptr);
  EXPECT_EQ(withTable.GetPalette()->entries[1], (PaletteEntry{0x40, 0x50, 0x60, 0}));
  EXPECT_TRUE(withTable.PaletteModified());

  spec.colorsUsed = 0;
  spec.colors.clear();
  TBitmap plain;
  Decode(plain, MakeBitmapFile(spec));
  EXPECT_EQ(plain.GetPalette(), nullptr);
  EXPECT_FALSE(plain.PaletteModified());
}

TEST(BitmapDecoder, ColourTableOfMoreThan256EntriesIsCutAndSkipped) {
  BitmapSpec spec{.width = 1,
                  .height = 1,
                  .bitCount = 8,
                  .colorsUsed = 300,
                  .colors = std::vector<std::uint32_t>(300, 0x112233),
                  .pixels = {5, 0, 0, 0}};
  spec.colors[5] = 0xABCDEF;
  TBitmap bitmap;
  Decode(bitmap, MakeBitmapFile(spec));
  EXPECT_EQ(bitmap.GetDib().Colors().size(), 256u);
  EXPECT_EQ(DibToRgb(bitmap.GetDib()), (std::vector<std::uint8_t>{0xAB, 0xCD, 0xEF}));
}

TEST(BitmapDecoder, SendsOneChangedNotificationPerLoad) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.SetOnChange([&](TGraphic&) { ++changes; });
  Decode(bitmap, ReadData("pal4.bmp"));
  EXPECT_EQ(changes, 1);
}

// ---- Refused files: the design's failure rows and hostile headers.

struct Refusal {
  const char* name;
  std::vector<std::uint8_t> file;
  std::string outcome;
};

std::vector<Refusal> Refusals() {
  std::vector<Refusal> cases;
  // A good 4 x 4 file, changed by `change`.
  auto file = [](auto change) {
    BitmapSpec s{.width = 4, .height = 4, .pixels = std::vector<std::uint8_t>(48, 0x55)};
    change(s);
    return MakeBitmapFile(s);
  };
  auto invalid = [&](const char* name, auto change) {
    cases.push_back({name, file(change), kInvalid});
  };
  auto unreadable = [&](const char* name, auto change) {
    cases.push_back({name, file(change), kReadError});
  };
  const auto good = file([](BitmapSpec&) {});
  auto firstBytes = [&](const char* name, std::size_t n) {
    cases.push_back({name, std::vector<std::uint8_t>(good.begin(), good.begin() + n), kReadError});
  };
  for (std::size_t n : {1u, 2u, 13u}) firstBytes("file of a few bytes", n);
  firstBytes("header cut off", 30);
  firstBytes("size field cut off", 16);
  auto notBm = good;
  notBm[1] = 'A';
  cases.push_back({"type not BM", notBm, kInvalid});
  cases.push_back({"a JPEG file",
                   {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1},
                   kInvalid});
  invalid("planes 2", [](BitmapSpec& s) { s.planes = 2; });
  invalid("compression JPEG", [](BitmapSpec& s) { s.compression = 4; });
  invalid("compression PNG", [](BitmapSpec& s) { s.compression = 5; });
  invalid("compression alpha bit fields", [](BitmapSpec& s) { s.compression = 6; });
  invalid("compression unknown", [](BitmapSpec& s) { s.compression = 0x7FFFFFFF; });
  invalid("run length 8 at 24 bits", [](BitmapSpec& s) { s.compression = 1; });
  invalid("run length 4 at 8 bits", [](BitmapSpec& s) {
    s.compression = 2, s.bitCount = 8, s.colorsUsed = 1, s.colors = {0};
  });
  invalid("run length top down", [](BitmapSpec& s) {
    s.compression = 1, s.bitCount = 8, s.height = -4, s.colorsUsed = 1, s.colors = {0};
  });
  invalid("bit fields at 24 bits", [](BitmapSpec& s) { s.compression = 3; });
  invalid("bit count 7", [](BitmapSpec& s) { s.bitCount = 7; });
  invalid("bit count 0", [](BitmapSpec& s) { s.bitCount = 0; });
  invalid("bit count 64", [](BitmapSpec& s) { s.bitCount = 64; });
  invalid("width 0", [](BitmapSpec& s) { s.width = 0; });
  invalid("width negative", [](BitmapSpec& s) { s.width = -4; });
  invalid("height 0", [](BitmapSpec& s) { s.height = 0; });
  invalid("height that cannot be negated", [](BitmapSpec& s) { s.height = INT32_MIN; });
  invalid("huge sides", [](BitmapSpec& s) { s.width = s.height = 0x7FFFFFFF; });
  invalid("huge top-down sides",
          [](BitmapSpec& s) { s.width = 0x7FFFFFFF, s.height = -0x7FFFFFFF; });
  invalid("side over the cap",
          [](BitmapSpec& s) { s.width = 70000, s.height = 1, s.bitCount = 1; });
  invalid("header size 16", [](BitmapSpec& s) { s.headerSize = 16, s.pixels.resize(70); });
  invalid("bit fields behind a header of 44 bytes", [](BitmapSpec& s) {
    s.headerSize = 44, s.bitCount = 32, s.compression = 3, s.pixels.resize(64);
  });
  invalid("header size 39", [](BitmapSpec& s) { s.headerSize = 39; });
  invalid("header size 0", [](BitmapSpec& s) { s.headerSize = 0; });
  invalid("header size 4096", [](BitmapSpec& s) { s.headerSize = 4096; });
  auto beyond = good;
  beyond[14] = 0xF0, beyond[15] = beyond[16] = beyond[17] = 0xFF;
  cases.push_back({"header size beyond the file", beyond, kReadError});
  beyond[14] = 0x10, beyond[15] = 0x10, beyond[16] = beyond[17] = 0;
  cases.push_back({"header size of 4112 bytes beyond the file", beyond, kReadError});
  unreadable("colour count beyond the file", [](BitmapSpec& s) { s.colorsUsed = 0xFFFFFFFF; });
  unreadable("colour table cut off", [](BitmapSpec& s) { s.bitCount = 8, s.pixels.resize(100); });
  // A core header whose 3-byte colour table is cut off, and one cut inside itself.
  Bytes core;
  core.U8('B').U8('M').U32(0).U32(0).U32(0).U32(12).U16(2).U16(2).U16(1).U16(8).Fill(30);
  cases.push_back({"core colour table cut off", core.Get(), kReadError});
  Bytes coreHeader;
  coreHeader.U8('B').U8('M').U32(0).U32(0).U32(0).U32(12).U16(2);
  cases.push_back({"core header cut off", coreHeader.Get(), kReadError});
  return cases;
}

TEST(BitmapDecoder, RefusesBrokenAndHostileFilesWithTheirMessage) {
  for (const Refusal& r : Refusals()) {
    SCOPED_TRACE(r.name);
    TBitmap bitmap;
    EXPECT_EQ(Outcome(bitmap, r.file), r.outcome);
    EXPECT_TRUE(bitmap.Empty());
  }
}

// A picture with sides a bitmap may have but more pixels than the program can hold is reported as
// too large for memory, not as a damaged file.
TEST(BitmapDecoder, PicturesTooLargeToHoldAreOutOfMemoryNotDamaged) {
  TBitmap decoded;
  TBitmap sized;
  EXPECT_EQ(Outcome(decoded, MakeBitmapFile({.width = 60000, .height = 60000})), kOutOfMemory);
  EXPECT_EQ(Raised<EOutOfMemory>([&] { sized.SetSize(60000, 60000, PixelFormat::k24Bit); }),
            u8"メモリが足りません");
  EXPECT_TRUE(decoded.Empty());
  EXPECT_TRUE(sized.Empty());
}

// How much a picture may take follows the machine (pointer size, physical memory); a file must
// hold what it claims before its pixel memory is allocated.
TEST(BitmapDecoder, TheMachineBoundsThePixelsAndTheFileMustHoldThem) {
  struct Case {
    MemoryFacts facts;
    std::int32_t width, height;
    bool runLength;
    std::size_t dataBytes;
    const std::string& outcome;
  } const cases[] = {
      {{64, 8 << 20}, 1000, 1000, false, 3000000, kLoaded},
      {{64, 8 << 20}, 1400, 1000, false, 4200000, kOutOfMemory},
      {{64, 64 << 20}, 1400, 1000, false, 4200000, kLoaded},
      {{32, 0}, 20000, 20000, false, 100, kOutOfMemory},
      {{64, 0}, 20000, 20000, false, 100, kInvalid},
      {{64, 0}, 3000, 3000, false, 1000000, kInvalid},
      {{64, 0}, 3000, 3000, false, 14000000, kLoaded},
      {{64, 0}, 3000, 3000, true, 2, kInvalid},
      {{64, 0}, 3000, 3000, true, 142000, kLoaded},
      {{64, 0}, 2000, 2000, true, 2, kLoaded},
  };
  const ScopedMemory memory;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", " << c.dataBytes);
    SetMemory(c.facts);
    BitmapSpec spec{
        .width = c.width, .height = c.height, .pixels = std::vector<std::uint8_t>(c.dataBytes, 0)};
    if (c.runLength) {
      spec.bitCount = 8;
      spec.compression = kCompressionRle8;
      spec.colors = {0};
      spec.colorsUsed = 1;
      spec.pixels.back() = 1;  // end of bitmap
    }
    EXPECT_EQ(Outcome(MakeBitmapFile(spec)), c.outcome);
  }
}

TEST(BitmapDecoder, ClaimsBeyondThePixelArrayAreCut) {
  const BitmapSpec spec{
      .width = 2,
      .height = 2,
      .imageSize = 0xFFFFFFFF,  // far more than the file or the pixel array holds
      .pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0, 99, 99, 99, 99, 99, 99}};
  TBitmap bitmap;
  Decode(bitmap, MakeBitmapFile(spec));
  const auto pixels = bitmap.GetDib().Pixels();
  ASSERT_EQ(pixels.size(), 16u);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), spec.pixels.begin()));
  EXPECT_EQ(DibToRgb(bitmap.GetDib()),
            (std::vector<std::uint8_t>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
}

TEST(BitmapDecoder, AnEmbeddedColourProfileIsNotHandedOnToTheSystem) {
  auto file = MakeBitmapFile({.headerSize = 124, .pixels = std::vector<std::uint8_t>(16, 1)});
  const std::size_t header = 14;
  const std::uint8_t embedded[] = {'D', 'E', 'B', 'M'};  // 'MBED', little-endian
  std::copy(std::begin(embedded), std::end(embedded), file.begin() + header + 56);
  file[header + 112] = 0x40;  // profile at 64 bytes past the header's start...
  file[header + 116] = 0xFF;  // ...of 255 bytes that the file does not have
  TBitmap bitmap;
  Decode(bitmap, file);
  const auto& kept = bitmap.GetDib().Header();
  ASSERT_EQ(kept.size(), 124u);
  EXPECT_EQ(std::string(kept.begin() + 56, kept.begin() + 60), "BGRs");
  EXPECT_EQ(kept[112], 0);
  EXPECT_EQ(kept[116], 0);
  EXPECT_EQ(DibToRgb(bitmap.GetDib()), std::vector<std::uint8_t>(12, 1));
}

TEST(BitmapDecoder, DecodersCanSizeTheBitmapAndWriteRowsInPlace) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2, PixelFormat::k24Bit);
  ASSERT_GT(bitmap.RowStep(), 0);
  EXPECT_EQ(bitmap.RowStep() % 4, 0);
  bitmap.ScanLine(1)[0] = 0x11;  // blue of the bottom-left pixel
  const auto rgb = DibToRgb(bitmap.GetDib());
  EXPECT_EQ(rgb[9 + 2], 0x11);
  EXPECT_EQ(std::count(rgb.begin(), rgb.end(), 0), 17);

  bitmap.SetSize(2, 1, PixelFormat::k8Bit);
  bitmap.SetColorTable({RgbQuad{1, 2, 3, 0}, RgbQuad{4, 5, 6, 0}});
  bitmap.ScanLine(0)[1] = 1;
  EXPECT_EQ(DibToRgb(bitmap.GetDib()), (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
  EXPECT_THROW(bitmap.SetSize(100000, 1, PixelFormat::k24Bit), EInvalidGraphic);
}

}  // namespace
}  // namespace tavilune::testing
