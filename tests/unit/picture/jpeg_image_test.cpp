// JPEG pictures: what loading and the first decode make of real files, checked against the
// library's own command-line decoder (golden checksums), and how failures and progress behave.
#include "picture/jpeg_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_canvas.h"
#include "fakes/raised.h"
#include "fakes/scoped_facts.h"
#include "fakes/scratch_folder.h"
#include "jpeg_files.h"
#include "picture/jpeg_library.h"
#include "picture/jpeg_progress.h"
#include "picture/picture.h"
#include "picture/picture_formats.h"
#include "picture/stream.h"
#include "platform/exceptions.h"
#include "platform/posix/posix_file_system.h"

namespace tavilune {
namespace {

using testing::DisplayWithBits;
using testing::FakeCanvas;
using testing::JpegFile;
using testing::LoadJpeg;
using testing::Raised;
using testing::ScopedDisplay;
using testing::ScopedMemory;
using testing::ScratchFolder;
using testing::TestDataPath;
using testing::WithStrayScan;

// The decoded colours, top row first, blue, green, red per pixel (8-bit rows looked up in the
// colour table): the form the golden checksums were made in.
std::vector<std::uint8_t> Colours(TBitmap& bitmap) {
  const Dib& dib = bitmap.GetDib();
  std::vector<std::uint8_t> out;
  for (std::int32_t y = 0; y < dib.Height(); ++y) {
    const std::uint8_t* row = dib.Row(y);
    for (std::int32_t x = 0; x < dib.Width(); ++x) {
      if (dib.BitCount() == 8) {
        const RgbQuad& c = dib.Colors().at(row[x]);
        out.insert(out.end(), {c.blue, c.green, c.red});
      } else {
        out.insert(out.end(), row + 3 * x, row + 3 * x + 3);
      }
    }
  }
  return out;
}

// The colours of a file decoded whole at 24 bits, to compare a damaged or stopped decode with.
std::vector<std::uint8_t> CleanColours(const std::string& name) {
  return Colours(LoadJpeg(JpegFile(name))->DecodeJpeg());
}

std::uint64_t Fnv1a64(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
}

std::string ErrorText(int code) { return u8"JPEG エラー #" + std::to_string(code); }
const std::string kOutOfMemory = u8"メモリが足りません";

// Decodes (with the given clock, else the image's own), and gives every progress report made.
std::vector<ProgressEvent> DecodeReports(TJPEGImage& image, TickSource clock = nullptr) {
  std::vector<ProgressEvent> events;
  if (clock) image.SetTickSource(std::move(clock));
  image.SetOnProgress([&](TGraphic&, const ProgressEvent& e) { events.push_back(e); });
  image.DecodeJpeg();
  return events;
}

// ---- Golden pixels: the program's decode equals djpeg -dct float -bmp (-colors 236 for 8-bit).

struct Golden {
  std::string file;
  int bits, width, height;
  std::uint64_t checksum;
};

std::vector<Golden> ReadGoldens() {
  std::ifstream in(TestDataPath("jpeg/expected.txt"));
  std::vector<Golden> goldens;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Golden g;
    fields >> g.file >> g.bits >> g.width >> g.height >> std::hex >> g.checksum;
    goldens.push_back(g);
  }
  return goldens;
}

TEST(JpegGoldenTest, DecodesLikeTheLibrarysOwnDecoder) {
  const std::vector<Golden> goldens = ReadGoldens();
  ASSERT_EQ(goldens.size(), 11u);
  for (const Golden& g : goldens) {
    SCOPED_TRACE(g.file + " " + std::to_string(g.bits));
    auto image =
        LoadJpeg(JpegFile(g.file), g.bits == 8 ? JpegPixelFormat::k8Bit : JpegPixelFormat::k24Bit);
    TBitmap& bitmap = image->DecodeJpeg();
    EXPECT_EQ(bitmap.GetDib().BitCount(), g.bits);
    EXPECT_EQ(bitmap.Width(), g.width);
    EXPECT_EQ(bitmap.Height(), g.height);
    EXPECT_EQ(Fnv1a64(Colours(bitmap)), g.checksum);
  }
}

// ---- Pixel formats and palettes.

TEST(JpegPixelFormatTest, GrayscaleFileGivesEightBitsWithAtMost236GreyLevels) {
  auto image = LoadJpeg(JpegFile("grayscale.jpg"), JpegPixelFormat::k24Bit);
  EXPECT_TRUE(image->Data()->grayscale);
  TBitmap& bitmap = image->DecodeJpeg();
  const Dib& dib = bitmap.GetDib();
  ASSERT_EQ(dib.BitCount(), 8);
  ASSERT_LE(dib.Colors().size(), 236u);
  ASSERT_GE(dib.Colors().size(), 2u);
  for (const RgbQuad& c : dib.Colors()) EXPECT_TRUE(c.red == c.green && c.green == c.blue);
  for (std::int32_t y = 0; y < dib.Height(); ++y) {
    for (std::int32_t x = 0; x < dib.Width(); ++x) ASSERT_LT(dib.Row(y)[x], dib.Colors().size());
  }
  const Palette* palette = image->GetPalette();
  ASSERT_NE(palette, nullptr);
  EXPECT_FALSE(palette->halftone);
  ASSERT_EQ(palette->entries.size(), dib.Colors().size());
  EXPECT_EQ(palette->entries[5].red, dib.Colors()[5].red);
  EXPECT_EQ(palette->entries[5].flags, 0);
}

TEST(JpegPixelFormatTest, EightBitDisplayGivesAtMost236ColoursCloseToTheTrueColours) {
  const std::vector<std::uint8_t> trueColours = CleanColours("baseline_444.jpg");

  auto image = LoadJpeg(JpegFile("baseline_444.jpg"), JpegPixelFormat::k8Bit);
  int changes = 0;
  image->SetOnChange([&](TGraphic&) { ++changes; });
  image->SetPaletteModified(false);
  TBitmap& bitmap = image->DecodeJpeg();
  const Dib& dib = bitmap.GetDib();
  ASSERT_EQ(dib.BitCount(), 8);
  ASSERT_LE(dib.Colors().size(), 236u);
  // The picture's own palette, in the palette's red, green, blue order.
  const Palette* palette = image->GetPalette();
  ASSERT_NE(palette, nullptr);
  ASSERT_EQ(palette->entries.size(), dib.Colors().size());
  for (std::size_t i = 0; i < dib.Colors().size(); ++i) {
    EXPECT_EQ(palette->entries[i],
              (PaletteEntry{dib.Colors()[i].red, dib.Colors()[i].green, dib.Colors()[i].blue, 0}));
  }
  EXPECT_TRUE(image->PaletteModified());
  EXPECT_EQ(changes, 1);

  // Blue stays blue: every channel lands near its true value (dithering spreads small errors).
  const std::vector<std::uint8_t> colours = Colours(bitmap);
  ASSERT_EQ(colours.size(), trueColours.size());
  double error[3] = {0, 0, 0};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    error[i % 3] += std::abs(int{colours[i]} - int{trueColours[i]});
  }
  for (double e : error) EXPECT_LT(e / (colours.size() / 3), 12.0);
}

