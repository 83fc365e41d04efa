// Photos as cameras and editors write them (made here with the library): the EXIF orientation
// turns the picture everywhere, a colour profile is assembled from its chunks, CMYK files show in
// colour, damaged metadata shows the picture as stored.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_color_management.h"
#include "jpeg_files.h"
#include "picture/jpeg_image.h"
#include "picture/jpeg_library.h"
#include "picture/jpeg_markers.h"
#include "picture/stream.h"
#include "platform/exceptions.h"
#include "platform/matrix_profile.h"

namespace tavilune {
namespace {

using testing::LoadJpeg;
using enum JpegPixelFormat;
using Bytes = std::vector<std::uint8_t>;
struct Marker {
  int code;
  Bytes data;
};
// Samples of one pixel: 3 (RGB) or 4 (CMYK).
using PixelSource = std::function<std::vector<int>(int x, int y)>;

// A JPEG written by the library with the markers after its start: YCbCr from RGB samples, or
// CMYK / YCCK from CMYK samples (adobe false drops the Adobe marker).
Bytes MakeJpeg(int width, int height, const PixelSource& pixel, const std::vector<Marker>& markers,
               J_COLOR_SPACE stored = JCS_YCbCr, bool adobe = true) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  const bool cmyk = stored == JCS_CMYK || stored == JCS_YCCK;
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = cmyk ? 4 : 3;
  info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  info.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&info, 98, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (const Marker& m : markers)
    jpeg_write_marker(&info, m.code, m.data.data(), static_cast<unsigned>(m.data.size()));
  while (info.next_scanline < info.image_height) {
    Bytes row;
    for (int x = 0; x < width; ++x)
      for (int sample : pixel(x, static_cast<int>(info.next_scanline))) row.push_back(sample);
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&info, &rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

// An EXIF APP1 payload: "Exif\0\0", a TIFF header in the byte order given ('I' or 'M'), and an
// image directory at ifdOffset holding one entry, with no next directory.
Bytes Exif(char order, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
           std::uint16_t value, std::uint32_t ifdOffset = 8, std::uint16_t entries = 1) {
  Bytes b = {'E', 'x', 'i', 'f', 0, 0, std::uint8_t(order), std::uint8_t(order)};
  const std::pair<std::uint32_t, int> fields[] = {{42, 2},    {ifdOffset, 4}, {entries, 2},
                                                  {tag, 2},   {type, 2},      {count, 4},
                                                  {value, 2}, {0, 2},         {0, 4}};
  for (auto [v, size] : fields)
    for (int i = 0; i < size; ++i) b.push_back(v >> 8 * (order == 'M' ? size - 1 - i : i));
  return b;
}
Bytes Orientation(int value, char order = 'I') {
  return Exif(order, 0x0112, 3, 1, static_cast<std::uint16_t>(value));
}
Marker App1(Bytes exif) { return {JPEG_APP0 + 1, std::move(exif)}; }
Bytes Patched(Bytes b, std::size_t at, std::uint8_t value) {
  b[at] = value;
  return b;
}

// Blue, green, red of one pixel of a decoded 8- or 24-bit bitmap.
RgbQuad PixelAt(TBitmap& bitmap, int x, int y) {
  const Dib& dib = bitmap.GetDib();
  const std::uint8_t* row = dib.Row(y);
  if (dib.BitCount() == 8) return dib.Colors().at(row[x]);
  return RgbQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
}

using Rgb = std::array<int, 3>;
void ExpectNear(const RgbQuad& got, const Rgb& rgb, int tolerance) {
  EXPECT_NEAR(got.red, rgb[0], tolerance);
  EXPECT_NEAR(got.green, rgb[1], tolerance);
  EXPECT_NEAR(got.blue, rgb[2], tolerance);
}

// Calls onRunning with each running progress report, a second apart so that every band reports.
void OnRunning(TJPEGImage& image, std::function<void(const Rect&)> onRunning) {
  image.SetTickSource([now = std::uint32_t{0}]() mutable { return now += 1000; });
  image.SetOnProgress([onRunning](TGraphic&, const ProgressEvent& e) {
    if (e.stage == ProgressStage::kRunning) onRunning(e.r);
  });
}

// ---- Orientation.

// 67 x 45 (taller than a band, partial blocks at the edges), one flat colour per quadrant.
enum Corner { kTL, kTR, kBL, kBR };
constexpr Rgb kCornerRgb[4] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 40}};
constexpr int kW = 67, kH = 45;
std::vector<int> Quadrants(int x, int y) {
  const Rgb& c = kCornerRgb[(y < kH / 2 ? 0 : 2) + (x < kW / 2 ? 0 : 1)];
  return {c.begin(), c.end()};
}
Bytes Photo(const std::vector<Marker>& markers) { return MakeJpeg(kW, kH, Quadrants, markers); }

// For orientations 1 to 8, the stored corner seen at the shown top left, top right, bottom left
// and bottom right.
constexpr Corner kShownCorners[8][4] = {
    {kTL, kTR, kBL, kBR}, {kTR, kTL, kBR, kBL}, {kBR, kBL, kTR, kTL}, {kBL, kBR, kTL, kTR},
    {kTL, kBL, kTR, kBR}, {kBL, kTL, kBR, kTR}, {kBR, kTR, kBL, kTL}, {kTR, kBR, kTL, kBL},
};

// Where the test expects stored pixel (x, y) to be shown: transposed for 5 to 8, then mirrored.
std::pair<int, int> ShownAt(int o, int x, int y, int w, int h) {
  const bool swap = o >= 5;
  const int sw = swap ? h : w, sh = swap ? w : h;
  int sx = swap ? y : x, sy = swap ? x : y;
  if (o == 2 || o == 3 || o == 6 || o == 7) sx = sw - 1 - sx;
  if (o == 3 || o == 4 || o == 7 || o == 8) sy = sh - 1 - sy;
  return {sx, sy};
}

// How many channels of the stored rows [0, rows) are more than `off` away from the pixel the
// orientation shows them at (from its complement when `complement`).
int Mismatches(TBitmap& stored, TBitmap& shown, int rows, int orientation, bool complement = false,
               int off = 0) {
  int wrong = 0;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < stored.Width(); ++x) {
      const auto [sx, sy] = ShownAt(orientation, x, y, stored.Width(), stored.Height());
      const RgbQuad a = PixelAt(stored, x, y), b = PixelAt(shown, sx, sy);
      for (auto [p, q] : {std::pair{a.red, b.red}, {a.green, b.green}, {a.blue, b.blue}})
        wrong += std::abs((complement ? 255 - p : p) - q) > off;
    }
  }
  return wrong;
}

