// The picture window: the picture at its natural size inside a solid frame, dragged by the
// picture, its state kept in the settings record.
#pragma once

#include <functional>
#include <string>

#include "app/settings_record.h"
#include "forms/form.h"
#include "picture/picture.h"
#include "platform/platform.h"
#include "window/frame_geometry.h"

namespace tavilune {

class TForm1 : public TForm {
 public:
  // The design's place and size, and its green 3-pixel frame.
  static constexpr Rect kDesignBounds{192, 107, 192 + 360, 107 + 315};
  static constexpr std::int32_t kDesignThickness = 3;

  // formCreate runs as the last step of the window's creation (the start-up sequence); an
  // exception it raises is shown in the error box and the window is created all the same.
  TForm1(TApplication& application, Platform& platform,
         std::function<void(TForm1&)> formCreate = nullptr);
  ~TForm1() override;

  Platform& Services() const { return platform_; }
  SettingsRecord& Settings() { return settings_; }
  const std::string& SettingsFilePath() const { return settingsPath_; }
  void SetSettingsFilePath(std::string path) { settingsPath_ = std::move(path); }

  // Image1: the picture control, drawn unscaled from its top-left corner.
  TPicture& Picture() { return picture_; }
  const Rect& Image1Bounds() const { return image1_; }
  void MoveImage1(std::int32_t left, std::int32_t top);
  // Loads the file into Image1 and sizes Image1 to the picture. Raises on failure and keeps
  // the previous picture.
  void LoadPictureFile(const std::string& ansiPath);

  void SetFrameThickness(std::int32_t thickness);
  void SetFrameColor(Color color);
  // Makes the window fit its picture with the current thickness and colour.
  void FitToPicture();
  void SetStayOnTop(bool on);
  bool IsStayOnTop() const { return Style() == FormStyle::kStayOnTop; }

  // Whether the window is hidden in the tray; saved as InTray.
  std::function<bool()> inTray;
  // Starts hidden in the tray (the settings say the program ended there).
  std::function<void()> onStartHidden;
  // Left double click on the picture.
  std::function<void()> onImageDoubleClick;
  // The context menu, at a screen point.
  std::function<void(Point)> onContextMenu;

  // Writes the window's state to the settings file, unless no picture was ever chosen.
  void SaveSettings();

  // What the window paints, for tests: bars in their colour over the picture.
  const FrameLayout& Bars() const { return bars_; }
  Color BarColor() const { return barColor_; }

 protected:
  WindowSpec CreateParams() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;
  bool QueryEndSession() override;

 private:
  void Paint(Canvas& canvas);
  void ApplyLayout(const FrameLayout& layout);
  bool InImage1(std::int32_t x, std::int32_t y) const;

  Platform& platform_;
  SettingsRecord settings_;
  std::string settingsPath_;
  TPicture picture_;
  Rect image1_ = RectFromSize(40, 10, 249, 247);
  FrameLayout bars_;
  Color barColor_ = kDesignGreen;
};

}  // namespace tavilune
