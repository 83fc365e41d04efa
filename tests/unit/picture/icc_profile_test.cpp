// The profile check, sRGB told apart, and the bitmap decoder turning colours through the fake
// colour management.
#include "picture/icc_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>

#include "bitmap_builder.h"
#include "fakes/fake_color_management.h"
#include "picture/bitmap.h"
#include "picture/stream.h"
#include "platform/big_endian.h"
#include "platform/matrix_profile.h"

namespace tavilune::testing {
namespace {

using Bytes8 = std::vector<std::uint8_t>;
constexpr std::size_t kFirstTag = 128 + 4;  // after the header and the tag count

void Put32(Bytes8& p, std::size_t at, std::uint32_t v) { BigEndianWriter(p).Seek(at).PutUint32(v); }
std::uint32_t Sig(const char (&s)[5]) { return s[0] << 24 | s[1] << 16 | s[2] << 8 | s[3]; }

// The facts of a profile that must check out (none, and a failure, when it does not).
ProfileFacts Facts(const Bytes8& profile) {
  const auto facts = CheckColorProfile(profile);
  EXPECT_TRUE(facts);
  return facts.value_or(ProfileFacts{});
}

// sRGB with its curves written as a parametric curve (function type 3), as version 4 profiles do.
Bytes8 ParametricSrgb() {
  auto p = MakeMatrixProfile(kSrgbProfileSpec);
  std::size_t at = BigEndianReader(p).Seek(kFirstTag + 6 * 12 + 4).GetUint32();  // rTRC's data
  p.resize(at + 32);
  // 'para', reserved, type 3, then g = 2.4, a = 1 / 1.055, b = 0.055 / 1.055, c = 1 / 12.92 and
  // d = 0.04045 in 16.16 fixed point.
  for (std::uint32_t v : {Sig("para"), 0u, 0x30000u, 0x26666u, 0xF2A7u, 0xD59u, 0x13D0u, 0xA5Bu}) {
    Put32(p, at, v);
    at += 4;
  }
  for (std::size_t tag = 6; tag < 9; ++tag) Put32(p, kFirstTag + tag * 12 + 8, 32);  // TRC sizes
  Put32(p, 0, static_cast<std::uint32_t>(p.size()));
  return p;
}

TEST(ColorProfile, ProfilesMadeInCodeCheckOutAndOnlySrgbIsToldApart) {
  const auto srgb = MakeMatrixProfile(kSrgbProfileSpec);
  EXPECT_LT(srgb.size(), 700u);  // the built-in display profile stays small
  const ProfileFacts facts = Facts(srgb);
  EXPECT_TRUE(facts.srgb);
  EXPECT_EQ(facts.size, srgb.size());
  EXPECT_EQ(facts.colorSpace, ProfileColorSpace::kRgb);
  EXPECT_EQ(facts.profileClass, ProfileClass::kDisplay);
  EXPECT_FALSE(Facts(MakeMatrixProfile(kWide)).srgb);
  MatrixProfileSpec gamma22 = kSrgbProfileSpec;
  gamma22.gamma = 2.2;  // sRGB's primaries with a 2.2 power curve are not sRGB: dark colours differ
  EXPECT_FALSE(Facts(MakeMatrixProfile(gamma22)).srgb);
  EXPECT_TRUE(Facts(ParametricSrgb()).srgb);
}

TEST(ColorProfile, DamagedOrUnusableProfilesGiveNoAnswer) {
  const std::pair<const char*, std::function<void(Bytes8&)>> rows[] = {
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
      {"tag data past the end", [](auto& p) { Put32(p, kFirstTag + 4, std::uint32_t(p.size())); }},
      {"tag offset and size wrapping around",
       [](auto& p) { Put32(p, kFirstTag + 4, 0xFFFFFFF0), Put32(p, kFirstTag + 8, 0x20); }},
  };
  for (const auto& [name, damage] : rows) {
    SCOPED_TRACE(name);
    auto profile = MakeMatrixProfile(kWide);
    damage(profile);
    EXPECT_FALSE(CheckColorProfile(profile));
  }
  // What the profile declares is what counts: bytes after it are not part of it.
  auto padded = MakeMatrixProfile(kWide);
  const std::size_t size = padded.size();
  padded.resize(size + 10, 0xEE);
  EXPECT_EQ(Facts(padded).size, size);
}

TEST(ColorProfile, TransformsOnlyForProfilesOfThePixelsColourSpace) {
  FakeColorManagement colors;
  auto wide = MakeMatrixProfile(kWide);
  const std::size_t size = wide.size();
  wide.resize(size + 7);  // the picture's bytes after the profile
  auto cmyk = wide;
  Put32(cmyk, 16, Sig("CMYK")), Put32(cmyk, 12, Sig("prtr"));
  EXPECT_TRUE(ProfileTransform(colors, wide, PixelLayout::kBgr24));
  ASSERT_EQ(colors.requests.size(), 1u);
  EXPECT_EQ(colors.requests[0].profile.size(), size);
  EXPECT_EQ(colors.requests[0].layout, PixelLayout::kBgr24);
  EXPECT_FALSE(ProfileTransform(colors, wide, PixelLayout::kCmyk32));
  EXPECT_FALSE(ProfileTransform(colors, wide, PixelLayout::kGray8));
  EXPECT_FALSE(ProfileTransform(colors, MakeMatrixProfile(kSrgbProfileSpec), PixelLayout::kBgr24));
  EXPECT_FALSE(ProfileTransform(colors, cmyk, PixelLayout::kBgrx32));
  EXPECT_TRUE(ProfileTransform(colors, cmyk, PixelLayout::kCmyk32));
  EXPECT_EQ(colors.requests.size(), 2u);
}

// ---- The bitmap decoder: a version 5 header whose profile lies after the pixels (or in a gap
// before them).

// Two 24-bit pixels per row, two rows, each row padded to 8 bytes, with the wide profile; and
// those rows as the fake turns them.
const Bytes8 kRows{10, 20, 30, 40, 50, 60, 0, 0, 70, 80, 90, 100, 110, 120, 0, 0};
const Bytes8 kTurned{245, 235, 225, 215, 205, 195, 0, 0, 185, 175, 165, 155, 145, 135, 0, 0};
const ProfiledBitmap kProfiledRows{.spec = {.headerSize = 124, .pixels = kRows}};

class ProfiledBitmapTest : public ::testing::Test {
 protected:
  // Decodes with fresh colour management (that refuses profiles or not), or with none.
  void Decode(const ProfiledBitmap& file, bool refuse = false, bool withColors = true) {
    colors = FakeColorManagement();
    colors.refuseProfiles = refuse;
    const auto bytes = file.Make();
    MemoryStream stream(bytes);
    ReadBitmapFile(bitmap, stream, withColors ? &colors : nullptr);
  }
  Bytes8 Pixels() const {
    const auto pixels = bitmap.GetDib().Pixels();
    return {pixels.begin(), pixels.end()};
  }
  FakeColorManagement colors;
  TBitmap bitmap;
};

TEST_F(ProfiledBitmapTest, RowsOfAProfiledBitmapAreTurnedOnceInPlace) {
  ProfiledBitmap inGap = kProfiledRows;
  inGap.inGap = true;
  const ProfiledBitmap pixel32{
      .spec = {.headerSize = 124, .width = 1, .height = 1, .bitCount = 32, .pixels = {1, 2, 3, 9}}};
  const std::tuple<const char*, ProfiledBitmap, Bytes8, PixelLayout> rows[] = {
      {"profile after the pixels", kProfiledRows, kTurned, PixelLayout::kBgr24},
      {"profile before the pixels", inGap, kTurned, PixelLayout::kBgr24},
      {"32-bit pixels keep their unused byte", pixel32, {254, 253, 252, 9}, PixelLayout::kBgrx32},
  };
  for (const auto& [name, file, turned, layout] : rows) {
    SCOPED_TRACE(name);
    Decode(file);
    EXPECT_EQ(Pixels(), turned);
    ASSERT_EQ(colors.requests.size(), 1u);
    EXPECT_EQ(colors.requests[0].profile, file.profile);
    EXPECT_EQ(colors.requests[0].layout, layout);
    ASSERT_EQ(colors.translations.size(), 1u);
    EXPECT_TRUE(colors.translations[0].inPlace);
    EXPECT_EQ(colors.translations[0].rows, std::uint32_t(file.spec.height));
    // The system draws the turned colours as sRGB, from a header that points nowhere.
    const auto& header = bitmap.GetDib().Header();
    EXPECT_EQ(std::string(header.begin() + 56, header.begin() + 60), "BGRs");
    EXPECT_EQ(header[112] | header[116], 0);
  }
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
  EXPECT_EQ(bitmap.GetDib().BitmapInfo()[124], 0xCF);  // so does the table the system draws from
}

TEST_F(ProfiledBitmapTest, PixelsStayAsStoredWhenTheProfileCannotBeUsed) {
  const std::pair<const char*, std::function<void(ProfiledBitmap&)>> rows[] = {
      {"linked profile", [](auto& f) { f.colorSpace = kLinked; }},
      {"damaged profile", [](auto& f) { Put32(f.profile, 36, 0); }},
      {"sRGB profile", [](auto& f) { f.profile = MakeMatrixProfile(kSrgbProfileSpec); }},
      {"CMYK profile for RGB pixels", [](auto& f) { Put32(f.profile, 16, Sig("CMYK")); }},
      {"profile placed over the pixels", [](auto& f) { f.offsetShift = -8; }},
      {"profile beyond the file", [](auto& f) { f.offsetShift = 1; }},
      {"16-bit pixels", [](auto& f) { f.spec.bitCount = 16; }},
      {"system refuses the profile", nullptr},
  };
  for (const auto& [name, change] : rows) {
    SCOPED_TRACE(name);
    ProfiledBitmap file = kProfiledRows;
    if (change) change(file);
    const bool refuse = !change;  // only a profile the system refused was asked for
    Decode(file, refuse);
    const auto pixels = Pixels();  // as many bytes as the rows take at the file's depth
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), kRows.begin()));
    EXPECT_EQ(colors.requests.size(), refuse ? 1u : 0u);
  }
  // Without colour management (the preview glyphs, the fuzzers) nothing is asked.
  Decode(kProfiledRows, false, false);
  EXPECT_TRUE(colors.requests.empty());
}

}  // namespace
}  // namespace tavilune::testing
