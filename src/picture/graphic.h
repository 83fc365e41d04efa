// The graphic family: every picture kind derives from TGraphic. A small class descriptor stands
// for "the graphic class" in the format table, so that the table can create a graphic of a
// class and can ask whether one class derives from another.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/canvas.h"
#include "platform/color_management.h"
#include "platform/dib.h"
#include "platform/files.h"
#include "platform/types.h"

namespace tavilune {

class Stream;
class TGraphic;

struct GraphicClass {
  const char* name;                       // "TBitmap"
  const GraphicClass* base;               // nullptr for TGraphic itself
  std::unique_ptr<TGraphic> (*create)();  // nullptr for a class that cannot be created

  // True when this class is other or derives from it.
  bool DerivesFrom(const GraphicClass& other) const {
    for (const GraphicClass* c = this; c != nullptr; c = c->base) {
      if (c == &other) return true;
    }
    return false;
  }
};

enum class ProgressStage { kStarting, kRunning, kEnding };

// A decoding progress notification (TProgressEvent): how far, whether the part decoded so far
// should be shown at once, which picture rectangle changed since the last one, and a text that
// this program always leaves empty.
struct ProgressEvent {
  ProgressStage stage = ProgressStage::kStarting;
  std::uint8_t percentDone = 0;
  bool redrawNow = false;
  Rect r;
  std::string msg;
};

using ChangeHandler = std::function<void(TGraphic& sender)>;
// A listener may raise EAbort to end the decoding silently.
using ProgressHandler = std::function<void(TGraphic& sender, const ProgressEvent& event)>;

class TGraphic {
 public:
  static const GraphicClass& StaticClass();

  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual const GraphicClass& Class() const = 0;

  // Replaces the content with the stream's bytes from its current position to its end.
  virtual void LoadFromStream(Stream& stream) = 0;
  // Opens the file for reading, others may read, and loads from it; the file is closed when
  // this returns. Raises EFOpenError ("ファイル %s は開けません") when it cannot be opened.
  void LoadFromFile(const std::string& ansiPath, FileSystem& files);

  virtual std::int32_t Width() = 0;
  virtual std::int32_t Height() = 0;
  virtual bool Empty() = 0;
  // The palette to realise when drawing, or nothing.
  virtual const Palette* GetPalette() { return nullptr; }
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool modified) { paletteModified_ = modified; }

  // Draws the graphic scaled into rect.
  virtual void Draw(Canvas& canvas, const Rect& rect) = 0;
  // Whether the pixels were turned from the picture's own colour profile into the display's
  // colours, so that they are right on that display only.
  virtual bool TurnedForDisplay() const { return false; }

  // The system's colour management, through which decoders turn colours described by a
  // picture's embedded profile into the display's; with none (the default) pictures show as
  // stored. It must outlive the graphic: a JPEG picture uses it when first drawn.
  void SetColorManagement(ColorManagement* colors) { colors_ = colors; }
  ColorManagement* ColorManagementInUse() const { return colors_; }

  void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }
  void SetOnProgress(ProgressHandler handler) { onProgress_ = std::move(handler); }

 protected:
  TGraphic() = default;
  // Sends the changed notification (content or palette changed).
  void Changed();
  // Sends a progress notification.
  void Progress(ProgressStage stage, std::uint8_t percentDone, bool redrawNow, const Rect& r,
                const std::string& msg = {});

 private:
  ChangeHandler onChange_;
  ProgressHandler onProgress_;
  ColorManagement* colors_ = nullptr;
  bool paletteModified_ = false;
};

}  // namespace tavilune
