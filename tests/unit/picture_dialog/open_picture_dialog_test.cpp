#include "picture_dialog/open_picture_dialog.h"

#include <gtest/gtest.h>

#include "fakes/fake_canvas.h"
#include "fakes/fake_color_management.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_window_system.h"
#include "fakes/scratch_folder.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/messages.h"
#include "picture/jpeg_image.h"
#include "picture/picture_formats.h"
#include "picture_dialog/preview_glyph.h"
#include "picture_dialog/preview_window.h"
#include "platform/files.h"
#include "unit/picture/bitmap_builder.h"
#include "unit/picture/jpeg_files.h"

namespace tavilune::testing {
namespace {

constexpr const char* kPhoto = "C:\\pics\\photo.bmp";  // 640 x 480
constexpr const char* kTiny = "C:\\pics\\tiny.bmp";    // 16 x 16
constexpr const char* kWide = "C:\\pics\\wide.bmp";    // 300 x 20
constexpr const char* kFolder = "C:\\pics\\folder.bmp";
constexpr const char* kText = "C:\\pics\\notes.txt";
constexpr const char* kPng = "C:\\pics\\picture.png";
constexpr const char* kOld = "C:\\pics\\old.bmp";
constexpr const char* kLocked = "C:\\pics\\locked.bmp";
constexpr const char* kFake = "C:\\pics\\text.bmp";
constexpr const char* kMissing = "C:\\pics\\gone.bmp";
constexpr const char* kJpeg = "C:\\pics\\photo.jpg";
constexpr const char* kDamagedJpeg = "C:\\pics\\damaged.jpg";
constexpr const char* kUprightJpeg = "C:\\pics\\upright.jpg";

std::string Str(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The colour of a 24-bit pixel, as 0x00RRGGBB.
Color PixelAt(const Dib& dib, int x, int y) {
  const std::uint8_t* p = dib.Row(y) + 3 * x;
  return static_cast<Color>(p[2] | p[1] << 8 | p[0] << 16);
}

// An EXIF block after the start saying orientation 6: a photo taken upright, stored on its side.
std::string WithOrientationSix(const std::string& bytes) {
  const char exif[] =
      "\xFF\xE1\x00\x22"
      "Exif\0\0II\x2A\0\x08\0\0\0\x01\0"
      "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0";
  return bytes.substr(0, 2) + std::string(exif, sizeof exif - 1) + bytes.substr(2);
}

// Remembers the windows made, so that a test can see a window that is gone again.
class RecordingWindows : public FakeWindowSystem {
 public:
  WindowHandle CreateNativeWindow(const WindowSpec& spec, WindowListener* listener) override {
    created.push_back(spec);
    WindowHandle handle = FakeWindowSystem::CreateNativeWindow(spec, listener);
    if (onCreated) onCreated(handle, spec);
    return handle;
  }
  std::vector<WindowSpec> created;
  std::function<void(WindowHandle, const WindowSpec&)> onCreated;

  std::vector<WindowSpec> Titled(const std::string& title) const {
    std::vector<WindowSpec> found = created;
    std::erase_if(found, [&](const WindowSpec& spec) { return spec.title != title; });
    return found;
  }
};

class OpenPictureDialogTest : public ::testing::Test {
 protected:
  // The template's client area and the system controls' placeholder: the preview area is
  // 170 x 356 pixels at (400, 4).
  static constexpr Rect kTemplateClient{0, 0, 570, 360};
  static constexpr Rect kPlaceholder{0, 0, 400, 330};
  // Inside the area: label (6,6)-(164,29), box panel (6,29)-(164,350), picture box inside its
  // two bevels (8,31)-(162,348), 154 x 317; the button 23 x 22 at (139, 1).
  static constexpr Rect kBox{8, 31, 162, 348};
  static constexpr Rect kButton{139, 1, 162, 23};

  OpenPictureDialogTest() {
    ResetFileFormats();
    RegisterJpegPictureFormats();
    SetUpMainWindowPictureFormats(JpegPictureClass());
    app.Initialize();
    app.SetTitle("Tavilune");
    // The main window comes first, so that the preview window never becomes the main one.
    mainForm = new TForm(&app, app);
    mainForm->SetBounds(100, 100, 300, 200);

    for (auto [path, width, height] : {std::tuple{kPhoto, 640, 480},
                                       {kTiny, 16, 16},
                                       {kWide, 300, 20},
                                       {kPng, 8, 8},
                                       {kLocked, 8, 8}}) {
      files.AddFile(path, FlatBitmapFile(width, height, 0x40));
    }
    files.AddFile(kOld, FlatBitmapFile(8, 8, 0x40), 1979);
    files.SetAttributesReadable(kLocked, false);
    files.AddFolder(kFolder);
    files.AddFile(kText, "just some words\r\n");
    files.AddFile(kFake, "not a bitmap at all");
    const std::vector<std::uint8_t> jpeg = JpegFile("baseline_420.jpg");
    files.AddFile(kJpeg, Str(jpeg));
    files.AddFile(kDamagedJpeg, Str(WithStrayScan(jpeg)));
    files.AddFile(kUprightJpeg, WithOrientationSix(Str(jpeg)));

    WindowSpec system;
    system.className = "#32770";
    system.style = msg::kStylePopup | msg::kStyleCaption | msg::kStyleVisible;
    system.bounds = RectFromSize(10, 20, 600, 400);
    dialogWindow = windows.CreateNativeWindow(system, nullptr);
    WindowSpec inner;
    inner.className = "#32770";
    inner.style = msg::kStyleChild;
    inner.bounds = kTemplateClient;
    inner.parent = dialogWindow;
    templateWindow = windows.CreateNativeWindow(inner, nullptr);
    dialogs.pictureLayout =
        OpenFileDialogLayout{dialogWindow, templateWindow, kTemplateClient, kPlaceholder};

    dialog = new TOpenPictureDialog(mainForm, app, platform);
    dialog->SetFilter(u8"画像ファイル (*.bmp,*jpg)|*.bmp;*.jpg");
    windows.onPaint = [this](WindowHandle, const std::function<void(Canvas&)>& painter) {
      painter(canvas);
    };
  }
  ~OpenPictureDialogTest() override { ResetFileFormats(); }

  // Runs the dialog with the script inside it; the user then cancels.
  bool Run(std::function<void(FakeFileDialogSite&)> script) {
    dialogs.onPictureDialog = [this, script](OpenFilePreview& preview, FakeFileDialogSite& site) {
      preview_ = &preview;
      if (script) script(site);
    };
    return dialog->Execute();
  }
  void Select(FakeFileDialogSite& site, std::optional<std::string> path) {
    site.Select(*preview_, std::move(path));
  }
  // Paints the window into the fixture's canvas, forgetting what was painted before.
  void Paint(WindowHandle window) {
    canvas.calls.clear();
    windows.Deliver(window, msg::kPaint);
  }
  void PaintArea() { Paint(dialog->PreviewWindow()); }
  std::vector<FakeCanvas::Record> Calls(FakeCanvas::Call call) const {
    std::vector<FakeCanvas::Record> found = canvas.calls;
    std::erase_if(found, [call](const auto& record) { return record.call != call; });
    return found;
  }
  int OpensOf(const std::string& path) const {
    return static_cast<int>(std::ranges::count_if(files.Calls(), [&](const FileCall& call) {
      return call.operation == FileOperation::kOpen && call.path == path;
    }));
  }
  void ExpectNoPicture() {
    EXPECT_EQ(dialog->PictureLabel().caption, u8"画像:");
    EXPECT_FALSE(dialog->PreviewButton().enabled);
    EXPECT_EQ(dialog->PaintPanel().caption, u8"(なし)");
    EXPECT_EQ(dialog->PreviewPicture().Graphic(), nullptr);
    EXPECT_EQ(windows.Window(dialog->PreviewWindow()).spec.title, u8"画像:");
    EXPECT_TRUE(windows.messageBoxes.empty());
  }
  // A mouse message's position (both non-negative here).
  static std::intptr_t At(int x, int y) { return std::intptr_t{y} << 16 | (x & 0xFFFF); }

  RecordingWindows windows;
  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeColorManagement colors;
  Platform platform{windows, files, dialogs, shell, colors};
  TApplication app{windows};
  TForm* mainForm = nullptr;
  TOpenPictureDialog* dialog = nullptr;
  WindowHandle dialogWindow = 0;
  WindowHandle templateWindow = 0;
  FakeCanvas canvas;
  OpenFilePreview* preview_ = nullptr;
};

// ---- What a selection shows.

TEST_F(OpenPictureDialogTest, APictureShowsItsSizeEnablesTheButtonAndFitsIntoTheBox) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kPhoto);
    EXPECT_EQ(dialog->PictureLabel().caption, " (640x480)");
    EXPECT_TRUE(dialog->PreviewButton().enabled);
    EXPECT_EQ(dialog->PaintPanel().caption, "");
    // The area's window text is the label's caption, for screen readers.
    EXPECT_EQ(windows.Window(dialog->PreviewWindow()).spec.title, " (640x480)");
    EXPECT_EQ(dialog->PreviewButton().bounds, kButton);
    EXPECT_EQ(dialog->PaintBox().bounds, kBox);
    EXPECT_EQ(dialog->PaintBox().DestRect(), (Rect{8, 132, 162, 247}));

