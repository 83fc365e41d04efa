// How much the program's way of showing a JPEG costs over the library's bare decode.
//
// For each size, 6000 x 4000 (24 megapixels) and 12000 x 9000 (108, a phone camera's
// high-resolution mode), a quality-90 4:2:0 JPEG is made once (row by row, so that making it needs
// little memory). Then, alternately and several times: the program's path (LoadPicture through the
// format table, which reads the file and its header, then the first decode into the picture's
// bitmap), and a bare libjpeg decode with the same parameters (blue, green, red rows,
// floating-point transform, smoothing) of the file's bytes into newly allocated memory. Prints
// the medians and the fastest runs, their ratios and the peak memory of the program's path
// (measured in a separate, untimed run) against its floor, the file's size plus the bitmap's.
// Then, for the 6000 x 4000 picture, a copy whose EXIF orientation is 6 (a phone held upright):
// the program's path for it against the same path for the file as stored, so the cost of writing
// each decoded row into its turned place shows, and that path's peak memory. And a copy with an
// embedded wide-gamut profile (ProPhoto's primaries, a 1.8 power curve) through the system's colour
// management (natively there is none, and both paths do the same work) against the copy's plain
// path, and that path's peak memory.
// Prints only; speed goals are read off, never asserted.
//
//   bench_jpeg [folder]   (the pictures are made there if missing; default: the temporary folder)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "picture/jpeg_image.h"
#include "picture/jpeg_library.h"
#include "picture/jpeg_progress.h"
#include "picture/picture.h"
#include "picture/picture_formats.h"
#include "platform/matrix_profile.h"
#include "platform/memory.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/color_management_win32.h"
#include "platform/win32/file_system_win32.h"
using BenchFileSystem = tavilune::win32::Win32FileSystem;
using SystemColorManagement = tavilune::win32::Win32ColorManagement;
#else
#include <malloc.h>

#include "platform/posix/posix_file_system.h"
using BenchFileSystem = tavilune::PosixFileSystem;
using SystemColorManagement = tavilune::NoColorManagement;
#endif