TEST(JpegPixelFormatTest, TrueColourPictureOnAPalettedScreenUsesHalftoneUntilDecoded) {
  ScopedDisplay paletted(DisplayWithBits(8));
  auto image = LoadJpeg(JpegFile("baseline_420.jpg"), JpegPixelFormat::k24Bit);
  const Palette* before = image->GetPalette();
  ASSERT_NE(before, nullptr);
  EXPECT_TRUE(before->halftone);
  image->DecodeJpeg();
  EXPECT_EQ(image->GetPalette(), nullptr);
}

TEST(JpegPixelFormatTest, ProgressiveDisplayShowsEachScanAndEndsWithTheFullQualityPicture) {
  const std::vector<Golden> goldens = ReadGoldens();
  for (JpegPixelFormat format : {JpegPixelFormat::k24Bit, JpegPixelFormat::k8Bit}) {
    auto image = LoadJpeg(JpegFile("progressive.jpg"), format, JpegScale::kFullSize, nullptr, true);
    image->SetTickSource([now = 0u]() mutable { return now += 1000; });
    int passes = 1;
    std::int32_t lastBottom = 0;
    image->SetOnProgress([&](TGraphic&, const ProgressEvent& e) {
      if (e.stage != ProgressStage::kRunning) return;
      if (e.r.bottom < lastBottom) ++passes;
      lastBottom = e.r.bottom;
    });
    TBitmap& bitmap = image->DecodeJpeg();
    EXPECT_GT(passes, 3);
    const int bits = format == JpegPixelFormat::k8Bit ? 8 : 24;
    const auto golden = std::find_if(goldens.begin(), goldens.end(), [&](const Golden& g) {
      return g.file == "progressive.jpg" && g.bits == bits;
    });
    ASSERT_NE(golden, goldens.end());
    EXPECT_EQ(Fnv1a64(Colours(bitmap)), golden->checksum) << bits;
  }
}

