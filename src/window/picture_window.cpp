#include "window/picture_window.h"

#include <algorithm>

#include "forms/application.h"
#include "forms/messages.h"
#include "forms/painted_controls.h"
#include "picture/image_paint.h"
#include "platform/canvas.h"
#include "settings/settings_file.h"
#include "window/picture_choice.h"
#include "window/window_menu.h"

namespace tavilune {

namespace {

// A mouse message's position; signed, as positions left of or above the window are.
Point PointOf(std::intptr_t lParam) {
  return Point{msg::SignedLow(lParam), msg::SignedHigh(lParam)};
}

}  // namespace

TForm1::TForm1(TApplication& application, Platform& platform,
               std::function<void(TForm1&)> formCreate)
    : TForm(&application, application), platform_(platform) {
  SetName("Form1");
  SetCaption("Tavilune");
  SetBounds(kDesignBounds.left, kDesignBounds.top, kDesignBounds.Width(), kDesignBounds.Height());
  bars_ = LayOutBars(Width(), Height(), kDesignThickness, true);
  picture_.onChange = [this](TPicture&) { Invalidate(); };
  customColors_.fill(0xFFFFFFFF);
  popupMenu1_ = new TPopupMenu(this, application);
  BuildWindowMenu(*this, *popupMenu1_);
  Handle();
  CreateTrayIcon();
  if (formCreate) {
    try {
      formCreate(*this);
    } catch (...) {
      Application().HandleException();
    }
  }
}

TForm1::~TForm1() {
  // Saved first, while the tray icon and the controls still hold the state being saved.
  try {
    SaveSettings();
  } catch (...) {
    Application().HandleException();
  }
}

WindowSpec TForm1::CreateParams() {
  WindowSpec spec = TForm::CreateParams();
  spec.className = "TForm1";
  return spec;
}

void TForm1::ApplySettings(const SettingsRecord& record) {
  picturePath_ = record.PicturePath;
  recordPadding_ = record.Alignment;
  frameThickness_ = record.FrameThickness;
  frameColor_ = record.FrameColor;
}

std::string TForm1::PicturePathText() const {
  SettingsRecord record;
  record.PicturePath = picturePath_;
  return record.PicturePathText();
}

void TForm1::SetPicturePath(const std::string& ansiPath) {
  // The record's rule keeps the bytes after the path's NUL as they were.
  SettingsRecord record;
  record.PicturePath = picturePath_;
  if (record.SetPicturePath(ansiPath)) picturePath_ = record.PicturePath;
}

void TForm1::MoveImage1(std::int32_t left, std::int32_t top) {
  image1_.bounds = RectFromSize(left, top, image1_.bounds.Width(), image1_.bounds.Height());
  Invalidate();
}

void TForm1::LoadPictureFile(const std::string& ansiPath) {
  LoadPicture(picture_, ansiPath, platform_.files, platform_.colors);
  image1_.bounds =
      RectFromSize(image1_.bounds.left, image1_.bounds.top, picture_.Width(), picture_.Height());
}

void TForm1::FollowDisplay() {
  if (!platform_.colors.SetDisplay(Windows().MonitorOfWindow(Handle()).device)) return;
  const TGraphic* graphic = picture_.Graphic();
  if (graphic == nullptr || !graphic->TurnedForDisplay()) return;
  // The colours were made for the display the window has left: the picture is read again from
  // its file and turned for this one. Nobody asked for it, so a file that cannot be read now
  // leaves the picture as it is, and no box is shown.
  try {
    LoadPictureFile(PicturePathText());
    FitToPicture();
  } catch (const std::exception&) {
  }
}

void TForm1::ApplyLayout(const FrameLayout& layout) {
  bars_ = layout;
  image1_.bounds = layout.picture;
  SetBounds(Left(), Top(), layout.windowWidth, layout.windowHeight);
  Invalidate();
}

void TForm1::SetFrameThickness(std::int32_t thickness) {
  // Values outside the menu's can only come from an edited settings file: a negative one means
  // no frame and one beyond the bound the thickest frame, and that is what is kept and saved.
  thickness = std::clamp(thickness, 0, kMaxFrameThickness);
  frameThickness_ = thickness;
  ApplyLayout(LayOutFrame(picture_.Width(), picture_.Height(), thickness));
}

void TForm1::SetFrameColor(Color color) {
  frameColor_ = color;
  barColor_ = color;
  Invalidate();
}

void TForm1::FitToPicture() {
  SetFrameThickness(frameThickness_);
  SetFrameColor(frameColor_);
}

void TForm1::SetStayOnTop(bool on) {
  SetFormStyle(on ? FormStyle::kStayOnTop : FormStyle::kNormal);
}

void TForm1::SaveSettings() {
  SettingsRecord record;
  record.PicturePath = picturePath_;
  if (!record.HasPicturePath()) return;
  record.Alignment = recordPadding_;
  record.FrameColor = frameColor_;
  record.FrameThickness = frameThickness_;
  record.InTray = InTray() ? 1 : 0;
  record.WindowTop = Top();
  record.WindowLeft = Left();
  record.StayOnTop = IsStayOnTop() ? 1 : 0;
  WriteSettingsFile(platform_.files, settingsPath_, record);
}

bool TForm1::QueryEndSession() {
  // An error leaves before the answer, so the session is asked not to end.
  SaveSettings();
  return true;
}

void TForm1::N1Click() {
  popupMenu1_->Items().Find("MainMenuCOLOR")->SetEnabled(frameThickness_ != 0);
}

void TForm1::N3Click() {
  // No radio grouping: all six are cleared and the current one, if any, is checked.
  for (const char* name : kThicknessItems) popupMenu1_->Items().Find(name)->SetChecked(false);
  if (frameThickness_ >= 0 && frameThickness_ <= 5) {
    popupMenu1_->Items().Find(kThicknessItems[frameThickness_])->SetChecked(true);
  }
}

void TForm1::Window1Click() {
  popupMenu1_->Items().Find("MainMenuStayOnTop")->SetChecked(IsStayOnTop());
}

void TForm1::MainMenuCOLORClick() {
  WindowSystem& windows = Windows();
  ColorRequest request;
  request.owner = Application().Handle();
  request.initial = colorDialogColor_;
  request.customColors = &customColors_;
  request.flags = 0x11;  // CC_RGBINIT | CC_ENABLEHOOK: the custom part starts folded away
  const WindowHandle active = windows.ActiveWindow();
  const MonitorInfo monitor = windows.MonitorOfWindow(active != 0 ? active : Handle());
  request.place = [bounds = monitor.bounds](std::int32_t width, std::int32_t height) {
    return CenteredAtOneThird(RectFromSize(0, 0, width, height), bounds);
  };
  std::optional<Color> chosen;
  {
    TApplication::ModalScope modal(Application());
    chosen = platform_.dialogs.PickColor(request);
  }
  if (!chosen) return;
  colorDialogColor_ = *chosen;
  SetFrameColor(*chosen);
}

void TForm1::SetFrameThicknessFromMenu(std::int32_t thickness) {
  SetFrameThickness(thickness);
  SetFrameColor(frameColor_);
}

void TForm1::MainMenuStayOnTopClick() { SetStayOnTop(!IsStayOnTop()); }

void TForm1::MainMenuOpenClick() {
  if (ChooseAndLoadPicture(*this)) FitToPicture();
}

void TForm1::MainMenuVersionClick() {
  if (onShowAbout) onShowAbout();
}

void TForm1::MainMenuEXITClick() { Close(); }

void TForm1::CreateTrayIcon() {
  popupMenu2_ = new TPopupMenu(this, Application());
  popupMenu2_->SetName("PopupMenu2");
  popupMenu2_->autoHotkeys = false;
  popupMenu2_->Items().Add("TrayRESIZE", u8"元のサイズに戻す").onClick = [this] {
    TrayRESIZEClick();
  };
  popupMenu2_->Items().Add("TrayExit", u8"終了").onClick = [this] { MainMenuEXITClick(); };

  trayIcon1_ = new TTrayIcon(this, Application(), platform_.shell);
  trayIcon1_->SetName("TrayIcon1");
  // As stored with the window: its icon, its tip and the right-button menu; everything else
  // keeps its default.
  TrayIconStoredState stored;
  stored.icon = TrayIconImage();
  stored.tipHelp = "Tavilune";
  stored.rbPopupMenu = popupMenu2_;
  trayIcon1_->ReadFromStoredForm(stored);
  trayIcon1_->OnMouseDown = [this](TTrayIcon&, TMouseButton, TShiftState, std::int32_t,
                                   std::int32_t) { TrayIcon1MouseDown(); };
  // A shell made anew may have come back at another DPI (the taskbar is also made anew when the
  // scaling changes): the icon it gets again is the image for its size now.
  trayIcon1_->OnShellRestarted = [this](TTrayIcon& icon) {
    icon.Icon().SetHandle(TrayIconImage());
  };
  // A shell that restarted and refused the icon must not leave the window hidden with nothing
  // to bring it back by.
  trayIcon1_->OnReAddRefused = [this](TTrayIcon&) { ComeBackUnlessIconShown(); };
}

// The notification area shows small icons: its own image of that size, not the large one shrunk
// by the shell, at the DPI of the primary monitor, where the taskbar keeps the area.
IconHandle TForm1::TrayIconImage() {
  WindowSystem& windows = Windows();
  return windows.LoadIconResource("TRAYICON", IconSize::kSmall,
                                  windows.DpiNearest(windows.Monitors().front().bounds));
}

void TForm1::ComeBackUnlessIconShown() {
  if (!InTray() || trayIcon1_->Added()) return;
  trayIcon1_->SetVisible(false);
  ShowFromTray();
}

bool TForm1::ShowIconToHideBehind() {
  try {
    trayIcon1_->SetVisible(true);
  } catch (...) {
    trayIcon1_->SetVisible(false);
    throw;
  }
  // Without any icon image Visible quietly stays false: hiding would leave nothing on screen.
  return trayIcon1_->Added();
}

void TForm1::Image1DblClick() {
  if (ShowIconToHideBehind()) Hide();
}

void TForm1::ShowFromTray() {
  Show();
  Windows().SetWindowPos(Handle(), msg::kHwndTop, Rect{}, msg::kSwpNoMove | msg::kSwpNoSize);
}

void TForm1::TrayIcon1MouseDown() {
  ShowFromTray();
  Windows().SetForegroundWindow(Handle());
  trayIcon1_->SetVisible(false);
}

void TForm1::TrayRESIZEClick() {
  ShowFromTray();
  trayIcon1_->SetVisible(false);
}

void TForm1::StartHidden() {
  // Without an icon, neither window nor icon would be left on screen: the window shows in its
  // place (after the error box of a refused icon) and is saved as shown.
  Application().showMainForm = false;
  try {
    if (!ShowIconToHideBehind()) Application().showMainForm = true;
  } catch (...) {
    Application().showMainForm = true;
    throw;
  }
}

void TForm1::Paint(Canvas& canvas) {
  image1_.Paint(canvas);
  if (bars_.barsVisible) {
    for (const Rect* bar : {&bars_.top, &bars_.left, &bars_.right, &bars_.bottom}) {
      canvas.FillRect(*bar, barColor_);
    }
  }
}

bool TForm1::WndProc(const WindowMessage& message, std::intptr_t& result) {
  switch (message.message) {
    case msg::kPaint:
      Windows().Paint(Handle(), [this](Canvas& canvas) { Paint(canvas); });
      result = 0;
      return true;
    case msg::kLButtonDown: {
      if (!Contains(image1_.bounds, PointOf(message.lParam))) break;
      // The system moves the window with the mouse as if its caption had been grabbed.
      Windows().ReleaseCapture();
      Windows().Send(Handle(), WindowMessage{msg::kSysCommand, msg::kScDragMove, 0});
      result = 0;
      return true;
    }
    case msg::kLButtonDblClk: {
      if (Contains(image1_.bounds, PointOf(message.lParam))) Image1DblClick();
      result = 0;
      return true;
    }
    case msg::kMove:
    case msg::kDisplayChange:
      // While the user drags, the picture is made anew once the window is put down.
      if (!moving_) FollowDisplay();
      break;
    case msg::kEnterSizeMove:
      moving_ = true;
      break;
    case msg::kExitSizeMove:
      moving_ = false;
      FollowDisplay();
      break;
    case msg::kContextMenu: {
      Point at = PointOf(message.lParam);
      if (at.x == -1 && at.y == -1) at = Point{Left(), Top()};  // the keyboard's menu key
      popupMenu1_->Popup(at.x, at.y);
      result = 0;
      return true;
    }
    default:
      break;
  }
  return TForm::WndProc(message, result);
}

}  // namespace tavilune
