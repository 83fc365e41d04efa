// The profile check, sRGB told apart, and the bitmap decoder turning colours through the fake
// colour management.
#include "picture/icc_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "bitmap_builder.h"
#include "fakes/fake_color_management.h"
#include "picture/bitmap.h"
#include "picture/stream.h"
#include "platform/big_endian.h"
#include "platform/matrix_profile.h"

namespace tavilune::testing {
namespace {

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  BigEndianWriter(bytes).Seek(at).PutUint32(value);
}

std::uint32_t Sig(const char (&s)[5]) {
  return std::uint32_t(s[0]) << 24 | std::uint32_t(s[1]) << 16 | std::uint32_t(s[2]) << 8 |
         std::uint32_t(s[3]);
}

TEST(ColorProfile, ProfilesMadeInCodeCheckOutAndOnlySrgbIsToldApart) {
  const auto srgb = MakeMatrixProfile(kSrgbProfileSpec);
  EXPECT_LT(srgb.size(), 700u);  // the built-in display profile stays small
  const auto srgbFacts = CheckColorProfile(srgb);
  ASSERT_TRUE(srgbFacts);
  EXPECT_TRUE(srgbFacts->srgb);
  EXPECT_EQ(srgbFacts->size, srgb.size());
  EXPECT_EQ(srgbFacts->colorSpace, ProfileColorSpace::kRgb);
  EXPECT_EQ(srgbFacts->profileClass, ProfileClass::kDisplay);

  const auto wide = CheckColorProfile(MakeMatrixProfile(kWide));
  ASSERT_TRUE(wide);
  EXPECT_FALSE(wide->srgb);
  // sRGB's primaries with a 2.2 power curve are not sRGB: dark colours differ.
  MatrixProfileSpec gamma22 = kSrgbProfileSpec;
  gamma22.gamma = 2.2;
  EXPECT_FALSE(CheckColorProfile(MakeMatrixProfile(gamma22))->srgb);
  // The sRGB curve written as a parametric curve (function type 3), as version 4 profiles do.
  auto parametric = srgb;
  const std::uint32_t curveOffset =
      BigEndianReader(parametric).Seek(128 + 4 + 6 * 12 + 4).GetUint32();  // rTRC's data
  parametric.resize(curveOffset + 32);
  BigEndianWriter curve(parametric);
  curve.Seek(curveOffset).PutUint32(Sig("para"));
  curve.PutUint32(0);
  curve.PutUint16(3);
  curve.PutUint16(0);
  // g = 2.4, a = 1 / 1.055, b = 0.055 / 1.055, c = 1 / 12.92, d = 0.04045
  for (std::uint32_t v : {0x00026666u, 0x0000F2A7u, 0x00000D59u, 0x000013D0u, 0x00000A5Bu}) {
    curve.PutUint32(v);
  }
  for (std::size_t tag = 6; tag < 9; ++tag) Put32(parametric, 128 + 4 + tag * 12 + 8, 32);
  Put32(parametric, 0, static_cast<std::uint32_t>(parametric.size()));
  const auto para = CheckColorProfile(parametric);
  ASSERT_TRUE(para);
  EXPECT_TRUE(para->srgb);
}

struct RefusalRow {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> damage;
};

TEST(ColorProfile, DamagedOrUnusableProfilesGiveNoAnswer) {
  const std::size_t firstTag = 128 + 4;
  const RefusalRow rows[] = {
      {"cut short of its declared size", [](auto& p) { p.resize(p.size() - 1); }},
      {"declared too small for the tag count", [](auto& p) { Put32(p, 0, 131); }},
      {"only part of the header", [](auto& p) { p.resize(100); }},
      {"no 'acsp' signature", [](auto& p) { Put32(p, 36, Sig("acsq")); }},
      {"device link", [](auto& p) { Put32(p, 12, Sig("link")); }},
      {"abstract", [](auto& p) { Put32(p, 12, Sig("abst")); }},
      {"named colour", [](auto& p) { Put32(p, 12, Sig("nmcl")); }},
      {"Lab data", [](auto& p) { Put32(p, 16, Sig("Lab ")); }},
      {"unknown connection space", [](auto& p) { Put32(p, 20, Sig("RGB ")); }},
      {"tag count beyond the profile", [](auto& p) { Put32(p, 128, 100); }},
      {"tag count that wraps", [](auto& p) { Put32(p, 128, 0xFFFFFFFF); }},
      {"tag data past the end", [&](auto& p) { Put32(p, firstTag + 4, std::uint32_t(p.size())); }},
      {"tag offset and size wrapping around",
       [&](auto& p) {
         Put32(p, firstTag + 4, 0xFFFFFFF0);
         Put32(p, firstTag + 8, 0x20);
       }},
  };
  for (const RefusalRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto profile = MakeMatrixProfile(kWide);
    row.damage(profile);
    EXPECT_FALSE(CheckColorProfile(profile));
  }
  // What the profile declares is what counts: bytes after it are not part of it.
  auto padded = MakeMatrixProfile(kWide);
  const std::size_t size = padded.size();
  padded.resize(size + 10, 0xEE);
  const auto facts = CheckColorProfile(padded);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, size);
}

