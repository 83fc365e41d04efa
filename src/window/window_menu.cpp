#include "window/window_menu.h"

#include <iterator>

#include "window/picture_window.h"

namespace tavilune {

void BuildWindowMenu(TForm1& form, TPopupMenu& menu) {
  menu.SetName("PopupMenu1");
  menu.autoHotkeys = false;
  TMenuItem& root = menu.Items();

  TMenuItem& frame = root.Add("N1", u8"枠");
  frame.onClick = [&form] { form.N1Click(); };
  frame.Add("MainMenuCOLOR", u8"色").onClick = [&form] { form.MainMenuCOLORClick(); };
  TMenuItem& thickness = frame.Add("N3", u8"太さ");
  thickness.onClick = [&form] { form.N3Click(); };
  static constexpr const char* kCaptions[] = {u8"無し", "1", "2", "3", "4", "5"};
  for (int n = 0; n < static_cast<int>(std::size(kThicknessItems)); ++n) {
    thickness.Add(kThicknessItems[n], kCaptions[n]).onClick = [&form, n] {
      form.SetFrameThicknessFromMenu(n);
    };
  }

  root.Add("N4", "-");
  TMenuItem& window = root.Add("Window1", u8"ウィンドウ");
  window.onClick = [&form] { form.Window1Click(); };
  window.Add("N5", u8"最小化").onClick = [&form] { form.Image1DblClick(); };
  window.Add("MainMenuStayOnTop", u8"常に前面").onClick = [&form] {
    form.MainMenuStayOnTopClick();
  };
  root.Add("MainMenuOpen", u8"画像選択").onClick = [&form] { form.MainMenuOpenClick(); };
  root.Add("N2", "-");
  root.Add("MainMenuVersion", u8"Taviluneについて...").onClick = [&form] {
    form.MainMenuVersionClick();
  };
  root.Add("MainMenuEXIT", u8"終了").onClick = [&form] { form.MainMenuEXITClick(); };
}

}  // namespace tavilune