// ---- Sizes, loading and failures.

TEST(JpegLoadTest, SizeComesFromTheHeaderBeforeDecodingAndFromTheBitmapAfter) {
  const struct {
    const char* file;
    JpegScale scale;
    std::int32_t width, height;
    bool multipleScans;
  } rows[] = {{"progressive.jpg", JpegScale::kFullSize, 67, 45, true},
              {"baseline_420.jpg", JpegScale::kHalf, 34, 23, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    auto image = LoadJpeg(JpegFile(row.file), JpegPixelFormat::k24Bit, row.scale);
    EXPECT_EQ(image->Data()->multipleScans, row.multipleScans);
    for (bool decoded : {false, true}) {
      if (decoded) image->DecodeJpeg();
      EXPECT_EQ(image->Decoded(), decoded);
      EXPECT_EQ(image->Width(), row.width);
      EXPECT_EQ(image->Height(), row.height);
    }
  }
}

class JpegLoadPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFileFormats();
    RegisterJpegPictureFormats();
    SetUpMainWindowPictureFormats(JpegPictureClass());
  }
  void TearDown() override { ResetFileFormats(); }

  ScratchFolder folder_;
  PosixFileSystem files_;
  NoColorManagement colors_;
  TPicture picture_;
};

// A bitmap named .jpg fails with the library's not-a-JPEG code; a file cut inside its header (the
// start-of-frame segment incomplete) fails at load too.
TEST_F(JpegLoadPictureTest, BitmapFileNamedJpgAndDamagedHeaderFailAtLoad) {
  std::string bitmap = "BM";
  bitmap.resize(70, '\0');
  const std::vector<std::uint8_t> photo = JpegFile("baseline_420.jpg");
  const struct {
    const char* name;
    std::string bytes;
    std::optional<std::string> message;  // nothing: any library error
  } rows[] = {{"photo.jpg", bitmap, ErrorText(JERR_NO_SOI)},
              {"cut.jpeg", std::string(photo.begin(), photo.begin() + 200), std::nullopt}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    folder_.Write(row.name, row.bytes);
    const auto raised =
        Raised<EJPEG>([&] { LoadPicture(picture_, folder_.File(row.name), files_, colors_); });
    ASSERT_TRUE(raised);
    if (row.message) {
      EXPECT_EQ(raised, row.message);
    }
    EXPECT_EQ(picture_.Graphic(), nullptr);
  }
}

TEST_F(JpegLoadPictureTest, ZeroLengthFileIsAnEmptyPictureThatDrawsNothing) {
  folder_.Write("empty.JPG", "");
  LoadPicture(picture_, folder_.File("empty.JPG"), files_, colors_);
  ASSERT_NE(picture_.Graphic(), nullptr);
  EXPECT_EQ(&picture_.Graphic()->Class(), &JpegPictureClass());
  EXPECT_EQ(picture_.Width(), 0);
  EXPECT_EQ(picture_.Height(), 0);
  auto& image = static_cast<TJPEGImage&>(*picture_.Graphic());
  EXPECT_TRUE(image.Empty());
  EXPECT_NO_THROW(image.DecodeJpeg());
  EXPECT_EQ(image.Width(), 0);
}

