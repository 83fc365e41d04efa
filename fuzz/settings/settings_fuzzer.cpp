// Any bytes may sit in a settings file. Laid over a record the way a read does, they must come
// back out unchanged when the record is written, and a record decoded from its own bytes must be
// the same record. The same bytes also serve as an executable path for the settings path rule.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "settings/settings_path.h"
#include "settings/settings_record.h"

namespace {

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "settings fuzzer: %s\n", what);
  std::abort();
}

// A record that differs from zero everywhere, so bytes a short input does not cover are seen.
tavilune::SettingsRecord Background() {
  tavilune::SettingsBytes bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return tavilune::DecodeSettingsRecord(bytes);
}

void CheckRecord(std::span<const std::uint8_t> input) {
  using tavilune::SettingsRecord;
  const SettingsRecord background = Background();
  const tavilune::SettingsBytes backgroundBytes = tavilune::EncodeSettingsRecord(background);

  SettingsRecord record = background;
  const std::size_t taken = tavilune::OverlaySettingsBytes(input, record);
  Check(taken == std::min(input.size(), SettingsRecord::kSize), "bytes taken");

  const tavilune::SettingsBytes image = tavilune::EncodeSettingsRecord(record);
  Check(
      std::equal(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(taken), image.begin()),
      "covered bytes written back as read");
  Check(std::equal(image.begin() + static_cast<std::ptrdiff_t>(taken), image.end(),
                   backgroundBytes.begin() + static_cast<std::ptrdiff_t>(taken)),
        "uncovered bytes kept");

  const SettingsRecord again = tavilune::DecodeSettingsRecord(image);
  Check(again == record, "decoding its own bytes gives the same record");
  Check(tavilune::EncodeSettingsRecord(again) == image, "round trip stable");

  const std::string text = record.PicturePathText();
  Check(text.size() <= SettingsRecord::kPicturePathSize, "path text length");
  Check(text.find('\0') == std::string::npos, "path text has no NUL");
  SettingsRecord copy = record;
  if (copy.SetPicturePath(text)) {
    Check(copy == record, "storing the stored path again changes nothing");
  } else {
    Check(text.size() == SettingsRecord::kPicturePathSize && copy == record,
          "only a path without room for its NUL is refused, and leaves the record alone");
  }
  copy.ClearPicturePath();
  Check(!copy.HasPicturePath() && copy.PicturePathText().empty(), "cleared path");
}

void CheckPath(std::string_view exe) {
  const std::string path = tavilune::SettingsPath(exe);
  Check(path.size() <= tavilune::kMaxSettingsPathLength, "settings path length");
  if (exe.size() + 4 <= tavilune::kMaxSettingsPathLength) {
    Check(path.size() >= 4 && path.compare(path.size() - 4, 4, ".dat") == 0, "ends in .dat");
    // Everything before the new extension is a prefix of the executable's path.
    Check(exe.substr(0, path.size() - 4) == std::string_view(path).substr(0, path.size() - 4),
          "keeps the folder and the name");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  CheckRecord(input);
  CheckPath(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
