#include "window/about_box.h"

#include "forms/application.h"
#include "forms/messages.h"
#include "platform/dpi.h"
#include "tavilune_version.h"

namespace tavilune {

namespace {

constexpr const char* kFontFace = u8"ＭＳ Ｐゴシック";
constexpr int kFontHeight = 12;
constexpr int kShiftJisCharset = 128;
constexpr std::uint32_t kStaticNoPrefix = 0x0080;    // SS_NOPREFIX
constexpr std::uint32_t kStaticSingleLine = 0x000C;  // SS_LEFTNOWORDWRAP: clipped, never wrapped
constexpr std::uint32_t kStaticBitmap = 0x000E;      // SS_BITMAP
// With SS_BITMAP: the bitmap is stretched to the control, which keeps its size, so that the
// emblem grows with the box.
constexpr std::uint32_t kStaticRealSizeControl = 0x0040;  // SS_REALSIZECONTROL

}  // namespace

const char* const TForm2::kCredit = u8"Tavilune " TAVILUNE_VERSION_SHORT u8"  作：月見坂工房";
const char* const TForm2::kThanked = u8"ひなた、そら";

TStaticControl::TStaticControl(TWinControl* parent, TApplication& application, std::string name,
                               const Rect& designBounds, std::string text, bool bitmap)
    : TWinControl(parent, application), designBounds_(designBounds), bitmap_(bitmap) {
  SetName(std::move(name));
  SetParent(parent);
  SetBounds(designBounds.left, designBounds.top, designBounds.Width(), designBounds.Height());
  SetCaption(std::move(text));
  UpdateVisibleFromSystem(true);
}

void TStaticControl::LayOut(int dpi) {
  const bool fontChanged = dpi != dpi_;
  dpi_ = dpi;
  const Rect bounds = ScaleForDpi(designBounds_, dpi);
  SetBounds(bounds.left, bounds.top, bounds.Width(), bounds.Height());
  if (fontChanged && HandleAllocated()) ApplyFont();
}

WindowSpec TStaticControl::CreateParams() {
  WindowSpec spec = TWinControl::CreateParams();
  spec.className = "STATIC";
  spec.systemClass = true;
  // A bitmap static names its bitmap resource in its text.
  spec.style |=
      bitmap_ ? kStaticBitmap | kStaticRealSizeControl : kStaticNoPrefix | kStaticSingleLine;
  return spec;
}

void TStaticControl::CreateWnd() { ApplyFont(); }

void TStaticControl::ApplyFont() {
  if (!bitmap_) {
    Windows().SetFont(Handle(), kFontFace, ScaleForDpi(kFontHeight, dpi_), kShiftJisCharset);
  }
}

TForm2::TForm2(TApplication& application) : TForm(&application, application) {
  SetName("Form2");
  SetCaption(u8"Taviluneについて");
  SetBorderStyle(BorderStyle::kDialog);
  controls_ = {
      new TStaticControl(this, application, "Image1", RectFromSize(192, 8, 32, 32), "EMBLEM", true),
      new TStaticControl(this, application, "Label2", RectFromSize(8, 24, 177, 12), kCredit),
      new TStaticControl(this, application, "Label3", RectFromSize(8, 48, 82, 12),
                         u8"Special Thanx： "),
      new TStaticControl(this, application, "Label5", RectFromSize(96, 48, 71, 12), kThanked),
      new TStaticControl(this, application, "Label4", RectFromSize(96, 64, 104, 12),
                         "and ... for your lover!"),
  };
  // FormCreate: the middle of the screen, once; later showings keep this place. The box is
  // laid out for the DPI of the screen it goes to.
  const Rect screen = Windows().Monitors().front().bounds;
  dpi_ = Windows().DpiNearest(screen);
  for (TStaticControl* control : controls_) control->LayOut(dpi_);
  WindowSpec spec = CreateParams();
  Rect outer = Windows().OuterForClient(
      Rect{0, 0, ScaleForDpi(kClientWidth, dpi_), ScaleForDpi(kClientHeight, dpi_)}, spec.style,
      spec.exStyle, dpi_);
  const std::int32_t width = outer.Width();
  const std::int32_t height = outer.Height();
  SetBounds(0, 0, width, height);
  SetTop(screen.Height() / 2 - height / 2);
  SetLeft(screen.Width() / 2 - width / 2);
}

WindowSpec TForm2::CreateParams() {
  WindowSpec spec = TForm::CreateParams();
  spec.className = "TForm2";
  return spec;
}

void TForm2::CreateWnd() {
  TForm::CreateWnd();
  for (TStaticControl* control : controls_) control->Handle();
}

bool TForm2::WndProc(const WindowMessage& message, std::intptr_t& result) {
  if (message.message == msg::kDpiChanged) {
    // Moved to a monitor of another DPI: the system suggests the place and size the box has
    // there; its controls and their font follow.
    dpi_ = msg::SignedHigh(static_cast<std::intptr_t>(message.wParam));
    const Rect suggested = msg::RectAt(message.lParam);
    SetBounds(suggested.left, suggested.top, suggested.Width(), suggested.Height());
    for (TStaticControl* control : controls_) control->LayOut(dpi_);
    result = 0;
    return true;
  }
  return TForm::WndProc(message, result);
}

}  // namespace tavilune