TEST(JpegDecodeFailureTest, DamagedDataFailsAtDecodeKeepsItsRowsAndIsNotRetried) {
  const std::vector<std::uint8_t> cleanColours = CleanColours("baseline_420.jpg");
  std::unique_ptr<TJPEGImage> image;
  ASSERT_NO_THROW(image = LoadJpeg(WithStrayScan(JpegFile("baseline_420.jpg"))));
  std::vector<ProgressEvent> events;
  image->SetOnProgress([&](TGraphic&, const ProgressEvent& e) { events.push_back(e); });
  EXPECT_EQ(Raised<EJPEG>([&] { image->DecodeJpeg(); }), ErrorText(JERR_EOI_EXPECTED));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().stage, ProgressStage::kEnding);
  EXPECT_EQ(events.back().percentDone, 0);

  events.clear();
  TBitmap* kept = nullptr;
  ASSERT_NO_THROW(kept = &image->DecodeJpeg());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Colours(*kept), cleanColours);
}

TEST(JpegDecodeFailureTest, DataEndingEarlyDecodesWithoutAMessage) {
  const std::vector<std::uint8_t> cleanColours = CleanColours("baseline_444.jpg");
  std::vector<std::uint8_t> bytes = JpegFile("baseline_444.jpg");
  bytes.resize(bytes.size() * 2 / 3);
  auto image = LoadJpeg(bytes);
  TBitmap& bitmap = image->DecodeJpeg();
  ASSERT_EQ(bitmap.Height(), 45);
  const std::vector<std::uint8_t> colours = Colours(bitmap);
  const std::size_t topRows = 3 * 67 * 8;
  EXPECT_TRUE(std::equal(colours.begin(), colours.begin() + topRows, cleanColours.begin()));
  EXPECT_NE(colours, cleanColours);
}

// Whether a picture can be held is known from its header, so one too large for this machine is
// refused at load, while the picture shown before stays; the bound follows the machine.
TEST(JpegDecodeFailureTest, PictureTooLargeToHoldIsRefusedAtLoadForWantOfMemory) {
  std::vector<std::uint8_t> bytes = JpegFile("progressive.jpg");
  // The frame header (progressive: marker C2) claims 20000 x 20000 pixels: 1.1 GiB at 24 bits,
  // and as much again for the decoder's coefficients.
  const std::uint8_t marker[] = {0xFF, 0xC2};
  const std::uint8_t sides[] = {0x4E, 0x20, 0x4E, 0x20};
  const auto sof = std::search(bytes.begin(), bytes.end(), std::begin(marker), std::end(marker));
  ASSERT_NE(sof, bytes.end());
  std::copy(std::begin(sides), std::end(sides), sof + 5);
  ScopedMemory memory(MemoryFacts{32, 24 * kGibibyte});
  EXPECT_EQ(Raised<EOutOfMemory>([&] { LoadJpeg(bytes); }), kOutOfMemory);
  SetMemory(MemoryFacts{64, 24 * kGibibyte});
  EXPECT_EQ(LoadJpeg(bytes)->Width(), 20000);
}

// Besides the bitmap, the decoder of a file spread over several scans (progressive, or one scan
// per component) keeps every coefficient of the picture, 2 bytes a sample, and its two-pass
// quantiser keeps a copy of the colour picture. What does not fit the bound with them is refused
// for want of memory at load, and again before the first row of a picture loaded when memory
// allowed, never with a library error half-way. The 67 x 45 4:2:0 files need a 9,180-byte
// 24-bit bitmap or a 3,060-byte 8-bit one, 90 blocks of 64 coefficients when spread over
// several scans, and 201 bytes a row for the quantiser's 48 rows.
struct MemoryRow {
  const char* file;
  JpegPixelFormat format;
  std::uint64_t bytesNeeded;
};

