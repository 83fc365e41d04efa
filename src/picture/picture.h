// The picture container and the loading operation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "picture/graphic.h"
#include "platform/files.h"

namespace tavilune {

// Owns at most one graphic and forwards its notifications to the owner.
class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return graphic_.get(); }
  // Frees the previous graphic, installs this one (or none), routes its notifications here and
  // sends the changed notification once.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);

  std::int32_t Width() const { return graphic_ ? graphic_->Width() : 0; }
  std::int32_t Height() const { return graphic_ ? graphic_->Height() : 0; }

  std::function<void(TPicture& sender)> onChange;
  std::function<void(TGraphic& sender, const ProgressEvent& event)> onProgress;

 private:
  friend void LoadPicture(TPicture&, const std::string&, FileSystem&, ColorManagement&);
  void RouteProgress(TGraphic& graphic);

  std::unique_ptr<TGraphic> graphic_;
};

// Loads the file named by the ANSI path into the picture with the decoder the format table
// names for its extension. Raises on failure and leaves the picture as it was; on success
// replaces the graphic and sends the changed notification once. Colours described by a picture's
// embedded profile are turned into the display's through colors, which must outlive the picture.
void LoadPicture(TPicture& picture, const std::string& ansiPath, FileSystem& files,
                 ColorManagement& colors);

// The extension as LoadPicture takes it: the bytes after the last "." when no "\" or ":" comes
// later, case kept, empty otherwise. Second bytes of double-byte characters never count.
std::string PictureExtension(const std::string& ansiPath);

}  // namespace tavilune
