// Loading a large uncompressed bitmap through LoadPicture against the least any loader must do:
// reading the same file into newly allocated memory. Prints both times and their ratio.
// Then repainting: the time the picture control takes to paint a 400 x 300 update rectangle of a
// 12000 x 9000 picture against the same rectangle of a 400 x 300 picture. Natively the canvas
// copies the pixels it is given into a 32-bit screen of the update rectangle's size, as a display
// driver would; under Windows it is the system's own canvas on a memory device context clipped to
// the rectangle.
//
//   bench_picture [ROUNDS]   (default 15)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "picture/image_paint.h"
#include "picture/picture.h"
#include "picture/picture_formats.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/canvas_win32.h"
#include "platform/win32/file_system_win32.h"
using BenchFileSystem = tavilune::win32::Win32FileSystem;
#else
#include "platform/posix/posix_file_system.h"
using BenchFileSystem = tavilune::PosixFileSystem;
#endif

namespace {

constexpr std::int32_t kWidth = 6000;
constexpr std::int32_t kHeight = 4000;

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string WritePicture() {
  const std::size_t stride = (kWidth * 3 + 3) / 4 * 4;
  const std::size_t pixels = stride * kHeight;
  std::vector<std::uint8_t> file(54 + pixels);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, kWidth);
  Put32(file, 22, kHeight);
  file[26] = 1;
  file[28] = 24;
  for (std::size_t i = 54; i < file.size(); ++i)
    file[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
#ifdef _WIN32
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "tavilune_bench_picture.bmp";
#else
  const std::string path = "/tmp/tavilune_bench_picture.bmp";
#endif
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return path;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

template <typename F>
std::vector<double> Time(int rounds, F&& run) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(Seconds(std::chrono::steady_clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times;
}

constexpr tavilune::Rect kUpdate{0, 0, 400, 300};

#ifdef _WIN32
// The system's canvas on a memory device context the size of the update rectangle, clipped to
// it, as the picture window's paint is.
class Screen {
 public:
  Screen() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kUpdate.right;
    info.bmiHeader.biHeight = -kUpdate.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    surface_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, surface_);
  }
  ~Screen() {
    SelectObject(dc_, old_);
    DeleteObject(surface_);
    DeleteDC(dc_);
  }
  // A canvas whose origin is at the picture's top-left, with the update rectangle at `at`.
  void Paint(const tavilune::TImage& image, tavilune::Point at) {
    SetViewportOrgEx(dc_, -at.x, -at.y, nullptr);
    SelectClipRgn(dc_, nullptr);
    IntersectClipRect(dc_, at.x, at.y, at.x + kUpdate.right, at.y + kUpdate.bottom);
    tavilune::win32::Win32Canvas canvas(dc_);
    image.Paint(canvas);
    GdiFlush();
  }

 private:
  HDC dc_;
  HBITMAP surface_ = nullptr;
  HGDIOBJ old_ = nullptr;
};
#else
// What a display driver does with the part it is given: each pixel copied into a 32-bit screen.
class Screen : public tavilune::Canvas {
 public:
  void Paint(const tavilune::TImage& image, tavilune::Point at) {
    at_ = at;
    image.Paint(*this);
  }
  void FillRect(const tavilune::Rect&, tavilune::Color) override {}
  void DrawDibPart(const tavilune::Dib& dib, const tavilune::Rect& dest,
                   const tavilune::Rect& source, const tavilune::Palette*,
                   tavilune::StretchMode) override {
    for (std::int32_t y = 0; y < source.Height(); ++y) {
      const std::int32_t screenY = dest.top + y - at_.y;
      if (screenY < 0 || screenY >= kUpdate.bottom) continue;
      const std::uint8_t* from = dib.Row(source.top + y) + 3 * source.left;
      for (std::int32_t x = 0; x < source.Width(); ++x, from += 3) {
        const std::int32_t screenX = dest.left + x - at_.x;
        if (screenX < 0 || screenX >= kUpdate.right) continue;
        pixels_[screenY * kUpdate.right + screenX] =
            from[0] | (from[1] << 8) | (static_cast<std::uint32_t>(from[2]) << 16);
      }
    }
  }
  tavilune::Rect ClipBox() const override {
    return tavilune::Rect{at_.x, at_.y, at_.x + kUpdate.right, at_.y + kUpdate.bottom};
  }
  std::unique_ptr<tavilune::NativeIcon> CreateIcon(std::span<const std::uint8_t>, std::int32_t,
                                                   std::int32_t) override {
    return nullptr;
  }
  std::unique_ptr<tavilune::NativeIcon> StandardApplicationIcon() override { return nullptr; }
  void DrawIcon(tavilune::NativeIcon&, const tavilune::Rect&) override {}
  std::unique_ptr<tavilune::NativeMetafile> CreateMetafile(tavilune::MetafileBits,
                                                           std::span<const std::uint8_t>,
                                                           std::int32_t, std::int32_t) override {
    return nullptr;
  }
  void DrawMetafile(tavilune::NativeMetafile&, const tavilune::Rect&) override {}

