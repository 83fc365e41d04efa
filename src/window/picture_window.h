// The picture window: the picture at its natural size inside a solid frame, dragged by the
// picture. Its controls hold its state; the settings record is only what is read at start-up and
// what is saved.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "forms/form.h"
#include "forms/menu.h"
#include "picture/image_paint.h"
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
  const FilePath& SettingsFilePath() const { return settingsPath_; }
  void SetSettingsFilePath(FilePath path) { settingsPath_ = std::move(path); }
  // Takes what the settings file stores of the window as its own: the frame's thickness and
  // colour (shown by FitToPicture once the picture is there), the picture's path and the bytes
  // the file carries along. Place, stay-on-top and hiding are start-up's steps.
  void ApplySettings(const SettingsRecord& record);
  // The picture file to remember, as the settings record spells it (ANSI); see SettingsRecord.
  std::string PicturePathText() const;
  void SetPicturePath(const std::string& ansiPath);
  void ClearPicturePath() { picturePath_.fill(0); }

  // Image1: the picture control, drawn unscaled from its top-left corner.
  TPicture& Picture() { return picture_; }
  const Rect& Image1Bounds() const { return image1_.bounds; }
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

  // Shows the about box.
  std::function<void()> onShowAbout;

  // Writes the window's state to the settings file, unless no picture was ever chosen.
  void SaveSettings();

 protected:
  WindowSpec CreateParams() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;
  bool QueryEndSession() override;

 private:
  void Paint(Canvas& canvas);
  void CreateTrayIcon();
  // Puts the icon in the notification area for the window to hide behind; false when there is
  // no icon image to show. A refused icon raises and no longer counts as shown, or the window
  // would be saved as hidden and the next hiding would leave no icon to come back by.
  bool ShowIconToHideBehind();
  void ShowFromTray();
  // Never a hidden window without an icon: when the window counts as in the tray but the shell
  // does not show the icon, the window comes back in its place and no longer counts as hidden.
  void ComeBackUnlessIconShown();
  IconHandle TrayIconImage();
  void ApplyLayout(const FrameLayout& layout);
  // Tells the colour management which monitor the window is on; a picture whose colours were
  // turned for another display's profile is made again for this one.
  void FollowDisplay();

  Platform& platform_;
  FilePath settingsPath_;
  std::array<std::uint8_t, SettingsRecord::kPicturePathSize> picturePath_{};
  std::array<std::uint8_t, 2> recordPadding_{};
  // The frame as chosen: what the menu shows and the file keeps.
  std::int32_t frameThickness_ = 0;
  Color frameColor_ = 0;
  TPicture picture_;
  TImage image1_{"Image1", RectFromSize(40, 10, 249, 247), ImageOptions{}, &picture_};
  // The frame on screen: the design's until a picture is fitted and a colour is set (a start-up
  // that fails after reading the file shows the design frame but keeps the file's).
  FrameLayout bars_;
  Color barColor_ = kDesignGreen;
  TPopupMenu* popupMenu1_ = nullptr;
  TPopupMenu* popupMenu2_ = nullptr;
  TTrayIcon* trayIcon1_ = nullptr;
  Color colorDialogColor_ = kBlack;
  bool moving_ = false;  // inside the system's loop of moving the window
  std::array<std::uint32_t, 16> customColors_;
};

}  // namespace tavilune