TEST(JpegDecodeFailureTest, WholePictureBuffersOfTheDecoderCountAgainstTheBound) {
  const MemoryRow rows[] = {
      {"baseline_420.jpg", JpegPixelFormat::k24Bit, 9180},
      {"progressive.jpg", JpegPixelFormat::k24Bit, 9180 + 90 * 128},
      {"multiscan.jpg", JpegPixelFormat::k24Bit, 9180 + 90 * 128},
      {"baseline_420.jpg", JpegPixelFormat::k8Bit, 3060 + 201 * 48},
      {"progressive.jpg", JpegPixelFormat::k8Bit, 3060 + 90 * 128 + 201 * 48},
      {"grayscale.jpg", JpegPixelFormat::k8Bit, 3060},
  };
  const ScopedMemory memory;
  // The 64-bit program's bound is half the machine's memory.
  const auto setBound = [](std::uint64_t bound) { SetMemory(MemoryFacts{64, 2 * bound}); };
  for (const MemoryRow& row : rows) {
    SCOPED_TRACE(std::string(row.file) + (row.format == JpegPixelFormat::k8Bit ? " 8" : " 24"));
    const std::vector<std::uint8_t> bytes = JpegFile(row.file);
    setBound(row.bytesNeeded);
    EXPECT_EQ(LoadJpeg(bytes, row.format)->DecodeJpeg().Width(), 67);
    setBound(row.bytesNeeded - 1);
    EXPECT_THROW(LoadJpeg(bytes, row.format), EOutOfMemory);

    SetMemory(memory.Saved());
    std::unique_ptr<TJPEGImage> image = LoadJpeg(bytes, row.format);
    setBound(row.bytesNeeded - 1);
    EXPECT_EQ(Raised<EOutOfMemory>([&] { image->DecodeJpeg(); }), kOutOfMemory);
    // Refused before the bitmap was made: no row was decoded.
    EXPECT_EQ(image->DecodeJpeg().Width(), 0);
  }
}

TEST(JpegPixelFormatTest, EditorsCmykFileShowsThePictureItWasMadeFrom) {
  // An editor's YCCK file with the Adobe marker (inverted samples), made from the same picture.
  const std::vector<std::uint8_t> cmyk = Colours(LoadJpeg(JpegFile("cmyk.jpg"))->DecodeJpeg());
  const std::vector<std::uint8_t> rgb = CleanColours("baseline_420.jpg");
  ASSERT_EQ(cmyk.size(), rgb.size());
  long difference = 0;
  for (std::size_t i = 0; i < rgb.size(); ++i) difference += std::abs(cmyk[i] - rgb[i]);
  EXPECT_LT(difference / static_cast<long>(rgb.size()), 6);
}

// ---- Progress notifications.

// A clock that moves by a fixed step each time it is read.
TickSource SteppingClock(std::uint32_t start, std::uint32_t step) {
  auto now = std::make_shared<std::uint32_t>(start);
  return [now, step] { return *now += step; };
}

TEST(JpegProgressTest, ReportsEvery500MsWhenThePercentageMoved) {
  auto image = LoadJpeg(JpegFile("baseline_420.jpg"));
  image->SetPaletteModified(false);
  // The clock wraps around during the decode.
  const std::vector<ProgressEvent> events = DecodeReports(*image, SteppingClock(0xFFFFF000u, 100));
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().stage, ProgressStage::kStarting);
  EXPECT_EQ(events.front().percentDone, 0);
  EXPECT_EQ(events.back().stage, ProgressStage::kEnding);
  EXPECT_EQ(events.back().percentDone, 100);
  EXPECT_FALSE(events.back().redrawNow);  // a true-colour decode leaves the palette alone
  std::int32_t row = 0;
  int percent = 0;
  for (std::size_t i = 1; i + 1 < events.size(); ++i) {
    const ProgressEvent& e = events[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(e.stage, ProgressStage::kRunning);
    EXPECT_GT(e.percentDone, percent);
    // One library call per row, a clock step per call: 5 new rows since the last report.
    EXPECT_EQ(e.r, (Rect{0, row, 67, row + 5}));
    EXPECT_TRUE(e.redrawNow);
    row = e.r.bottom;
    percent = e.percentDone;
  }
}