    PaintArea();
    // 640 x 480 reduced to the box's width: 154 x 115, centred in its height.
    std::vector<FakeCanvas::Record> pictures = Calls(FakeCanvas::Call::kDrawDib);
    ASSERT_EQ(pictures.size(), 1u);  // this fixture's button has no glyph
    EXPECT_EQ(pictures[0].rect, (Rect{8, 132, 162, 247}));
    std::vector<FakeCanvas::Record> texts = Calls(FakeCanvas::Call::kDrawText);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, " (640x480)");
    EXPECT_EQ(texts[0].rect, (Rect{6, 6, 164, 29}));
    EXPECT_EQ(texts[0].textStyle.align, TextAlign::kLeft);
  });
  EXPECT_TRUE(windows.messageBoxes.empty());
}

// Small, wide and turned pictures are enlarged to touch two edges of the box, keeping their ratio
// and centred; an icon reached by a typed pattern previews like any registered format.
TEST_F(OpenPictureDialogTest, EveryPictureShowsItsSizeAndTouchesTwoEdgesOfTheBox) {
  // One 16 x 16 image of 32 bits per pixel, its info header telling the depth.
  Bytes icon;
  icon.U16(0).U16(1).U16(1);
  icon.U8(16).U8(16).U8(0).U8(0).U16(1).U16(32).U32(16).U32(22);
  icon.U32(40).Fill(10).U16(32);
  files.AddFile("C:\\pics\\sign.ico", icon.Str());
  const struct {
    const char* path;
    const char* label;
    Rect shown;
    FakeCanvas::Call drawn = FakeCanvas::Call::kDrawDib;
  } rows[] = {
      // A square fills the box's width: 154 x 154, centred in its 317-pixel height.
      {kTiny, " (16x16)", {8, 112, 162, 266}},
      // 300 x 20: 154 wide, 154 / 15 = 10.26 high, cut to 10.
      {kWide, " (300x20)", {8, 184, 162, 194}},
      // Stored 67 x 45 on its side (orientation 6): 45 x 67 enlarged to 154 x 229.
      {kUprightJpeg, " (45x67)", {8, 75, 162, 304}},
      {"C:\\pics\\sign.ico", " (16x16)", {8, 112, 162, 266}, FakeCanvas::Call::kDrawIcon},
  };
  Run([&](FakeFileDialogSite& site) {
    for (const auto& row : rows) {
      SCOPED_TRACE(row.path);
      Select(site, row.path);
      EXPECT_EQ(dialog->PictureLabel().caption, row.label);
      EXPECT_TRUE(dialog->PreviewButton().enabled);
      EXPECT_EQ(dialog->PaintBox().DestRect(), row.shown);
      PaintArea();
      EXPECT_EQ(Calls(row.drawn).at(0).rect, row.shown);
    }
  });
}