 private:
  tavilune::Point at_;
  std::vector<std::uint32_t> pixels_ = std::vector<std::uint32_t>(400 * 300);
};
#endif

// Median time of one paint of the update rectangle at `at` of a picture of the given sides.
double RepaintTime(std::int32_t width, std::int32_t height, tavilune::Point at, int rounds) {
  using namespace tavilune;
  TPicture picture;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height, PixelFormat::k24Bit);
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap->ScanLine(y);
    for (std::int32_t i = 0; i < 3 * width; ++i) row[i] = static_cast<std::uint8_t>(i + y);
  }
  picture.SetGraphic(std::move(bitmap));
  const TImage image{"Image1", Rect{0, 0, width, height}, {}, &picture};
  Screen screen;
  screen.Paint(image, at);
  return Time(rounds, [&] { screen.Paint(image, at); })[rounds / 2];
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tavilune;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string path = WritePicture();
  BenchFileSystem files;
  AddPictureFormat("bmp", "", TBitmap::StaticClass());

  volatile std::uint8_t sink = 0;
  // The reference: open, allocate the file's size, read it all, free it.
  auto reference = [&] {
    SystemError error = kNoError;
    auto file = files.Open(path, FileAccess::kReadShareRead, error);
    const auto size = static_cast<std::size_t>(file->Size());
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    std::size_t done = 0;
    while (done < size) {
      const IoResult r = file->Read({bytes.get() + done, size - done});
      if (r.bytes == 0) break;
      done += r.bytes;
    }
    sink = bytes[size - 1];
  };
  auto load = [&] {
    TPicture picture;
    NoColorManagement colors;
    LoadPicture(picture, path, files, colors);
    auto& dib = static_cast<TBitmap*>(picture.Graphic())->GetDib();
    sink = dib.Pixels().back();
  };

  // Warm the file cache and the allocator, then alternate so both see the same machine state.
  reference();
  load();
  std::vector<double> referenceTimes, loadTimes;
  for (int i = 0; i < rounds; ++i) {
    referenceTimes.push_back(Time(1, reference)[0]);
    loadTimes.push_back(Time(1, load)[0]);
  }
  std::sort(referenceTimes.begin(), referenceTimes.end());
  std::sort(loadTimes.begin(), loadTimes.end());
  auto median = [](const std::vector<double>& t) { return t[t.size() / 2]; };

  std::printf("picture: %dx%d 24-bit bitmap, %.1f MB, %d rounds\n", kWidth, kHeight,
              (54.0 + (kWidth * 3 + 3) / 4 * 4 * double(kHeight)) / 1e6, rounds);
  std::printf("read into new memory : min %7.2f ms  median %7.2f ms\n", referenceTimes[0] * 1e3,
              median(referenceTimes) * 1e3);
  std::printf("LoadPicture          : min %7.2f ms  median %7.2f ms\n", loadTimes[0] * 1e3,
              median(loadTimes) * 1e3);
  std::printf("ratio (target <= 1.2): min %.3f  median %.3f\n", loadTimes[0] / referenceTimes[0],
              median(loadTimes) / median(referenceTimes));
  std::remove(path.c_str());

  const int paints = 200;
  const double large = RepaintTime(12000, 9000, Point{5800, 4350}, paints);
  const double small = RepaintTime(kUpdate.right, kUpdate.bottom, Point{0, 0}, paints);
  std::printf("repaint of a 400x300 update rectangle, median of %d paints:\n", paints);
  std::printf("  of a 12000x9000 picture: %8.3f ms\n", large * 1e3);
  std::printf("  of a 400x300 picture   : %8.3f ms\n", small * 1e3);
  std::printf("ratio (target <= 1.5): %.3f\n", large / small);
  return 0;
}