TEST(JpegProgressTest, FewNewRowsAskForNoRedrawAndAStillClockForNoReport) {
  const std::vector<ProgressEvent> events =
      DecodeReports(*LoadJpeg(JpegFile("baseline_420.jpg")), SteppingClock(0, 600));
  ASSERT_GT(events.size(), 10u);
  for (std::size_t i = 2; i + 1 < events.size(); ++i) {
    EXPECT_EQ(events[i].r.Height(), 1);
    EXPECT_FALSE(events[i].redrawNow);
  }
  EXPECT_EQ(DecodeReports(*LoadJpeg(JpegFile("baseline_420.jpg")), [] { return 1234u; }).size(),
            2u);
}

TEST(JpegProgressTest, AbortFromAListenerEndsTheDecodeSilently) {
  auto image = LoadJpeg(JpegFile("baseline_420.jpg"));
  image->SetTickSource(SteppingClock(0, 1000));
  std::vector<ProgressEvent> events;
  image->SetOnProgress([&](TGraphic&, const ProgressEvent& e) {
    events.push_back(e);
    if (e.stage == ProgressStage::kRunning && e.r.bottom >= 20) throw EAbort();
  });
  ASSERT_NO_THROW(image->DecodeJpeg());
  EXPECT_EQ(events.back().stage, ProgressStage::kEnding);
  EXPECT_EQ(events.back().percentDone, 0);
}

TEST(JpegProgressTest, OtherListenerFailuresPassOnAndKeepTheRowsMadeSoFar) {
  const std::vector<std::uint8_t> cleanColours = CleanColours("baseline_444.jpg");
  auto image = LoadJpeg(JpegFile("baseline_444.jpg"));
  image->SetTickSource(SteppingClock(0, 1000));
  std::int32_t stoppedAt = 0;
  image->SetOnProgress([&](TGraphic&, const ProgressEvent& e) {
    if (e.stage == ProgressStage::kRunning && e.r.bottom >= 20) {
      stoppedAt = e.r.bottom;
      throw EOutOfResources("no room");
    }
  });
  EXPECT_THROW(image->DecodeJpeg(), EOutOfResources);
  ASSERT_EQ(stoppedAt, 20);
  const std::vector<std::uint8_t> colours = Colours(image->DecodeJpeg());
  const std::size_t rowBytes = 3 * 67;
  EXPECT_TRUE(std::equal(colours.begin(), colours.begin() + 20 * rowBytes, cleanColours.begin()));
  EXPECT_TRUE(std::all_of(colours.begin() + 21 * rowBytes, colours.end(),
                          [](std::uint8_t b) { return b == 0; }));
}

TEST(JpegProgressTest, EightBitDecodeEndsWithARedrawAndAChangeForItsNewPalette) {
  auto image = LoadJpeg(JpegFile("grayscale.jpg"));
  image->SetPaletteModified(false);
  int changes = 0;
  image->SetOnChange([&](TGraphic&) { ++changes; });
  const std::vector<ProgressEvent> events = DecodeReports(*image);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().stage, ProgressStage::kEnding);
  EXPECT_TRUE(events.back().redrawNow);
  EXPECT_EQ(changes, 1);
}

