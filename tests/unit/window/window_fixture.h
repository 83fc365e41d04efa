// A picture window on the fake platform, with a few pictures to load.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/fake_canvas.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_color_management.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_window_system.h"
#include "forms/application.h"
#include "forms/messages.h"
#include "picture/picture_formats.h"
#include "unit/picture/bitmap_builder.h"
#include "window/picture_window.h"

namespace tavilune::testing {

// A 24-bit bottom-up bitmap file of one colour (blue, green, red bytes).
inline std::string SolidBitmap(int width, int height, std::uint8_t blue = 0x10,
                               std::uint8_t green = 0x20, std::uint8_t red = 0x30) {
  const int row = (width * 3 + 3) / 4 * 4;
  const std::uint32_t pixels = static_cast<std::uint32_t>(row * height);
  Bytes file;
  file.U8('B').U8('M').U32(54 + pixels).U32(0).U32(54);  // size, reserved, pixel offset
  // Header size, width, height, planes, bits per pixel, compression, pixel bytes; then the
  // resolutions and colour counts, all 0.
  file.U32(40).I32(width).I32(height).U16(1).U16(24).U32(0).U32(pixels).Fill(16);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) file.U8(blue).U8(green).U8(red);
    file.Fill(static_cast<std::size_t>(row - width * 3));
  }
  return file.Str();
}

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    ResetFileFormats();
    RegisterJpegPictureFormats();
    app.Initialize();
    app.SetTitle("Tavilune");
    files.AddFile(kSmall, SolidBitmap(200, 100));
    files.AddFile(kOther, SolidBitmap(40, 30));
  }
  ~WindowFixture() override { ResetFileFormats(); }

  TForm1& MakeWindow(std::function<void(TForm1&)> create = nullptr) {
    form = new TForm1(app, platform, std::move(create));
    return *form;
  }
  FakeWindow& Shown() { return windows.Window(form->Handle()); }
  // What the window paints, in order: the picture, then the bars (top, left, right, bottom).
  const std::vector<FakeCanvas::Record>& Painted() {
    canvas.calls.clear();
    windows.onPaint = [this](WindowHandle, const auto& painter) { painter(canvas); };
    windows.Deliver(form->Handle(), msg::kPaint);
    return canvas.calls;
  }
  std::vector<FakeCanvas::Record> PaintedBars() {
    std::vector<FakeCanvas::Record> bars = Painted();
    std::erase_if(bars, [](const auto& call) { return call.call != FakeCanvas::Call::kFillRect; });
    return bars;
  }
  Color BarColor() { return PaintedBars().at(0).color; }
  // A window showing kSmall at (0, 0) in a frame of this thickness, saving to kSettings.
  TForm1& LoadedWindow(int thickness) {
    TForm1& window = MakeWindow();
    window.SetSettingsFilePath(kSettings);
    window.MoveImage1(0, 0);
    window.LoadPictureFile(kSmall);
    window.SetPicturePath(kSmall);
    window.SetFrameThickness(thickness);
    return window;
  }
  // Ends the window as the program's end does (it saves on the way).
  void DestroyWindow() {
    delete form;
    form = nullptr;
  }
  // The settings last saved (its first 276 bytes; missing ones read as zero).
  SettingsRecord Saved() {
    std::string bytes = files.Contents(kSettings).value_or("");
    bytes.resize(276);
    SettingsBytes raw{};
    std::copy_n(bytes.begin(), 276, raw.begin());
    return DecodeSettingsRecord(raw);
  }

  static constexpr const char* kSmall = "C:\\pics\\small.bmp";
  static constexpr const char* kOther = "C:\\pics\\other.bmp";
  static constexpr const char* kSettings = "C:\\app\\tavilune.dat";

  FakeWindowSystem windows;
  FakeCanvas canvas;
  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeColorManagement colors;
  Platform platform{windows, files, dialogs, shell, colors};
  TApplication app{windows};
  TForm1* form = nullptr;
};

}  // namespace tavilune::testing