// The preview window of an upright photo is upright too: 45 x 67 and the panel's 12, in the
// fake's frame.
TEST_F(OpenPictureDialogTest, AnUprightPhotosPreviewWindowIsUprightToo) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kUprightJpeg);
    dialog->ShowPreviewWindow();
  });
  const std::vector<WindowSpec> shown = windows.Titled(u8"プレビュー");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].bounds, RectFromSize((1280 - 65) / 2, (1024 - 107) / 2, 65, 107));
}

struct NoPictureCase {
  const char* name;
  const char* path;
};

class NoPictureTest : public OpenPictureDialogTest,
                      public ::testing::WithParamInterface<NoPictureCase> {};

TEST_P(NoPictureTest, ShowsNoPictureSilently) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kPhoto);
    Select(site, GetParam().path);
    ExpectNoPicture();
    EXPECT_EQ(dialog->LastFileName(), GetParam().path);
    PaintArea();
    EXPECT_TRUE(Calls(FakeCanvas::Call::kDrawDib).empty());
  });
  EXPECT_TRUE(windows.messageBoxes.empty());
}

const NoPictureCase kNoPictureCases[] = {{"Folder", kFolder},
                                         {"TextFile", kText},
                                         {"UnregisteredExtension", kPng},
                                         {"WrittenBefore1980", kOld},
                                         {"UnreadableAttributes", kLocked},
                                         {"NoBitmapInside", kFake},
                                         {"Missing", kMissing}};
