#include "window/about_box.h"

#include "forms/application.h"
#include "forms/messages.h"

namespace tavilune {

namespace {

constexpr const char* kFontFace = u8"ＭＳ Ｐゴシック";
constexpr int kFontHeight = 12;
constexpr int kShiftJisCharset = 128;
constexpr std::uint32_t kStaticNoPrefix = 0x0080;    // SS_NOPREFIX
constexpr std::uint32_t kStaticSingleLine = 0x000C;  // SS_LEFTNOWORDWRAP: clipped, never wrapped
constexpr std::uint32_t kStaticBitmap = 0x000E;      // SS_BITMAP

}  // namespace

const char* const TForm2::kCredit = u8"Tavilune 1.0  作：月見坂工房";
const char* const TForm2::kThanked = u8"ひなた、そら";

TStaticControl::TStaticControl(TWinControl* parent, TApplication& application, std::string name,
                               const Rect& bounds, std::string text, bool bitmap)
    : TWinControl(parent, application), bitmap_(bitmap) {
  SetName(std::move(name));
  SetParent(parent);
  SetBounds(bounds.left, bounds.top, bounds.Width(), bounds.Height());
  SetCaption(std::move(text));
  UpdateVisibleFromSystem(true);
}

WindowSpec TStaticControl::CreateParams() {
  WindowSpec spec = TWinControl::CreateParams();
  spec.className = "STATIC";
  spec.systemClass = true;
  // A bitmap static names its bitmap resource in its text.
  spec.style |= bitmap_ ? kStaticBitmap : kStaticNoPrefix | kStaticSingleLine;
  return spec;
}

void TStaticControl::CreateWnd() {
  if (!bitmap_) Windows().SetFont(Handle(), kFontFace, kFontHeight, kShiftJisCharset);
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
  // FormCreate: the middle of the screen, once; later showings keep this place.
  WindowSpec spec = CreateParams();
  Rect outer =
      Windows().OuterForClient(Rect{0, 0, kClientWidth, kClientHeight}, spec.style, spec.exStyle);
  const Rect screen = Windows().Monitors().front().bounds;
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

}  // namespace tavilune