TEST(JpegProgressTest, ANewPassReportsTheRowsDownToTheBottom) {
  // Two passes over 100 rows (the colour quantiser's survey, then the output pass).
  JpegProgressMonitor monitor;
  JpegProgressFacts facts{0, 100, 0, 2, 0, 30, 100};
  EXPECT_FALSE(monitor.OnProgress(facts, 0));
  facts.passCounter = facts.outputScanline = 90;
  std::optional<ProgressEvent> survey = monitor.OnProgress(facts, 500);
  ASSERT_TRUE(survey);
  EXPECT_EQ(survey->percentDone, 45);
  EXPECT_EQ(survey->r, (Rect{0, 0, 30, 90}));
  // Same percentage again: nothing, however long it has been.
  EXPECT_FALSE(monitor.OnProgress(facts, 5000));
  facts = {2, 100, 1, 2, 2, 30, 100};
  std::optional<ProgressEvent> output = monitor.OnProgress(facts, 5600);
  ASSERT_TRUE(output);
  EXPECT_EQ(output->percentDone, 51);
  EXPECT_EQ(output->r, (Rect{0, 90, 30, 100}));
  EXPECT_TRUE(output->redrawNow);
  facts.passCounter = facts.outputScanline = 5;
  output = monitor.OnProgress(facts, 6100);
  ASSERT_TRUE(output);
  EXPECT_EQ(output->r, (Rect{0, 2, 30, 5}));
  EXPECT_FALSE(output->redrawNow);
}

// ---- Drawing, sharing, start-up.

TEST(JpegDrawTest, FirstDrawDecodesAndEveryDrawShowsTheDecodedBitmap) {
  auto image = LoadJpeg(JpegFile("restart.jpg"));
  FakeCanvas canvas;
  image->Draw(canvas, Rect{0, 0, 67, 45});
  EXPECT_TRUE(image->Decoded());
  image->Draw(canvas, Rect{5, 5, 72, 50});
  ASSERT_EQ(canvas.Count(FakeCanvas::Call::kDrawDib), 2u);
  ASSERT_EQ(canvas.calls[1].call, FakeCanvas::Call::kDrawDib);
  EXPECT_EQ(canvas.calls[1].dib->Width(), 67);
  EXPECT_EQ(canvas.calls[1].rect, (Rect{5, 5, 72, 50}));

  TJPEGImage copy;
  copy.Assign(*image);
  EXPECT_EQ(copy.Data(), image->Data());
  EXPECT_EQ(&copy.DecodeJpeg(), &image->DecodeJpeg());
}

TEST(JpegStartUpTest, PixelFormatFollowsTheScreenDepthAtStart) {
  const ScopedDisplay screen(DisplayWithBits(8));
  const JpegSettings savedDefaults = JpegDefaults();
  ResetFileFormats();
  RegisterJpegPictureFormats();
  EXPECT_EQ(JpegDefaults().pixelFormat, JpegPixelFormat::k8Bit);
  EXPECT_EQ(TJPEGImage().Settings().pixelFormat, JpegPixelFormat::k8Bit);
  InitJpegDefaults(DisplayWithBits(16));
  EXPECT_EQ(JpegDefaults().pixelFormat, JpegPixelFormat::k24Bit);

  EXPECT_EQ(FindPictureClass("jpeg"), &JpegPictureClass());
  EXPECT_EQ(FindPictureClass("JPG"), &JpegPictureClass());
  UnregisterJpegPictureFormats();
  EXPECT_EQ(FindPictureClass("jpeg"), nullptr);
  EXPECT_EQ(FindPictureClass("jpg"), nullptr);
  ASSERT_EQ(GetFileFormats().Entries().size(), 4u);

  ResetFileFormats();
  JpegDefaults() = savedDefaults;
}

TEST(JpegStartUpTest, StartUpLeavesTheSevenRowFormatTable) {
  ResetFileFormats();
  RegisterJpegPictureFormats();
  SetUpMainWindowPictureFormats(JpegPictureClass());
  const std::vector<PictureFormat>& entries = GetFileFormats().Entries();
  ASSERT_EQ(entries.size(), 7u);
  const std::string jpegText = u8"JPEG イメージファイル";
  EXPECT_EQ(entries[3].extension, "jpeg");
  EXPECT_EQ(entries[3].description, jpegText);
  EXPECT_EQ(entries[4].extension, "jpg");
  EXPECT_EQ(entries[4].description, jpegText);
  EXPECT_EQ(entries[4].graphicClass, &JpegPictureClass());
  EXPECT_EQ(entries[6].extension, "jpg");
  EXPECT_EQ(entries[6].graphicClass, &JpegPictureClass());
  ResetFileFormats();
}

}  // namespace
}  // namespace tavilune