TEST(ColorProfile, TransformsOnlyForProfilesOfThePixelsColourSpace) {
  FakeColorManagement colors;
  auto wide = MakeMatrixProfile(kWide);
  const std::size_t size = wide.size();
  wide.resize(size + 7);  // the picture's bytes after the profile
  EXPECT_TRUE(ProfileTransform(colors, wide, PixelLayout::kBgr24));
  ASSERT_EQ(colors.requests.size(), 1u);
  EXPECT_EQ(colors.requests[0].profile.size(), size);
  EXPECT_EQ(colors.requests[0].layout, PixelLayout::kBgr24);

  EXPECT_FALSE(ProfileTransform(colors, wide, PixelLayout::kCmyk32));
  EXPECT_FALSE(ProfileTransform(colors, wide, PixelLayout::kGray8));
  EXPECT_FALSE(ProfileTransform(colors, MakeMatrixProfile(kSrgbProfileSpec), PixelLayout::kBgr24));
  auto cmyk = MakeMatrixProfile(kWide);
  Put32(cmyk, 16, Sig("CMYK"));
  Put32(cmyk, 12, Sig("prtr"));
  EXPECT_FALSE(ProfileTransform(colors, cmyk, PixelLayout::kBgrx32));
  EXPECT_TRUE(ProfileTransform(colors, cmyk, PixelLayout::kCmyk32));
  EXPECT_EQ(colors.requests.size(), 2u);
}

// ---- The bitmap decoder: a version 5 header whose profile lies after the pixels (or in a gap
// before them).

// Two 24-bit pixels per row, two rows, each row padded to 8 bytes.
const std::vector<std::uint8_t> kRows{10, 20, 30, 40,  50,  60,  0, 0,
                                      70, 80, 90, 100, 110, 120, 0, 0};
// Those rows with the wide profile after them.
const ProfiledBitmap kProfiledRows{.spec = {.headerSize = 124, .pixels = kRows}};

class ProfiledBitmapTest : public ::testing::Test {
 protected:
  TBitmap& Decode(const ProfiledBitmap& file, bool withColors = true) {
    const auto bytes = file.Make();
    MemoryStream stream(bytes);
    ReadBitmapFile(bitmap, stream, withColors ? &colors : nullptr);
    return bitmap;
  }
  std::vector<std::uint8_t> Pixels() const {
    const auto pixels = bitmap.GetDib().Pixels();
    return {pixels.begin(), pixels.end()};
  }
  FakeColorManagement colors;
  TBitmap bitmap;
};

std::vector<std::uint8_t> Converted(std::vector<std::uint8_t> rows) {
  for (std::size_t row = 0; row < rows.size(); row += 8) {
    for (std::size_t i = 0; i < 6; ++i) rows[row + i] = FakeConverted(rows[row + i]);
  }
  return rows;
}

