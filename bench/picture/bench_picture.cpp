// Loading a large uncompressed bitmap through LoadPicture against the least any loader must do:
// reading the same file into newly allocated memory. Prints both times and their ratio.
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
#include "picture/picture.h"
#include "picture/picture_formats.h"
#include "platform/posix/posix_file_system.h"

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
  const std::string path = "/tmp/tavilune_bench_picture.bmp";
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

}  // namespace

int main(int argc, char** argv) {
  using namespace tavilune;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string path = WritePicture();
  PosixFileSystem files;
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
    LoadPicture(picture, path, files);
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
  return 0;
}
