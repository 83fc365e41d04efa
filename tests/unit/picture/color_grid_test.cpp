// The sampled transform against the fake system transform it samples: exact at the grid's points,
// within a level between them, the unused byte kept, nothing turned when sampling fails.
#include "picture/color_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fakes/fake_color_management.h"
#include "picture/icc_profile.h"

namespace tavilune::testing {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Blue through a power curve times green, green times red, red times blue: curved, and every
// pair of channels crossed, so a wrongly chosen tetrahedron shows.
void Curved(const std::uint8_t* p, std::uint8_t* q) {
  q[0] = static_cast<std::uint8_t>(std::lround(std::pow(p[0] / 255.0, 2.2) * p[1]));
  q[1] = static_cast<std::uint8_t>((p[1] * p[2] + 127) / 255);
  q[2] = static_cast<std::uint8_t>((p[2] * p[0] + 127) / 255);
}

// A wide gamut seen on a narrower one: channels mixed in linear light (as a matrix profile mixes
// them), clipped at black and white, so the grid's cells straddle the kinks. Inks likewise.
std::uint8_t Clip(double level) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(level, 0.0, 255.0)));
}
void ClippedRgb(const std::uint8_t* p, std::uint8_t* q) {
  double light[3];
  for (int ch = 0; ch < 3; ++ch) light[ch] = SrgbCurve(p[ch] / 255.0);
  for (int ch = 0; ch < 3; ++ch) {
    const double mixed = 1.5 * light[ch] - 0.4 * light[(ch + 1) % 3] - 0.1 * light[(ch + 2) % 3];
    q[ch] =
        Clip(255 * (mixed <= 0.0031308 ? 12.92 * mixed : 1.055 * std::pow(mixed, 1 / 2.4) - 0.055));
  }
}
void ClippedCmyk(const std::uint8_t* p, std::uint8_t* q) {
  for (int ch = 0; ch < 3; ++ch) q[ch] = Clip(300 - 1.6 * p[2 - ch] - 0.3 * p[ch] - 0.7 * p[3]);
}

// Every point of the layout's grid; the byte no axis uses holds 0x5A.
Pixels GridColours(PixelLayout layout) {
  const std::size_t bytes = BytesPerPixel(layout), n = GridPoints(layout);
  const std::size_t axes = layout == PixelLayout::kCmyk32 ? 4 : bytes == 1 ? 1 : 3;
  const auto count = static_cast<std::size_t>(std::lround(std::pow(n, axes)));
  Pixels colours(count * bytes, 0x5A);
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t c = 0, rest = i; c < axes; ++c, rest /= n)
      colours[i * bytes + c] = static_cast<std::uint8_t>(GridLevel(rest % n, n));
  return colours;
}

Pixels RandomColours(PixelLayout layout, std::size_t count) {
  Pixels colours(count * BytesPerPixel(layout));
  std::uint32_t seed = 99;
  for (std::uint8_t& c : colours)
    c = static_cast<std::uint8_t>((seed = seed * 1664525 + 1013904223) >> 24);
  return colours;
}

std::unique_ptr<ColorTransform> Sampled(FakeColorManagement& colors, PixelLayout layout) {
  return SampledTransform(colors.CreateTransform({}, layout), layout);
}

TEST(SampledTransform, MatchesTheSystemAtTheGridAndWithinALevelBetween) {
  using enum PixelLayout;
  const struct {
    const char* name;
    PixelLayout layout;
    std::size_t between;  // random colours turned; 0 turns the grid's own points
    int tolerance;
    void (*turn)(const std::uint8_t*, std::uint8_t*) = nullptr;  // else the fake's own
  } rows[] = {
      {"RGB grid", kBgr24, 0, 0},
      {"RGB between", kBgr24, 50000, 1},
      {"BGRx grid", kBgrx32, 0, 0},
      {"BGRx between", kBgrx32, 50000, 1},
      {"CMYK grid", kCmyk32, 0, 0},
      {"CMYK between", kCmyk32, 90000, 1},
      {"grey, every level", kGray8, 0, 0},
      {"RGB clipped", kBgr24, 50000, 2, ClippedRgb},
      {"CMYK clipped", kCmyk32, 90000, 2, ClippedCmyk},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeColorManagement colors;
    colors.rgb = Curved;
    if (row.turn) (row.layout == kCmyk32 ? colors.cmyk : colors.rgb) = row.turn;
    const Pixels in =
        row.between ? RandomColours(row.layout, row.between) : GridColours(row.layout);
    const std::size_t inBytes = BytesPerPixel(row.layout);
    const std::size_t outBytes = BytesPerPixel(OutputLayout(row.layout));
    const auto width = static_cast<std::uint32_t>(in.size() / inBytes);
    Pixels exact(width * outBytes), sampled(width * outBytes);
    colors.CreateTransform({}, row.layout)->Translate(in.data(), 0, exact.data(), 0, width, 1);
    ASSERT_TRUE(Sampled(colors, row.layout)->Translate(in.data(), 0, sampled.data(), 0, width, 1));
    // One system call sampled the whole grid.
    ASSERT_EQ(colors.translations.size(), 2u);
    EXPECT_EQ(colors.translations[1].width, GridColours(row.layout).size() / inBytes);
    int worst = 0;
    for (std::size_t i = 0; i < exact.size(); ++i) {
      if (outBytes == 4 && i % 4 == 3) {
        ASSERT_EQ(sampled[i], in[i]) << "unused byte of pixel " << i / 4;
      } else {
        worst = std::max(worst, std::abs(exact[i] - sampled[i]));
      }
    }
    EXPECT_LE(worst, row.tolerance);
  }
}

TEST(SampledTransform, PixelsTurnedInPlaceMatchThoseTurnedAside) {
  FakeColorManagement colors;
  colors.rgb = Curved;
  Pixels pixels = RandomColours(PixelLayout::kBgrx32, 40000), aside(pixels.size());
  auto transform = Sampled(colors, PixelLayout::kBgrx32);
  // Two rows of 20000 with strides wider than the rows.
  ASSERT_TRUE(transform->Translate(pixels.data(), 80000, aside.data(), 80000, 20000, 2));
  ASSERT_TRUE(transform->Translate(pixels.data(), 80000, pixels.data(), 80000, 20000, 2));
  EXPECT_EQ(pixels, aside);
}

TEST(SampledTransform, FailedSamplingTurnsNothing) {
  FakeColorManagement colors;
  colors.failTranslations = true;
  auto transform = Sampled(colors, PixelLayout::kBgr24);
  Pixels pixels = RandomColours(PixelLayout::kBgr24, 40000);
  const Pixels stored = pixels;
  for (bool systemAnswers : {false, true}) {  // later even when the system would answer again
    SCOPED_TRACE(systemAnswers ? "later" : "now");
    colors.failTranslations = !systemAnswers;
    EXPECT_FALSE(transform->Translate(pixels.data(), 0, pixels.data(), 0, 40000, 1));
    EXPECT_EQ(pixels, stored);
  }
}

}  // namespace
}  // namespace tavilune::testing