TEST_F(ProfiledBitmapTest, RowsOfAProfiledBitmapAreTurnedOnceInPlace) {
  for (bool inGap : {false, true}) {
    SCOPED_TRACE(inGap ? "profile before the pixels" : "profile after the pixels");
    colors = FakeColorManagement();
    ProfiledBitmap file = kProfiledRows;
    file.inGap = inGap;
    Decode(file);
    EXPECT_EQ(Pixels(), Converted(kRows));
    ASSERT_EQ(colors.requests.size(), 1u);
    EXPECT_EQ(colors.requests[0].profile, file.profile);
    EXPECT_EQ(colors.requests[0].layout, PixelLayout::kBgr24);
    ASSERT_EQ(colors.translations.size(), 1u);
    EXPECT_TRUE(colors.translations[0].inPlace);
    EXPECT_EQ(colors.translations[0].rows, 2u);
    // The system draws the turned colours as sRGB, from a header that points nowhere.
    const auto& header = bitmap.GetDib().Header();
    EXPECT_EQ(std::string(header.begin() + 56, header.begin() + 60), "BGRs");
    EXPECT_EQ(header[112] | header[116], 0);
  }
}

TEST_F(ProfiledBitmapTest, ThirtyTwoBitRowsKeepTheirUnusedByte) {
  Decode(
      {.spec = {
           .headerSize = 124, .width = 1, .height = 1, .bitCount = 32, .pixels = {1, 2, 3, 0xAA}}});
  EXPECT_EQ(Pixels(), (std::vector<std::uint8_t>{254, 253, 252, 0xAA}));
  EXPECT_EQ(colors.requests.at(0).layout, PixelLayout::kBgrx32);
}

TEST_F(ProfiledBitmapTest, ABitmapWithAColourTableHasItsTableTurnedNotItsPixels) {
  const ProfiledBitmap file{.spec = {.headerSize = 124,
                                     .bitCount = 8,
                                     .colorsUsed = 2,
                                     .colors = {0x102030, 0x405060},
                                     .pixels = {0, 1, 0, 0, 1, 0, 0, 0}}};
  Decode(file);
  EXPECT_EQ(Pixels(), file.spec.pixels);
  EXPECT_EQ(bitmap.GetDib().Colors(),
            (std::vector<RgbQuad>{{0xCF, 0xDF, 0xEF, 0}, {0x9F, 0xAF, 0xBF, 0}}));
  ASSERT_EQ(colors.translations.size(), 1u);
  EXPECT_EQ(colors.translations[0].width, 2u);
  // The table the system draws from carries the turned colours too.
  const auto& info = bitmap.GetDib().BitmapInfo();
  EXPECT_EQ(info[124], 0xCF);
}

struct AsStoredRow {
  const char* name;
  std::function<void(ProfiledBitmap&)> change;
  bool transformAsked;  // the profile reached the system, which refused it
};

TEST_F(ProfiledBitmapTest, PixelsStayAsStoredWhenTheProfileCannotBeUsed) {
  const AsStoredRow rows[] = {
      {"linked profile", [](auto& f) { f.colorSpace = kLinked; }, false},
      {"damaged profile", [](auto& f) { Put32(f.profile, 36, 0); }, false},
      {"sRGB profile", [](auto& f) { f.profile = MakeMatrixProfile(kSrgbProfileSpec); }, false},
      {"CMYK profile for RGB pixels", [](auto& f) { Put32(f.profile, 16, Sig("CMYK")); }, false},
      {"profile placed over the pixels", [](auto& f) { f.offsetShift = -8; }, false},
      {"profile beyond the file", [](auto& f) { f.offsetShift = 1; }, false},
      {"16-bit pixels", [](auto& f) { f.spec.bitCount = 16; }, false},
      {"system refuses the profile", [this](auto&) { colors.refuseProfiles = true; }, true},
  };
  for (const AsStoredRow& row : rows) {
    SCOPED_TRACE(row.name);
    colors = FakeColorManagement();
    ProfiledBitmap file = kProfiledRows;
    row.change(file);
    Decode(file);
    const auto pixels = Pixels();  // as many bytes as the rows take at the file's depth
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), kRows.begin()));
    EXPECT_EQ(colors.requests.size(), row.transformAsked ? 1u : 0u);
  }
  // Without colour management (the preview glyphs, the fuzzers) nothing is asked.
  colors = FakeColorManagement();
  Decode(kProfiledRows, false);
  EXPECT_TRUE(colors.requests.empty());
}

}  // namespace
}  // namespace tavilune::testing