INSTANTIATE_TEST_SUITE_P(Files, NoPictureTest, ::testing::ValuesIn(kNoPictureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PreviewCandidateTest, DatesOfTheOld16BitRangeAndReadableAttributesCount) {
  FakeFileSystem files;
  files.AddFile("C:\\a.bmp", "", 1980);
  files.AddFile("C:\\b.bmp", "", 2107);
  files.AddFile("C:\\c.bmp", "", 2108);
  files.AddFile("C:\\d.bmp", "", std::nullopt);
  files.AddFile("C:\\e.bmp", "", 2000);
  files.SetAttributesReadable("C:\\e.bmp", false);
  files.AddFolder("C:\\f.bmp");
  for (const char* path : {"C:\\a.bmp", "C:\\b.bmp"}) EXPECT_TRUE(IsPreviewCandidate(files, path));
  for (const char* path : {"C:\\c.bmp", "C:\\d.bmp", "C:\\e.bmp", "C:\\f.bmp", "C:\\none.bmp"}) {
    EXPECT_FALSE(IsPreviewCandidate(files, path)) << path;
  }
  EXPECT_TRUE(FileExistsAt(files, "C:\\e.bmp"));  // start-up does not ask for the attributes
}

TEST_F(OpenPictureDialogTest, ReselectingTheSamePathDoesNotReload) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kPhoto);
    Select(site, kPhoto);
    Select(site, kPhoto);
    EXPECT_EQ(OpensOf(kPhoto), 1);
    Select(site, kTiny);
    Select(site, kPhoto);
    EXPECT_EQ(OpensOf(kPhoto), 2);
    EXPECT_EQ(dialog->PictureLabel().caption, " (640x480)");
    // Nothing selected (a click on empty space) counts as a change too.
    Select(site, std::nullopt);
    ExpectNoPicture();
  });
}

TEST_F(OpenPictureDialogTest, EveryOpeningStartsEmptyButKeepsLabelAndButtonUntilTheFirstChange) {
  Run([&](FakeFileDialogSite& site) {
    EXPECT_EQ(dialog->PictureLabel().caption, "");  // never set before the first change
    EXPECT_FALSE(dialog->PreviewButton().enabled);
    EXPECT_EQ(dialog->PaintPanel().caption, u8"(なし)");
    Select(site, kPhoto);
  });
  EXPECT_EQ(dialog->PreviewWindow(), 0u);
  Run([&](FakeFileDialogSite& site) {
    EXPECT_EQ(dialog->PreviewPicture().Graphic(), nullptr);
    EXPECT_EQ(dialog->PaintPanel().caption, u8"(なし)");
    EXPECT_EQ(dialog->PictureLabel().caption, " (640x480)");
    EXPECT_TRUE(dialog->PreviewButton().enabled);
    // The same file as last time is a change in this opening.
    Select(site, kPhoto);
    EXPECT_EQ(OpensOf(kPhoto), 2);
  });
}

// ---- Painting and its failures.

TEST_F(OpenPictureDialogTest, DamagedJpegDataShowsInTheBoxInsteadOfAnErrorBox) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kDamagedJpeg);
    EXPECT_EQ(dialog->PictureLabel().caption, " (67x45)");  // the header is sound
    EXPECT_TRUE(dialog->PreviewButton().enabled);
    windows.invalidated.clear();
    PaintArea();
    EXPECT_EQ(dialog->PaintPanel().caption, u8"画像が不正です");
    // The new caption is painted at once, and the area still reads as the label.
    ASSERT_FALSE(windows.invalidated.empty());
    EXPECT_EQ(windows.invalidated.back(), dialog->PreviewWindow());
    EXPECT_EQ(windows.Window(dialog->PreviewWindow()).spec.title, " (67x45)");
    EXPECT_TRUE(windows.messageBoxes.empty());

    // From then on the rows decoded before the failure are drawn over the caption.
    PaintArea();
    std::vector<FakeCanvas::Record> texts = Calls(FakeCanvas::Call::kDrawText);
    ASSERT_FALSE(texts.empty());
    auto caption = std::ranges::find(texts, u8"画像が不正です", &FakeCanvas::Record::text);
    ASSERT_NE(caption, texts.end());
    EXPECT_EQ(caption->rect, kBox);
    EXPECT_TRUE(caption->textStyle.verticalCenter);
    EXPECT_EQ(caption->textStyle.align, TextAlign::kCenter);
    ASSERT_EQ(Calls(FakeCanvas::Call::kDrawDib).size(), 1u);
    EXPECT_TRUE(windows.messageBoxes.empty());

    // A sound picture afterwards clears the caption.
    Select(site, kJpeg);
    EXPECT_EQ(dialog->PaintPanel().caption, "");
  });
}