namespace {

struct Size {
  int width;
  int height;
};
constexpr Size kSizes[] = {{6000, 4000}, {12000, 9000}};
constexpr int kQuality = 90;
constexpr int kRuns = 7;

// Bytes of memory the process holds now: its committed private memory on Windows (walked with
// VirtualQuery, which Wine keeps exact, unlike its process counters), resident pages elsewhere.
std::uint64_t MemoryNow() {
#ifdef _WIN32
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return total;
#else
  std::ifstream status("/proc/self/status");
  std::string key;
  std::uint64_t kb = 0;
  while (status >> key) {
    if (key == "VmRSS:" && status >> kb) return kb * 1024;
  }
  return 0;
#endif
}

// A photo-like picture: smooth gradients, edges and some fine texture, so that the file has the
// size and coefficient density of a real photograph rather than of a flat test card.
void MakeJpeg(const std::string& path, int width, int height) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);  // YCbCr with 2 x 2 subsampled chroma: 4:2:0
  jpeg_set_quality(&info, kQuality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(width * 3);
  std::uint32_t noise = 12345;
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int grain = static_cast<int>((noise >> 16) % 24) - 12;
      const int r = (x * 255 / width + ((x / 300 + y / 200) % 2) * 60) % 256;
      const int g = (y * 255 / height + (x * y / 7000) % 40) % 256;
      const int b = (128 + (x - y) / 40) % 256;
      row[3 * x] = static_cast<JSAMPLE>(std::clamp(r + grain, 0, 255));
      row[3 * x + 1] = static_cast<JSAMPLE>(std::clamp(g + grain, 0, 255));
      row[3 * x + 2] = static_cast<JSAMPLE>(std::clamp(b + grain, 0, 255));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// A copy of the JPEG at path with an EXIF block saying orientation 6 right after its start.
std::string WithOrientationSix(const std::string& path) {
  const std::string turned = path.substr(0, path.size() - 4) + "-orientation6.jpg";
  std::ifstream in(path, std::ios::binary);
  const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // "Exif\0\0", a little-endian TIFF header, one directory of one entry: 0x0112, SHORT, 1, 6.
  const unsigned char exif[] = {0xFF, 0xE1, 0, 34,  'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0,
                                8,    0,    0, 0,   1,   0,   0x12, 1, 3, 0, 1,   0,   0,  0,
                                6,    0,    0, 0,   0,   0,   0,    0};
  std::ofstream out(turned, std::ios::binary);
  out << jpeg.substr(0, 2) << std::string(reinterpret_cast<const char*>(exif), sizeof exif)
      << jpeg.substr(2);
  return turned;
}

// A copy of the JPEG at path with a wide-gamut colour profile in one APP2 chunk after its start.
std::string WithWideProfile(const std::string& path) {
  const std::string wide = path.substr(0, path.size() - 4) + "-wide.jpg";
  std::ifstream in(path, std::ios::binary);
  const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<std::uint8_t> profile = tavilune::MakeMatrixProfile(
      {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001, 0.3457, 0.3585, 1.8, "wide"});
  const std::size_t length = 2 + 12 + 2 + profile.size();
  std::string chunk = {'\xFF', '\xE2', static_cast<char>(length >> 8), static_cast<char>(length)};
  chunk += std::string("ICC_PROFILE\0\1\1", 14);
  chunk.append(profile.begin(), profile.end());
  std::ofstream out(wide, std::ios::binary);
  out << jpeg.substr(0, 2) << chunk << jpeg.substr(2);
  return wide;
}

tavilune::NoColorManagement noColors;

// The program's path: LoadPicture, then the first decode.
double ProgramPath(const std::string& path, tavilune::FileSystem& files, int width,
                   tavilune::ColorManagement& colors = noColors) {
  const auto start = std::chrono::steady_clock::now();
  tavilune::TPicture picture;
  tavilune::LoadPicture(picture, path, files, colors);
  auto* image = dynamic_cast<tavilune::TJPEGImage*>(picture.Graphic());
  if (image == nullptr || image->DecodeJpeg().Width() != width) {
    std::fprintf(stderr, "the program did not decode the picture\n");
    std::exit(1);
  }
  return Seconds(std::chrono::steady_clock::now() - start);
}

// The program's path once more, untimed, sampling the memory it holds after loading and at
// progress reports all through the decode (a clock that always moves makes every change of the
// percentage a report). Returns the highest sample above the starting point.
std::uint64_t ProgramPathPeakMemory(const std::string& path, tavilune::FileSystem& files,
                                    tavilune::ColorManagement& colors = noColors) {
#ifdef __GLIBC__
  // Freed memory of earlier runs that the allocator still holds would hide new allocations.
  malloc_trim(0);
#endif
  const std::uint64_t start = MemoryNow();
  std::uint64_t peak = start;
  auto sample = [&] { peak = std::max(peak, MemoryNow()); };
  {
    tavilune::TPicture picture;
    picture.onProgress = [&](tavilune::TGraphic&, const tavilune::ProgressEvent&) { sample(); };
    tavilune::LoadPicture(picture, path, files, colors);
    sample();
    auto* image = dynamic_cast<tavilune::TJPEGImage*>(picture.Graphic());
    std::uint32_t now = 0;
    image->SetTickSource([&now] { return now += tavilune::JpegProgressMonitor::kIntervalMs; });
    image->DecodeJpeg();
    sample();
  }
  return peak - start;
}

// The same work done directly with the library: read the file, decode it into new memory.
double BareDecode(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;
  info.dct_method = JDCT_FLOAT;
  info.do_block_smoothing = TRUE;
  jpeg_start_decompress(&info);
  const std::size_t stride = (info.output_width * 3 + 3) / 4 * 4;
  auto pixels = std::make_unique_for_overwrite<unsigned char[]>(stride * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[4];
    const int count = std::min<int>(std::max(info.rec_outbuf_height, 1), 4);
    for (int i = 0; i < count; ++i) {
      rows[i] = pixels.get() + stride * std::min(info.output_scanline + i, info.output_height - 1);
    }
    jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count));
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return Seconds(std::chrono::steady_clock::now() - start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

// A path's medians against a reference path's, their ratios (against a target) and the path's
// peak memory over the floor of file plus bitmap.
void PrintAgainst(const char* what, const char* reference, double target,
                  const std::vector<double>& runs, const std::vector<double>& referenceRuns,
                  double peakOverFloorMiB) {
  std::printf("%s: median %.1f ms; %s: median %.1f ms\n", what, Median(runs) * 1000, reference,
              Median(referenceRuns) * 1000);
  std::printf("ratio %s / %s: %.3f by medians, %.3f by fastest runs (target at most %.2f)\n", what,
              reference, Median(runs) / Median(referenceRuns),
              *std::min_element(runs.begin(), runs.end()) /
                  *std::min_element(referenceRuns.begin(), referenceRuns.end()),
              target);
  std::printf("peak memory, %s: over the floor %.2f MiB (target within 2 MiB)\n", what,
              peakOverFloorMiB);
}

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  tavilune::SetMemory(tavilune::SystemMemoryFacts());
  tavilune::RegisterJpegPictureFormats();
  BenchFileSystem files;
  for (const Size size : kSizes) {
    const std::string path = (folder / ("tavilune-bench-" + std::to_string(size.width) + "x" +
                                        std::to_string(size.height) + ".jpg"))
                                 .string();
    if (!std::filesystem::exists(path)) {
      std::printf("making %s\n", path.c_str());
      MakeJpeg(path, size.width, size.height);
    }
    const std::uint64_t fileSize = std::filesystem::file_size(path);
    const std::uint64_t bitmapSize =
        std::uint64_t((size.width * 3 + 3) / 4 * 4) * std::uint64_t(size.height);

    const std::uint64_t peak = ProgramPathPeakMemory(path, files);
    std::vector<double> program;
    std::vector<double> bare;
    for (int i = 0; i < kRuns; ++i) {
      program.push_back(ProgramPath(path, files, size.width));
      bare.push_back(BareDecode(path));
    }

    const double programMedian = Median(program);
    const double bareMedian = Median(bare);
    std::printf("picture: %d x %d, quality %d, 4:2:0, %llu bytes\n", size.width, size.height,
                kQuality, static_cast<unsigned long long>(fileSize));
    std::printf("program path (load + first decode): median %.1f ms over %d runs\n",
                programMedian * 1000, kRuns);
    std::printf("bare libjpeg decode (read + decode): median %.1f ms over %d runs\n",
                bareMedian * 1000, kRuns);
    std::printf(
        "ratio program / bare: %.3f by medians, %.3f by fastest runs (target at most 1.05)\n",
        programMedian / bareMedian,
        *std::min_element(program.begin(), program.end()) /
            *std::min_element(bare.begin(), bare.end()));
    const double mib = 1024.0 * 1024.0;
    const double floor = static_cast<double>(fileSize + bitmapSize);
    std::printf(
        "peak memory of the program path: %.2f MiB; floor (file + bitmap) %.2f MiB; "
        "over the floor %.2f MiB (target within 2 MiB)\n",
        static_cast<double>(peak) / mib, floor / mib, (static_cast<double>(peak) - floor) / mib);

    if (size.width != kSizes[0].width) continue;
    const std::string turned = WithOrientationSix(path);
    const std::uint64_t turnedPeak = ProgramPathPeakMemory(turned, files);
    std::vector<double> asStored;
    std::vector<double> sixth;
    for (int i = 0; i < kRuns; ++i) {
      asStored.push_back(ProgramPath(path, files, size.width));
      sixth.push_back(ProgramPath(turned, files, size.height));
    }
    PrintAgainst("orientation 6", "as stored", 1.25, sixth, asStored,
                 (static_cast<double>(turnedPeak) - floor) / mib);

    const std::string wide = WithWideProfile(path);
    SystemColorManagement colors;
    const std::uint64_t widePeak = ProgramPathPeakMemory(wide, files, colors);
    std::vector<double> plain;
    std::vector<double> managed;
    for (int i = 0; i < kRuns; ++i) {
      plain.push_back(ProgramPath(wide, files, size.width));
      managed.push_back(ProgramPath(wide, files, size.width, colors));
    }
    PrintAgainst("wide-gamut profile with colour management", "without", 2, managed, plain,
                 (static_cast<double>(widePeak) - floor) / mib);
  }
  tavilune::UnregisterJpegPictureFormats();
  return 0;
}