// Each orientation in either byte order turns the size (known before decoding), the corners and
// every pixel; damaged or foreign EXIF data means the picture shows as stored.
TEST(JpegOrientationTest, EachOrientationTurnsThePictureAndDamagedExifLeavesItAsStored) {
  const Bytes six = Orientation(6);
  struct Row {
    std::string what;
    Bytes app1;
    int orientation;
  };
  std::vector<Row> rows = {
      {"type LONG", Exif('I', 0x0112, 4, 1, 6), 1},
      {"two values", Exif('M', 0x0112, 3, 2, 6), 1},
      {"value 0", Orientation(0), 1},
      {"value 9", Orientation(9, 'M'), 1},
      {"directory past the end", Exif('I', 0x0112, 3, 1, 6, 4000), 1},
      {"entries past the end", Exif('I', 0x0112, 3, 1, 6, 8, 40), 1},
      {"cut inside the directory", Bytes(six.begin(), six.begin() + 20), 1},
      {"mixed byte order mark", Patched(six, 7, 'M'), 1},
      {"wrong TIFF magic", Patched(six, 8, 43), 1},
      {"signature only", {'E', 'x', 'i', 'f', 0, 0}, 1},
  };
  for (int o = 1; o <= 8; ++o)
    for (char order : {'I', 'M'})
      rows.push_back({"orientation " + std::to_string(o) + order, Orientation(o, order), o});
  for (JpegPixelFormat format : {k24Bit, k8Bit}) {
    auto storedImage = LoadJpeg(Photo({}), format);
    TBitmap& stored = storedImage->DecodeJpeg();
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what + (format == k8Bit ? " 8-bit" : " 24-bit"));
      EXPECT_EQ(ReadExifOrientation(row.app1), row.orientation);
      auto image = LoadJpeg(Photo({App1(row.app1)}), format);
      const bool swapped = row.orientation >= 5;
      const int w = swapped ? kH : kW, h = swapped ? kW : kH;
      EXPECT_EQ(image->Width(), w);
      EXPECT_EQ(image->Height(), h);
      TBitmap& shown = image->DecodeJpeg();
      ASSERT_EQ(shown.Width(), w);
      ASSERT_EQ(shown.Height(), h);
      const int corners[4][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
      for (int i = 0; i < 4; ++i)
        ExpectNear(PixelAt(shown, corners[i][0], corners[i][1]),
                   kCornerRgb[kShownCorners[row.orientation - 1][i]], 24);
      if (format == k8Bit) continue;  // the quantiser's choices may differ
      EXPECT_EQ(Mismatches(stored, shown, kH, row.orientation), 0);
    }
  }
  // Not EXIF at all (an XMP packet): no answer, and a later EXIF block still counts.
  const Bytes xmp = {'h', 't', 't', 'p', ':', '/', '/'};
  EXPECT_EQ(ReadExifOrientation(xmp), std::nullopt);
  EXPECT_EQ(LoadJpeg(Photo({App1(xmp), App1(Orientation(8))}))->Width(), kH);
}

