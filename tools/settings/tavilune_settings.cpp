// Writes a settings file for a given picture, or shows what one holds. Used to prepare a
// settings file before the program starts (the run script seeds one for the sample picture)
// and to look into files the program wrote.
//
//   tavilune-settings OUT PICTURE_PATH [--color 0xBBGGRR] [--thickness N] [--top N] [--left N]
//                                      [--intray N] [--stayontop N]
//   tavilune-settings --dump FILE
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/ansi.h"
#include "platform/posix/posix_file_system.h"
#include "settings/settings_file.h"
#include "settings/settings_record.h"

namespace {

using tavilune::SettingsRecord;

constexpr const char* kUsage =
    "usage: tavilune-settings OUT PICTURE_PATH [--color 0xBBGGRR] [--thickness N] [--top N]\n"
    "                         [--left N] [--intray N] [--stayontop N]\n"
    "       tavilune-settings --dump FILE\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tavilune-settings: %s\n", message.c_str());
  return 2;
}

// A whole number in decimal or, with 0x, hexadecimal, within [lowest, highest].
std::optional<long long> ParseNumber(const char* text, long long lowest, long long highest) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || value < lowest || value > highest) {
    return std::nullopt;
  }
  return value;
}

int Dump(const std::string& path) {
  tavilune::PosixFileSystem files;
  tavilune::SystemError error = tavilune::kNoError;
  // Opened for reading only, so that a read-only file can be looked into as well.
  auto file = files.Open(path, tavilune::FileAccess::kReadShareRead, error);
  if (!file) return Fail(path + ": " + tavilune::InOutErrorText(static_cast<int>(error)));
  tavilune::SettingsBytes bytes{};
  const tavilune::IoResult read = file->Read(bytes);
  if (read.error != tavilune::kNoError) {
    return Fail(path + ": " + tavilune::InOutErrorText(static_cast<int>(read.error)));
  }
  SettingsRecord record;
  tavilune::OverlaySettingsBytes(std::span<const std::uint8_t>(bytes.data(), read.bytes), record);

  std::printf("FrameColor 0x%06" PRIX32 "\n", static_cast<std::uint32_t>(record.FrameColor));
  std::printf("FrameThickness %" PRId32 "\n", record.FrameThickness);
  std::printf("PicturePath %s\n", tavilune::AnsiToUtf8(record.PicturePathText()).c_str());
  std::printf("WindowTop %" PRId32 "\n", record.WindowTop);
  std::printf("WindowLeft %" PRId32 "\n", record.WindowLeft);
  std::printf("InTray %u\n", unsigned{record.InTray});
  std::printf("StayOnTop %u\n", unsigned{record.StayOnTop});
  std::printf("Alignment 0x%02X 0x%02X\n", unsigned{record.Alignment[0]},
              unsigned{record.Alignment[1]});
  if (read.bytes < SettingsRecord::kSize) {
    std::fprintf(stderr, "tavilune-settings: %s: only %zu of %zu bytes; the rest shows as 0\n",
                 path.c_str(), read.bytes, SettingsRecord::kSize);
    return 1;
  }
  return 0;
}

int Write(int argc, char** argv) {
  const std::string out = argv[1];
  const std::optional<std::string> picture = tavilune::Utf8ToAnsi(argv[2]);
  if (!picture) return Fail("the picture path has characters that code page 932 cannot spell");

  // What the program itself sets when the user picks a picture at the first start.
  SettingsRecord record;
  record.FrameColor = 0xFFFFFF;
  record.FrameThickness = 3;
  record.WindowTop = 107;
  record.WindowLeft = 192;
  if (!record.SetPicturePath(*picture)) {
    return Fail("the picture path is longer than 255 bytes in code page 932");
  }

  constexpr long long kIntLow = std::numeric_limits<std::int32_t>::min();
  constexpr long long kIntHigh = std::numeric_limits<std::int32_t>::max();
  for (int i = 3; i < argc; i += 2) {
    const std::string_view option = argv[i];
    if (i + 1 >= argc) return Fail(std::string(option) + " needs a value");
    const char* value = argv[i + 1];
    std::optional<long long> number;
    if (option == "--color") {
      // Colours read best as unsigned hexadecimal; the field keeps the same 32 bits.
      number = ParseNumber(value, kIntLow, std::numeric_limits<std::uint32_t>::max());
      if (number)
        record.FrameColor = static_cast<std::int32_t>(static_cast<std::uint32_t>(*number));
    } else if (option == "--thickness") {
      number = ParseNumber(value, kIntLow, kIntHigh);
      if (number) record.FrameThickness = static_cast<std::int32_t>(*number);
    } else if (option == "--top") {
      number = ParseNumber(value, kIntLow, kIntHigh);
      if (number) record.WindowTop = static_cast<std::int32_t>(*number);
    } else if (option == "--left") {
      number = ParseNumber(value, kIntLow, kIntHigh);
      if (number) record.WindowLeft = static_cast<std::int32_t>(*number);
    } else if (option == "--intray") {
      number = ParseNumber(value, 0, 255);
      if (number) record.InTray = static_cast<std::uint8_t>(*number);
    } else if (option == "--stayontop") {
      number = ParseNumber(value, 0, 255);
      if (number) record.StayOnTop = static_cast<std::uint8_t>(*number);
    } else {
      std::fputs(kUsage, stderr);
      return Fail("unknown option " + std::string(option));
    }
    if (!number) return Fail("bad value for " + std::string(option) + ": " + value);
  }

  tavilune::PosixFileSystem files;
  try {
    tavilune::WriteSettingsFile(files, out, record);
  } catch (const tavilune::EInOutError& error) {
    return Fail(out + ": " + error.Message());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--dump") return Dump(argv[2]);
  if (argc >= 3 && std::string_view(argv[1]).substr(0, 2) != "--") return Write(argc, argv);
  std::fputs(kUsage, stderr);
  return 2;
}
