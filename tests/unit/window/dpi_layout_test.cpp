// The layouts the program designs at 96 DPI, on monitors at 100, 125, 150 and 200 %: the about
// box, the information dialog's rule and the preview window's default size.
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/message_form.h"
#include "forms/messages.h"
#include "picture_dialog/preview_window.h"
#include "window/about_box.h"
#include "window_fixture.h"

namespace tavilune::testing {
namespace {

struct DpiRow {
  int dpi;
  ClientSize about;  // the about box's client area
  int fontHeight;    // its labels' font, pixels
  Rect credit;       // Label2
  int iconSize;      // the system's at this DPI (the fake's: 32 scaled)
  int textLeft;      // the information dialog's text, for a 300 x 40 text
  Rect button;
  ClientSize message;
  ClientSize preview;  // the preview window's default outer size
};

const DpiRow kRows[] = {
    {96, {231, 81}, 12, {8, 24, 185, 36}, 32, 56, {146, 64, 221, 89}, {368, 101}, {320, 240}},
    {120, {289, 101}, 15, {10, 30, 231, 45}, 40, 70, {145, 70, 239, 101}, {385, 116}, {400, 300}},
    {144, {347, 122}, 18, {12, 36, 278, 54}, 48, 84, {144, 84, 257, 122}, {402, 140}, {480, 360}},
    {192, {462, 162}, 24, {16, 48, 370, 72}, 64, 112, {143, 112, 293, 162}, {436, 186}, {640, 480}},
};

class DpiLayoutTest : public WindowFixture {
 protected:
  // The outer size of a captioned window with this client size at the fake's DPI.
  ClientSize Outer(ClientSize client) {
    const Rect outer = windows.OuterForClient(Rect{0, 0, client.width, client.height},
                                              msg::kStyleCaption, 0, windows.dpi);
    return ClientSize{outer.Width(), outer.Height()};
  }
  WindowHandle Child(TForm& box, const std::string& title) {
    for (auto& [handle, window] : windows.windows) {
      if (window.spec.parent == box.Handle() && window.spec.title == title) return handle;
    }
    return 0;
  }
  // The font height last given to the window ("SetFont <window> <face> <height> <charset>").
  int FontHeightOf(WindowHandle window) {
    const std::string prefix = "SetFont " + std::to_string(window) + " ";
    int height = 0;
    for (const std::string& line : windows.log) {
      if (line.rfind(prefix, 0) != 0) continue;
      const std::string sized = line.substr(0, line.rfind(' '));
      height = std::stoi(sized.substr(sized.rfind(' ') + 1));
    }
    return height;
  }
};

TEST_F(DpiLayoutTest, BoxesAndThePreviewWindowScaleTheirDesignToTheMonitorsDpi) {
  for (const DpiRow& row : kRows) {
    SCOPED_TRACE(row.dpi);
    windows.dpi = row.dpi;
    TForm2 about(app);
    const WindowHandle credit = Child(about, TForm2::kCredit);
    ASSERT_NE(credit, 0u);
    const ClientSize outer = Outer(row.about);
    EXPECT_EQ(about.BoundsRect(), RectFromSize(640 - outer.width / 2, 512 - outer.height / 2,
                                               outer.width, outer.height));
    EXPECT_EQ(windows.Window(credit).bounds, row.credit);
    EXPECT_EQ(FontHeightOf(credit), row.fontHeight);

    TMessageForm box(app, "text", u8"情報");  // the fake measures every text 300 x 40
    const Rect icon = windows.Window(Child(box, "")).bounds;
    const Rect text = windows.Window(Child(box, "text")).bounds;
    EXPECT_EQ(icon.Width(), row.iconSize);
    EXPECT_EQ(text.left, row.textLeft);
    EXPECT_GE(text.left, icon.right + ScaleForDpi(12, row.dpi));
    EXPECT_EQ(windows.Window(Child(box, "OK")).bounds, row.button);
    EXPECT_EQ((ClientSize{box.Width(), box.Height()}), Outer(row.message));

    TPicture empty;
    TPreviewForm preview(nullptr, app, empty, 0);
    EXPECT_EQ(Outer(preview.Client()), row.preview);
  }
}

TEST_F(DpiLayoutTest, BoxesMovedToAnotherDpiTakeTheSuggestedPlaceAndLayOutAgain) {
  TForm2 about(app);
  const WindowHandle credit = Child(about, TForm2::kCredit);
  Rect suggested = RectFromSize(300, 200, 359, 140);
  windows.Deliver(about.Handle(), msg::kDpiChanged, 144 << 16 | 144,
                  reinterpret_cast<std::intptr_t>(&suggested));
  EXPECT_EQ(windows.Window(about.Handle()).bounds, suggested);
  EXPECT_EQ(windows.Window(credit).bounds, kRows[2].credit);
  EXPECT_EQ(FontHeightOf(credit), 18);

  // The information box fits itself to its content laid out again, whatever size is suggested.
  TMessageForm box(app, "text", u8"情報");
  windows.Deliver(box.Handle(), msg::kDpiChanged, 144 << 16 | 144,
                  reinterpret_cast<std::intptr_t>(&suggested));
  windows.dpi = 144;
  const ClientSize fitted = Outer(kRows[2].message);
  EXPECT_EQ(windows.Window(box.Handle()).bounds,
            RectFromSize(suggested.left, suggested.top, fitted.width, fitted.height));
  EXPECT_EQ(windows.Window(Child(box, "OK")).bounds, kRows[2].button);
  EXPECT_NE(std::find(windows.log.begin(), windows.log.end(),
                      "SetMessageFont " + std::to_string(Child(box, "OK")) + " 144"),
            windows.log.end());
}

}  // namespace
}  // namespace tavilune::testing