TEST(JpegOrientationTest, ScaledDecodesAndProgressReportsAreTurnedToo) {
  auto image = LoadJpeg(Photo({App1(Orientation(6))}), k24Bit, JpegScale::kHalf);
  EXPECT_EQ(image->Height(), 34);
  std::vector<Rect> reports;
  OnRunning(*image, [&](const Rect& r) { reports.push_back(r); });
  TBitmap& shown = image->DecodeJpeg();
  EXPECT_EQ(shown.Width(), 23);
  ExpectNear(PixelAt(shown, 0, 0), kCornerRgb[kBL], 24);
  ASSERT_FALSE(reports.empty());
  // Stored rows are shown columns: each report spans the shown height, within the picture.
  for (const Rect& r : reports)
    EXPECT_TRUE(r.top == 0 && r.bottom == 34 && r.left >= 0 && r.right <= 23);
}

TEST(JpegOrientationTest, AFailedDecodeKeepsTheTurnedRowsMadeSoFar) {
  auto clean = LoadJpeg(Photo({}));
  TBitmap& stored = clean->DecodeJpeg();
  auto image = LoadJpeg(Photo({App1(Orientation(3))}));
  int rows = 0;
  OnRunning(*image, [&](const Rect& r) {
    rows = r.Height();
    throw EOutOfResources("no room");
  });
  EXPECT_THROW(image->DecodeJpeg(), EOutOfResources);
  ASSERT_GT(rows, 0);  // fewer than a band: the rows were still in it
  TBitmap& shown = image->DecodeJpeg();
  EXPECT_EQ(Mismatches(stored, shown, rows, 3), 0);
}

// ---- Embedded colour profile.

Marker IccChunk(int sequence, int count, const Bytes& body) {
  const char tag[] = "ICC_PROFILE";
  Bytes b(tag, tag + sizeof tag);  // with its terminating zero
  b.push_back(static_cast<std::uint8_t>(sequence));
  b.push_back(static_cast<std::uint8_t>(count));
  b.insert(b.end(), body.begin(), body.end());
  return {JPEG_APP0 + 2, b};
}