TEST_F(OpenPictureDialogTest, JpegDecodesOnFirstDrawAndShowsRowsAsTheyCome) {
  Run([&](FakeFileDialogSite& site) {
    Select(site, kJpeg);
    auto* jpeg = dynamic_cast<TJPEGImage*>(dialog->PreviewPicture().Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_FALSE(jpeg->Decoded());
    // A clock that moves 130 ms per reading, one reading a row: a report every fourth row, each
    // with enough new rows to ask for a redraw. As it is read only while decoding, it also tells
    // how much was drawn before the decode ended.
    std::uint32_t now = 0;
    std::size_t drawnWhileDecoding = 0;
    jpeg->SetTickSource([&] {
      drawnWhileDecoding = Calls(FakeCanvas::Call::kDrawDib).size();
      return now += 130;
    });
    PaintArea();
    EXPECT_TRUE(jpeg->Decoded());
    EXPECT_GE(drawnWhileDecoding, 5u);
    std::vector<FakeCanvas::Record> draws = Calls(FakeCanvas::Call::kDrawDib);
    // The rows so far during the decode, then the whole picture.
    ASSERT_GT(draws.size(), drawnWhileDecoding);
    // 67 x 45 enlarged to the box's width: 154 x 103.
    for (std::size_t i = 0; i < draws.size(); ++i) {
      EXPECT_EQ(draws[i].rect, (Rect{8, 138, 162, 241})) << i;
    }
    EXPECT_EQ(dialog->PaintPanel().caption, "");

    // Decoded once: the next paint draws once.
    PaintArea();
    EXPECT_EQ(Calls(FakeCanvas::Call::kDrawDib).size(), 1u);
  });
}

// ---- The area, its button and the preview window.

TEST_F(OpenPictureDialogTest, TheAreaSitsRightOfThePlaceholderWithItsButtonAtTheRightEnd) {
  Run([&](FakeFileDialogSite& site) {
    const FakeWindow& area = windows.Window(dialog->PreviewWindow());
    EXPECT_EQ(area.spec.parent, templateWindow);
    EXPECT_EQ(area.bounds, (Rect{400, 4, 570, 360}));
    EXPECT_TRUE(area.visible);
    EXPECT_TRUE(area.spec.style & msg::kStyleChild);
    EXPECT_EQ(dialog->PreviewButton().bounds, kButton);
    EXPECT_EQ(dialog->PaintBox().bounds, kBox);
    ASSERT_EQ(site.hints.size(), 1u);
    EXPECT_EQ(site.hints[0].window, dialog->PreviewWindow());
    EXPECT_EQ(site.hints[0].area, kButton);
    EXPECT_EQ(site.hints[0].text, u8"プレビュー");
  });
  EXPECT_EQ(PreviewAreaBounds(Rect{0, 0, 100, 50}, Rect{0, 0, 120, 40}), (Rect{120, 4, 120, 50}));
}

TEST_F(OpenPictureDialogTest, TheButtonDrawsItsGlyphGreyedUntilAPictureIsSelected) {
  // A 2 x 2 glyph: black, white / transparent olive, black (bottom row first in the file).
  Bytes packed;
  packed.U32(40).I32(2).I32(2).U16(1).U16(4).U32(0).U32(8).U32(0).U32(0).U32(16).U32(0);
  for (std::uint32_t c : {0x000000u, 0xFFFFFFu, 0x808000u}) {  // 0x00RRGGBB
    packed.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8(c >> 16).U8(0);
  }
  packed.Fill(13 * 4);
  packed.U8(0x20).Fill(3).U8(0x01).Fill(3);  // bottom row: olive, black; top: black, white
  dialogs.pictureSite.resources["PREVIEWGLYPH"] = packed.Get();
  Run([&](FakeFileDialogSite& site) {
    PaintArea();
    std::vector<FakeCanvas::Record> faces = Calls(FakeCanvas::Call::kDrawDib);
    ASSERT_EQ(faces.size(), 1u);
    // Centred in the button; its colours are checked through ButtonGlyph below.
    EXPECT_EQ(faces[0].rect, RectFromSize(139 + 10, 1 + 10, 2, 2));
    Select(site, kPhoto);
    PaintArea();
    EXPECT_EQ(Calls(FakeCanvas::Call::kDrawDib).size(), 2u);
  });
  ButtonGlyph glyph = ButtonGlyphFromResource(packed.Get());
  ASSERT_EQ(glyph.Width(), 2);
  EXPECT_EQ(glyph.At(0, 0), 0x000000);
  EXPECT_EQ(glyph.At(1, 0), 0xFFFFFF);
  EXPECT_EQ(glyph.At(0, 1), 0x008080);  // olive, as 0x00BBGGRR
  const Color face = 0xC0C0C0, light = 0xFFFFFF, shadow = 0x808080;
  Dib enabled = glyph.OnFace(true, face, light, shadow);
  EXPECT_EQ(PixelAt(enabled, 0, 0), 0x000000);
  EXPECT_EQ(PixelAt(enabled, 1, 0), 0xFFFFFF);
  EXPECT_EQ(PixelAt(enabled, 0, 1), face);  // the transparent colour shows the face
  Dib disabled = glyph.OnFace(false, face, light, shadow);
  EXPECT_EQ(PixelAt(disabled, 0, 0), shadow);  // dark pixels in the shadow colour
  EXPECT_EQ(PixelAt(disabled, 1, 0), face);    // light ones vanish
  EXPECT_EQ(PixelAt(disabled, 0, 1), face);
  EXPECT_EQ(PixelAt(disabled, 1, 1), shadow);  // dark wins over the highlight of (0, 0)
  EXPECT_TRUE(ButtonGlyphFromResource(std::vector<std::uint8_t>{1, 2, 3}).Empty());
}

TEST(PreviewGlyphResourceTest, TheShippedGlyphIs16By16With16ColoursAndATransparentCorner) {
  const std::vector<std::uint8_t> file = ReadTestData("../../res/preview_glyph.bmp");
  ASSERT_GT(file.size(), 14u + 40u);
  EXPECT_EQ(file[28], 4);  // bits per pixel
  std::vector<std::uint8_t> packed(file.begin() + 14, file.end());
  ButtonGlyph glyph = ButtonGlyphFromResource(packed);
  ASSERT_EQ(glyph.Width(), 16);
  ASSERT_EQ(glyph.Height(), 16);
  Dib enabled = glyph.OnFace(true, 0x123456, 0xFFFFFF, 0x808080);
  int faceShown = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) faceShown += PixelAt(enabled, x, y) == 0x123456;
  }
  EXPECT_GT(faceShown, 0);
  EXPECT_LT(faceShown, 256);
}

