// A 6000 x 4000 24-bit bitmap read from memory, once as it is and once with an embedded
// wide-gamut profile whose colours are turned into the display's through the system's colour
// management: the two times, their ratio, and the time of the colour transform alone (creating
// it and turning every row). Natively there is no colour management, and both reads take the
// same path.
//
//   bench_colour [ROUNDS]   (default 7)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "picture/bitmap.h"
#include "picture/icc_profile.h"
#include "picture/stream.h"
#include "platform/matrix_profile.h"

#ifdef _WIN32
#include "platform/win32/color_management_win32.h"
using SystemColorManagement = tavilune::win32::Win32ColorManagement;
#else
using SystemColorManagement = tavilune::NoColorManagement;
#endif

namespace {

using namespace tavilune;

constexpr std::int32_t kWidth = 6000;
constexpr std::int32_t kHeight = 4000;
constexpr MatrixProfileSpec kWide{0.64, 0.33, 0.21, 0.71, 0.15, 0.06, 0.3127, 0.3290, 2.2, "wide"};

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A bitmap file of varied colours (so no engine can take a shortcut for one colour), with a
// version 5 header; with a profile, it follows the pixels.
std::vector<std::uint8_t> BitmapFile(const std::vector<std::uint8_t>& profile) {
  const std::uint32_t row = (kWidth * 3 + 3) / 4 * 4;
  const std::uint32_t pixels = row * kHeight;
  std::vector<std::uint8_t> file(14 + 124 + pixels + profile.size(), 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  Put32(file, 10, 14 + 124);
  Put32(file, 14, 124);
  Put32(file, 18, kWidth);
  Put32(file, 22, kHeight);
  Put32(file, 26, 1 | 24 << 16);
  Put32(file, 34, pixels);
  Put32(file, 14 + 56, profile.empty() ? 0x73524742 : 0x4D424544);  // 'sRGB' or 'MBED'
  Put32(file, 14 + 112, 124 + pixels);
  Put32(file, 14 + 116, static_cast<std::uint32_t>(profile.size()));
  std::uint32_t seed = 12345;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    std::uint8_t* p = &file[14 + 124 + y * row];
    for (std::uint32_t x = 0; x < kWidth * 3; ++x) {
      seed = seed * 1664525 + 1013904223;
      p[x] = static_cast<std::uint8_t>(((x / 3 + y) & 0xFF) ^ (seed >> 28));
    }
  }
  std::copy(profile.begin(), profile.end(), file.begin() + 14 + 124 + pixels);
  return file;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

template <typename Step>
std::vector<double> Times(int rounds, Step step) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    step();
    times.push_back(Seconds(std::chrono::steady_clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  SystemColorManagement colors;
  const std::vector<std::uint8_t> profile = MakeMatrixProfile(kWide);
  const std::vector<std::uint8_t> plain = BitmapFile({});
  const std::vector<std::uint8_t> profiled = BitmapFile(profile);

  volatile std::uint8_t sink = 0;
  auto read = [&](const std::vector<std::uint8_t>& file) {
    return [&] {
      TBitmap bitmap;
      MemoryStream stream(file);
      ReadBitmapFile(bitmap, stream, &colors);
      sink = bitmap.GetDib().Pixels()[0];
    };
  };
  // How many bytes the system changed tells whether the colours were turned at all.
  {
    TBitmap bitmap;
    MemoryStream stream(profiled);
    ReadBitmapFile(bitmap, stream, &colors);
    const auto pixels = bitmap.GetDib().Pixels();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) changed += pixels[i] != profiled[14 + 124 + i];
    std::printf("bytes the system's colour transform changed: %.1f%%\n",
                100.0 * double(changed) / double(pixels.size()));
  }
  // The system's byte order: sRGB to the display (sRGB here) keeps a pure red red and a pure
  // blue blue, in bitmap rows (blue, green, red) and in 32-bit pixels.
  if (auto same =
          colors.CreateTransform(MakeMatrixProfile(kSrgbProfileSpec), PixelLayout::kBgr24)) {
    std::uint8_t pixels[8] = {0, 0, 255, 255, 0, 0, 0, 0};
    same->Translate(pixels, 8, pixels, 8, 2, 1);
    std::printf("sRGB red and blue through the system: (%d, %d, %d) (%d, %d, %d)\n", pixels[2],
                pixels[1], pixels[0], pixels[5], pixels[4], pixels[3]);
  }
  // The grid against the system's own transform: random colours (more than the grid holds, so
  // the grid is used) and the end-to-end case's colour.
  if (auto direct = colors.CreateTransform(profile, PixelLayout::kBgr24)) {
    std::vector<std::uint8_t> colours(3 * 65536);
    std::uint32_t seed = 777;
    for (std::uint8_t& c : colours)
      c = static_cast<std::uint8_t>((seed = seed * 1664525 + 1013904223) >> 24);
    for (std::uint8_t c : {90, 120, 180}) colours.push_back(c);  // RGB(180, 120, 90), BGR order
    std::vector<std::uint8_t> exact(colours.size()), sampled(colours.size());
    const auto width = static_cast<std::uint32_t>(colours.size() / 3);
    direct->Translate(colours.data(), colours.size(), exact.data(), exact.size(), width, 1);
    if (auto grid = ProfileTransform(colors, profile, PixelLayout::kBgr24)) {
      grid->Translate(colours.data(), colours.size(), sampled.data(), sampled.size(), width, 1);
      int worst = 0;
      double total = 0;
      std::size_t over2 = 0;
      for (std::size_t i = 0; i < exact.size(); ++i) {
        const int error = std::abs(int{exact[i]} - int{sampled[i]});
        worst = std::max(worst, error);
        over2 += error > 2;
        total += error;
      }
      const std::size_t last = exact.size() - 3;
      std::printf(
          "grid vs system, %u colours: max %d levels, mean %.3f, %.2f%% of channels over 2; "
          "RGB(180, 120, 90): "
          "system (%d, %d, %d), grid (%d, %d, %d)\n",
          width, worst, total / double(exact.size()), 100.0 * double(over2) / double(exact.size()),
          exact[last + 2], exact[last + 1], exact[last], sampled[last + 2], sampled[last + 1],
          sampled[last]);
    }
  }
  const std::vector<double> plainTimes = Times(rounds, read(plain));
  const std::vector<double> profiledTimes = Times(rounds, read(profiled));

  std::vector<std::uint8_t> rows(plain.begin() + 14 + 124, plain.end());
  const std::vector<double> transformTimes = Times(rounds, [&] {
    auto transform = ProfileTransform(colors, profile, PixelLayout::kBgr24);
    if (!transform) return;
    const std::size_t stride = (kWidth * 3 + 3) / 4 * 4;
    transform->Translate(rows.data(), stride, rows.data(), stride, kWidth, kHeight);
    sink = rows[0];
  });

  auto report = [](const char* what, const std::vector<double>& t) {
    std::printf("%-34s: min %8.2f ms  median %8.2f ms\n", what, t.front() * 1e3,
                t[t.size() / 2] * 1e3);
  };
  std::printf("%d x %d, 24 bits, %d rounds\n", kWidth, kHeight, rounds);
  report("bitmap without a profile", plainTimes);
  report("bitmap with a wide-gamut profile", profiledTimes);
  report("transform alone (made, all rows)", transformTimes);
  std::printf("ratio with / without profile (median): %.2f\n",
              profiledTimes[profiledTimes.size() / 2] / plainTimes[plainTimes.size() / 2]);
  return 0;
}
