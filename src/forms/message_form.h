// The information box: the caption, the system's information icon, the word-wrapped text beside
// it and one "OK" button that Enter and Escape both press, in the system's message font, centred
// on the primary screen and shown modally like every other form. It makes no sound.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "forms/form.h"
#include "platform/dpi.h"
#include "platform/types.h"

namespace tavilune {

// Where the box puts its parts. The system measures the text (word-wrapped, in its message font
// at the window's DPI) and tells its icon size at that DPI; the rest is the design's 96-DPI
// lengths scaled: 12-pixel margins, a 75 x 25 button. The text starts one margin right of the
// icon whatever size the icon has, so the icon never covers it.
struct MessageDialogLayout {
  std::int32_t clientWidth = 0;
  std::int32_t clientHeight = 0;
  Rect icon;  // client coordinates
  Rect text;
  Rect button;
};

inline MessageDialogLayout LayOutMessageDialog(std::int32_t textWidth, std::int32_t textHeight,
                                               std::int32_t iconSize, int dpi) {
  const std::int32_t margin = ScaleForDpi(12, dpi);
  const std::int32_t buttonWidth = ScaleForDpi(75, dpi);
  const std::int32_t buttonHeight = ScaleForDpi(25, dpi);
  MessageDialogLayout layout;
  layout.icon = RectFromSize(margin, margin, iconSize, iconSize);
  layout.text = RectFromSize(layout.icon.right + margin, margin, textWidth, textHeight);
  layout.clientWidth = std::max(layout.text.right + margin, buttonWidth + 2 * margin);
  layout.clientHeight = margin + std::max(textHeight, iconSize) + margin + buttonHeight + margin;
  layout.button =
      RectFromSize((layout.clientWidth - buttonWidth) / 2,
                   layout.clientHeight - margin - buttonHeight, buttonWidth, buttonHeight);
  return layout;
}

class TSystemControl;

class TMessageForm : public TForm {
 public:
  // The box's controls are made and laid out for the DPI of the primary screen it is centred on.
  TMessageForm(TApplication& application, std::string text, std::string caption);

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;

 private:
  // Places the controls for the DPI, with the icon and the font of that DPI; returns the layout.
  MessageDialogLayout LayOut(int dpi);
  // The window's outer size for the layout at the box's DPI.
  Rect OuterFor(const MessageDialogLayout& layout);

  std::string text_;
  TSystemControl* icon_ = nullptr;
  TSystemControl* label_ = nullptr;
  TSystemControl* ok_ = nullptr;
  int dpi_ = 96;
};

}  // namespace tavilune