TEST_F(OpenPictureDialogTest, TheButtonOpensThePreviewWindowOnlyWhenEnabledAndReleasedOverIt) {
  Run([&](FakeFileDialogSite& site) {
    const WindowHandle area = dialog->PreviewWindow();
    const std::intptr_t onButton = At(150, 10);
    windows.Deliver(area, msg::kLButtonDown, 1, onButton);
    windows.Deliver(area, msg::kLButtonUp, 0, onButton);
    EXPECT_TRUE(windows.Titled(u8"プレビュー").empty());

    Select(site, kPhoto);
    windows.Deliver(area, msg::kLButtonDown, 1, onButton);
    EXPECT_TRUE(dialog->PreviewButton().down);
    windows.Deliver(area, msg::kMouseMove, 1, At(20, 200));
    EXPECT_FALSE(dialog->PreviewButton().down);
    windows.Deliver(area, msg::kLButtonUp, 0, At(20, 200));
    EXPECT_TRUE(windows.Titled(u8"プレビュー").empty());

    windows.Deliver(area, msg::kLButtonDown, 1, onButton);
    windows.Deliver(area, msg::kLButtonUp, 0, onButton);
    ASSERT_EQ(windows.Titled(u8"プレビュー").size(), 1u);
    EXPECT_FALSE(dialog->PreviewButton().down);
    // Shown modally and gone again; the file dialog was disabled meanwhile and is usable now.
    EXPECT_TRUE(windows.WindowsTitled(u8"プレビュー").empty());
    EXPECT_TRUE(windows.IsWindowEnabled(dialogWindow));
  });
}