TEST(JpegIccProfileTest, ChunksMakeOneProfileOnlyWhenWholeAndConsistent) {
  const Bytes a = {1, 2, 3}, b = {4, 5}, c = {6}, whole = {1, 2, 3, 4, 5, 6};
  const Marker a1 = IccChunk(1, 3, a), b2 = IccChunk(2, 3, b), c3 = IccChunk(3, 3, c);
  const Marker cut = IccChunk(1, 1, {});
  const struct {
    const char* what;
    std::vector<Marker> chunks;
    Bytes expected;
  } rows[] = {
      {"in order", {a1, b2, c3}, whole},
      {"out of order", {c3, a1, b2}, whole},
      {"one chunk", {IccChunk(1, 1, whole)}, whole},
      {"missing", {a1, c3}, {}},
      {"repeated", {a1, b2, b2, c3}, {}},
      {"counts differ", {a1, IccChunk(2, 2, b), c3}, {}},
      {"sequence 0", {IccChunk(0, 1, a)}, {}},
      {"sequence above count", {IccChunk(1, 1, a), IccChunk(2, 1, b)}, {}},
      {"count 0", {IccChunk(0, 0, a)}, {}},
      {"cut header", {{JPEG_APP0 + 2, Bytes(cut.data.begin(), cut.data.end() - 1)}}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<JpegMarker> markers;
    for (const Marker& m : row.chunks) markers.push_back({m.code, m.data});
    EXPECT_EQ(AssembleIccProfile(markers), row.expected);
    // The same through a file: read with its header, and kept with the picture.
    std::vector<Marker> fileMarkers = row.chunks;
    fileMarkers.insert(fileMarkers.begin(), App1(Orientation(3)));
    auto image = LoadJpeg(MakeJpeg(16, 8, Quadrants, fileMarkers));
    EXPECT_EQ(image->Data()->metadata.iccProfile, row.expected);
    EXPECT_EQ(image->Data()->metadata.orientation, 3);
  }
}

// ---- CMYK.

// Cyan, magenta, yellow, black and the colour they show: (255 - C) * (255 - K) / 255 and so on.
constexpr std::pair<std::array<int, 4>, Rgb> kInks[] = {
    {{0, 0, 0, 0}, {255, 255, 255}},     {{255, 0, 0, 0}, {0, 255, 255}},
    {{0, 255, 0, 0}, {255, 0, 255}},     {{0, 0, 255, 0}, {255, 255, 0}},
    {{0, 0, 0, 255}, {0, 0, 0}},         {{0, 0, 0, 128}, {127, 127, 127}},
    {{64, 128, 192, 64}, {143, 95, 47}},
};
constexpr int kInkCount = static_cast<int>(std::size(kInks));
// One 16 x 16 block per ink mix, so that every block is flat in the file; Adobe files store the
// samples inverted.
PixelSource Inks(bool inverted) {
  return [inverted](int x, int) {
    const auto& inks = kInks[x / 16 % kInkCount].first;
    std::vector<int> s(inks.begin(), inks.end());
    for (int& v : s) v = inverted ? 255 - v : v;
    return s;
  };
}

TEST(JpegCmykTest, PlainAdobeInvertedAndYcckFilesShowTheInksColours) {
  const struct {
    const char* what;
    J_COLOR_SPACE stored;
    bool adobe;  // the marker, with samples stored inverted
  } files[] = {{"plain", JCS_CMYK, false}, {"Adobe", JCS_CMYK, true}, {"YCCK", JCS_YCCK, true}};
  for (const auto& file : files) {
    const Bytes jpeg = MakeJpeg(16 * kInkCount, 16, Inks(file.adobe), {}, file.stored, file.adobe);
    for (JpegPixelFormat format : {k24Bit, k8Bit}) {
      SCOPED_TRACE(std::string(file.what) + (format == k8Bit ? " 8-bit" : ""));
      auto image = LoadJpeg(jpeg, format);
      EXPECT_EQ(image->Data()->metadata.adobeTransform.has_value(), file.adobe);
      TBitmap& bitmap = image->DecodeJpeg();
      EXPECT_EQ(bitmap.GetDib().BitCount(), format == k8Bit ? 8 : 24);
      // 8 bits: the nearest colour of a cube of levels 51 apart.
      for (int i = 0; i < kInkCount; ++i)
        ExpectNear(PixelAt(bitmap, 16 * i + 8, 8), kInks[i].second, format == k8Bit ? 26 : 4);
    }
  }
}

// ---- Colours turned through the embedded profile.

// The rows of a 24-bit picture (also turned ones), the colour table of an 8-bit one, a CMYK
// file's inks through its CMYK profile. A profile that does not check out leaves the picture as
// stored, and the system never sees it.
TEST(JpegColourProfileTest, RowsTablesAndInksAreTurnedThroughTheEmbeddedProfile) {
  using enum PixelLayout;
  const Bytes wide = MakeMatrixProfile(
      {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001, 0.3457, 0.3585, 1.8, "wide"});
  Bytes cmykProfile = wide;
  std::copy_n("prtrCMYK", 8, cmykProfile.begin() + 12);  // an output (printer) profile of CMYK
  const Marker icc = IccChunk(1, 1, wide);
  const struct {
    const char* what;
    Bytes jpeg;
    JpegPixelFormat format;
    PixelLayout layout;  // asked of the system; kGray8 stands for "nothing asked"
  } rows[] = {
      {"24-bit rows", Photo({icc}), k24Bit, kBgr24},
      {"turned rows", Photo({App1(Orientation(6)), icc}), k24Bit, kBgr24},
      {"8-bit table", Photo({icc}), k8Bit, kBgrx32},
      {"CMYK inks",
       MakeJpeg(16 * kInkCount, 16, Inks(true), {IccChunk(1, 1, cmykProfile)}, JCS_CMYK), k24Bit,
       kCmyk32},
      {"damaged", Photo({IccChunk(1, 1, Patched(wide, 36, 'x'))}), k24Bit, kGray8},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    testing::FakeColorManagement colors;
    auto stored = LoadJpeg(row.jpeg, row.format);
    auto turned = LoadJpeg(row.jpeg, row.format, JpegScale::kFullSize, &colors);
    TBitmap& before = stored->DecodeJpeg();
    TBitmap& after = turned->DecodeJpeg();
    const bool asked = row.layout != kGray8;
    ASSERT_EQ(colors.requests.size(), asked ? 1u : 0u);
    EXPECT_EQ(asked ? colors.requests[0].layout : kGray8, row.layout);
    // The fake turns each channel into its complement, and the inks into the colours the plain
    // conversion gives too (rounded down where the plain one rounds).
    const bool complement = asked && row.layout != kCmyk32;
    EXPECT_EQ(Mismatches(before, after, before.Height(), 1, complement, asked && !complement), 0);
  }
}

}  // namespace
}  // namespace tavilune
