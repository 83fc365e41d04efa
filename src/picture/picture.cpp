#include "picture/picture.h"

#include "platform/exceptions.h"
#include "picture/picture_formats.h"
#include "platform/ansi.h"

namespace tavilune {

void TPicture::RouteProgress(TGraphic& graphic) {
  graphic.SetOnProgress([this](TGraphic& sender, const ProgressEvent& event) {
    if (onProgress) onProgress(sender, event);
  });
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) {
    RouteProgress(*graphic_);
    graphic_->SetOnChange([this](TGraphic&) {
      if (onChange) onChange(*this);
    });
  }
  if (onChange) onChange(*this);
}

std::string PictureExtension(const std::string& ansiPath) {
  // Walk from the start so that the second byte of a double-byte character (which in
  // Shift-JIS may equal "\") is never taken for a separator.
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < ansiPath.size(); ++i) {
    const auto byte = static_cast<unsigned char>(ansiPath[i]);
    if (IsAnsiLeadByte(byte) && i + 1 < ansiPath.size()) {
      ++i;
      continue;
    }
    if (byte == '.' || byte == '\\' || byte == ':') last = i;
  }
  if (last == std::string::npos || ansiPath[last] != '.') return {};
  return ansiPath.substr(last + 1);
}

void LoadPicture(TPicture& picture, const std::string& ansiPath, FileSystem& files,
                 ColorManagement& colors) {
  const std::string extension = PictureExtension(ansiPath);
  const GraphicClass* graphicClass = FindPictureClass(extension);
  if (graphicClass == nullptr || graphicClass->create == nullptr) {
    throw EInvalidGraphic(u8"拡張子 ." + AnsiToUtf8(extension) + u8" の画像形式は処理できません");
  }
  std::unique_ptr<TGraphic> graphic = graphicClass->create();
  graphic->SetColorManagement(&colors);
  // Progress reaches the owner while the graphic loads; changes only once it is installed.
  picture.RouteProgress(*graphic);
  graphic->LoadFromFile(ansiPath, files);
  picture.SetGraphic(std::move(graphic));
}

}  // namespace tavilune