TEST_F(OpenPictureDialogTest, PreviewWindowTakesThePictureSizeUpToThreeQuartersOfTheMonitor) {
  std::intptr_t ownerSet = 0;
  WindowHandle activeAfterwards = 0;
  Run([&](FakeFileDialogSite& site) {
    Select(site, kPhoto);
    windows.active = dialogWindow;
    dialog->ShowPreviewWindow();
    // The file dialog was enabled again before the preview hid, so the activation came back to
    // it rather than going to another program's window.
    activeAfterwards = windows.active;
  });
  std::vector<WindowSpec> shown = windows.Titled(u8"プレビュー");
  ASSERT_EQ(shown.size(), 1u);
  // The fake's tool-window frame is 4 pixels on each side and a 20-pixel caption: 640 x 480
  // plus the panel's line (2) and margins (10) makes a client of 652 x 492, centred.
  EXPECT_EQ(shown[0].bounds, RectFromSize((1280 - 660) / 2, (1024 - 520) / 2, 660, 520));
  EXPECT_TRUE(shown[0].style & msg::kStyleThickFrame);
  EXPECT_TRUE(shown[0].exStyle & msg::kExStyleToolWindow);
  EXPECT_EQ(shown[0].className, "TPreviewForm");
  EXPECT_EQ(activeAfterwards, dialogWindow);
  for (const std::string& line : windows.log) {
    if (line.rfind("SetWindowLong ", 0) == 0 && line.find(" -8 ") != std::string::npos) {
      ownerSet = std::stoll(line.substr(line.rfind(' ') + 1));
    }
  }
  EXPECT_EQ(ownerSet, static_cast<std::intptr_t>(dialogWindow));
}

TEST_F(OpenPictureDialogTest, DoubleClickOnTheEmptyBoxOpensADefaultSizedPreviewWindow) {
  Run([&](FakeFileDialogSite&) {
    windows.Deliver(dialog->PreviewWindow(), msg::kLButtonDblClk, 1, At(50, 100));
  });
  std::vector<WindowSpec> shown = windows.Titled(u8"プレビュー");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].bounds, RectFromSize((1280 - 320) / 2, (1024 - 240) / 2, 320, 240));
}

TEST(PreviewWindowSizeTest, NaturalSizeForSmallPicturesThreeQuartersForHugeOnesDefaultWhenEmpty) {
  const Rect monitor{0, 0, 1280, 1024};
  const ClientSize client{312, 212};
  const ClientSize panelClient{310, 210};
  EXPECT_EQ(PreviewClientSize(200, 100, monitor, client, panelClient), (ClientSize{212, 112}));
  EXPECT_EQ(PreviewClientSize(4000, 3000, monitor, client, panelClient), (ClientSize{960, 768}));
  EXPECT_EQ(PreviewClientSize(4000, 50, monitor, client, panelClient), (ClientSize{960, 62}));
  EXPECT_EQ(PreviewClientSize(0, 0, monitor, client, panelClient), client);
  // Odd monitor sides: integer division.
  EXPECT_EQ(PreviewClientSize(5000, 5000, Rect{-1000, 0, -1, 767}, client, panelClient),
            (ClientSize{749, 575}));
}

TEST_F(OpenPictureDialogTest, PreviewWindowShowsThePictureAtNaturalSizeAndClosesOnEscapeOnly) {
  TPicture picture;
  LoadPicture(picture, kPhoto, files, colors);
  TPreviewForm form(nullptr, app, picture, dialogWindow);
  form.Show();
  // A client of 652 x 492: the picture's 640 x 480 exactly fits inside line and margins.
  windows.Deliver(form.Handle(), msg::kSize, 0, At(652, 492));
  Paint(form.Handle());
  ASSERT_EQ(Calls(FakeCanvas::Call::kDrawDib).size(), 1u);
  EXPECT_EQ(Calls(FakeCanvas::Call::kDrawDib)[0].rect, RectFromSize(6, 6, 640, 480));

  // Made smaller by the user, the picture refits.
  windows.Deliver(form.Handle(), msg::kSize, 0, At(332, 492));
  Paint(form.Handle());
  ASSERT_EQ(canvas.calls.back().call, FakeCanvas::Call::kDrawDib);
  EXPECT_EQ(canvas.calls.back().rect, (Rect{6, 126, 326, 366}));

  windows.Deliver(form.Handle(), msg::kChar, 'a');
  windows.Deliver(form.Handle(), msg::kChar, msg::kVkReturn);
  EXPECT_TRUE(windows.IsWindowVisible(form.Handle()));
  windows.Deliver(form.Handle(), msg::kChar, 27);
  EXPECT_FALSE(windows.IsWindowVisible(form.Handle()));
}

// ---- Opening, placing, and what the caller gets.

