#include "picture/graphic.h"

#include "platform/exceptions.h"
#include "picture/stream.h"
#include "platform/ansi.h"

namespace tavilune {

const GraphicClass& TGraphic::StaticClass() {
  static const GraphicClass kClass{"TGraphic", nullptr, nullptr};
  return kClass;
}

void TGraphic::LoadFromFile(const std::string& ansiPath, FileSystem& files) {
  SystemError error = kNoError;
  std::unique_ptr<File> file = files.Open(ansiPath, FileAccess::kReadShareRead, error);
  if (!file) {
    std::string message = u8"ファイル ";
    message += AnsiToUtf8(ansiPath);
    message += u8" は開けません";
    throw EFOpenError(message);
  }
  FileStream stream(*file);
  LoadFromStream(stream);
}

void TGraphic::Changed() {
  if (onChange_) onChange_(*this);
}

void TGraphic::Progress(ProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const Rect& r, const std::string& msg) {
  if (onProgress_) onProgress_(*this, ProgressEvent{stage, percentDone, redrawNow, r, msg});
}

}  // namespace tavilune
