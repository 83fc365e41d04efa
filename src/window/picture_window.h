// The picture window: the picture at its natural size inside a solid frame, dragged by the
// picture, its state kept in the settings record.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "forms/form.h"
#include "forms/menu.h"
#include "picture/picture.h"
#include "platform/platform.h"
#include "settings/settings_record.h"
#include "tray/tray_icon.h"
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
  const FilePath& SettingsFilePath() const { return settingsPath_; }
  void SetSettingsFilePath(FilePath path) { settingsPath_ = std::move(path); }

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

  // The context menu and its handlers.
  TPopupMenu& PopupMenu1() { return *popupMenu1_; }
  void N1Click();
  void N3Click();
  void Window1Click();
  void MainMenuCOLORClick();
  // MainMenuTNONEClick, MainMenuT1Click ... MainMenuT5Click.
  void SetFrameThicknessFromMenu(std::int32_t thickness);
  void MainMenuStayOnTopClick();
  void MainMenuOpenClick();
  void MainMenuVersionClick();
  void MainMenuEXITClick();
  // The left double click on the picture and "最小化": the icon first, then the window hides.
  void Image1DblClick();

  // The tray icon and its menu.
  TTrayIcon& TrayIcon1() { return *trayIcon1_; }
  TPopupMenu& PopupMenu2() { return *popupMenu2_; }
  // A left or middle press on the icon: back to the front, foreground, icon gone.
  void TrayIcon1MouseDown();
  // "元のサイズに戻す": back, icon gone, without taking the foreground.
  void TrayRESIZEClick();
  // Start-up's last word when the program ended hidden: no window at first, only the icon.
  void StartHidden();
  bool InTray() const { return trayIcon1_->Visible(); }

  // ColorDialog1: opens on black at first, then on the last colour confirmed in this run; the
  // custom colours start empty and last for the run.
  Color ColorDialogColor() const { return colorDialogColor_; }
  const std::array<std::uint32_t, 16>& CustomColors() const { return customColors_; }

  // Shows the about box.
  std::function<void()> onShowAbout;

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
  void CreateTrayIcon();
  void ShowFromTray();
  // Never a hidden window without an icon: when the window counts as in the tray but the shell
  // does not show the icon, the window comes back in its place and no longer counts as hidden.
  void ComeBackUnlessIconShown();
  void ApplyLayout(const FrameLayout& layout);
  bool InImage1(std::int32_t x, std::int32_t y) const;

  Platform& platform_;
  SettingsRecord settings_;
  FilePath settingsPath_;
  TPicture picture_;
  Rect image1_ = RectFromSize(40, 10, 249, 247);
  FrameLayout bars_;
  Color barColor_ = kDesignGreen;
  TPopupMenu* popupMenu1_ = nullptr;
  TPopupMenu* popupMenu2_ = nullptr;
  TTrayIcon* trayIcon1_ = nullptr;
  Color colorDialogColor_ = kBlack;
  std::array<std::uint32_t, 16> customColors_;
};

}  // namespace tavilune