TEST_F(OpenPictureDialogTest, ExecuteDisablesTheProgramAndReopensOnTheChosenFile) {
  mainForm->Show();
  bool mainEnabledMeanwhile = true;
  std::string selectedMeanwhile;
  const std::string utf8 = u8"C:\\写真\\photo.bmp", ansi = "C:\\\x8e\xca\x90\x5e\\photo.bmp";
  dialogs.fileAnswers.push_back(ChosenFile{utf8, ansi, std::nullopt});
  bool confirmed = Run([&](FakeFileDialogSite& site) {
    mainEnabledMeanwhile = windows.IsWindowEnabled(mainForm->Handle());
    Select(site, kTiny);
    selectedMeanwhile = dialog->FileName();
  });
  EXPECT_TRUE(confirmed);
  EXPECT_FALSE(mainEnabledMeanwhile);
  EXPECT_TRUE(windows.IsWindowEnabled(mainForm->Handle()));
  EXPECT_EQ(selectedMeanwhile, kTiny);
  EXPECT_EQ(dialog->FileName(), utf8);
  ASSERT_TRUE(dialog->Chosen().ansiPath);
  EXPECT_EQ(*dialog->Chosen().ansiPath, ansi);

  ASSERT_EQ(dialogs.openRequests.size(), 1u);
  EXPECT_EQ(dialogs.openRequests[0].owner, app.Handle());
  EXPECT_EQ(dialogs.openRequests[0].filter, u8"画像ファイル (*.bmp,*jpg)|*.bmp;*.jpg");
  EXPECT_EQ(dialogs.openRequests[0].initialUtf8Path, "");

  // Cancelled: false, and the chosen file stays what it was.
  EXPECT_FALSE(Run(nullptr));
  ASSERT_EQ(dialogs.openRequests.size(), 2u);
  EXPECT_EQ(dialogs.openRequests[1].initialUtf8Path, utf8);
  EXPECT_EQ(dialogs.openRequests[1].initialPath, ansi);
  EXPECT_EQ(dialog->FileName(), utf8);
}

struct PlacementCase {
  const char* name;
  bool mainVisible;
  bool mainActive;
  Rect mainBounds;
  Point expected;
};

class PlacementTest : public OpenPictureDialogTest,
                      public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, CentredAcrossAndAtOneThirdDown) {
  // The primary monitor, and a second one to its right and higher up.
  windows.monitors = {MonitorInfo{{0, 0, 1280, 1024}, {0, 0, 1280, 984}, "1"},
                      MonitorInfo{{1280, -200, 3200, 880}, {1280, -200, 3200, 880}, "2"}};
  const PlacementCase& c = GetParam();
  mainForm->SetBounds(c.mainBounds.left, c.mainBounds.top, c.mainBounds.Width(),
                      c.mainBounds.Height());
  mainForm->Handle();
  if (c.mainVisible) mainForm->Show();
  windows.active = c.mainActive ? mainForm->Handle() : 0;
  Run(nullptr);
  // The 600 x 400 dialog: across (width - 600) / 2, down (height - 400) / 3, on the full monitor.
  EXPECT_EQ(windows.WindowRect(dialogWindow), RectFromSize(c.expected.x, c.expected.y, 600, 400));
  EXPECT_NE(
      std::find(windows.log.begin(), windows.log.end(),
                "SetWindowPos " + std::to_string(dialogWindow) + " 0 " +
                    std::to_string(msg::kSwpNoSize | msg::kSwpNoZOrder | msg::kSwpNoActivate)),
      windows.log.end());
}

// The main window's place on the second monitor.
const Rect kOnSecond = RectFromSize(1500, 100, 300, 200);

const PlacementCase kPlacements[] = {
    // Before the main window is shown (the first start): the first monitor.
    {"NoMainWindowYet", false, false, kOnSecond, Point{340, 208}},
    {"ActiveFormsMonitor", true, true, kOnSecond, Point{1280 + 660, -200 + 226}},
    {"MainWindowsMonitorWhenNoFormIsActive", true, false, kOnSecond, Point{1940, 26}},
    {"MainWindowOnThePrimary", true, true, RectFromSize(100, 100, 300, 200), Point{340, 208}}};
INSTANTIATE_TEST_SUITE_P(Monitors, PlacementTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CenteredAtOneThirdTest, IntegerDivisionTowardsZeroOnMonitorsAnywhere) {
  EXPECT_EQ(CenteredAtOneThird(RectFromSize(0, 0, 601, 401), Rect{0, 0, 1280, 1024}),
            (Point{339, 207}));
  // A window larger than its monitor goes above and left of it by a share of the excess.
  EXPECT_EQ(CenteredAtOneThird(RectFromSize(0, 0, 1301, 1100), Rect{-1280, 0, 0, 1024}),
            (Point{-1280 - 10, -25}));
}

}  // namespace
}  // namespace tavilune::testing
