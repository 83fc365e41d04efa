#include "picture_dialog/open_picture_dialog.h"

#include <algorithm>
#include <exception>
#include <string>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/messages.h"
#include "picture_dialog/preview_glyph.h"
#include "picture_dialog/preview_window.h"
#include "platform/ansi.h"
#include "platform/dpi.h"
#include "platform/exceptions.h"
#include "platform/files.h"

namespace tavilune {

const char* const TOpenPictureDialog::kNoPictureLabel = u8"画像:";
const char* const TOpenPictureDialog::kNoPictureCaption = u8"(なし)";
const char* const TOpenPictureDialog::kPreviewHint = u8"プレビュー";
const char* const TOpenPictureDialog::kDialogFailedText =
    u8"画像ファイルを選ぶダイアログでエラーが発生しました";

namespace {

// The preview area's layout, in its own client pixels at 96 DPI; the area scales it to the file
// dialog's DPI.
constexpr std::int32_t kAreaBorderWidth = 6;
constexpr std::int32_t kAreaTopOffset = 4;
constexpr std::int32_t kLabelHeight = 23;
constexpr std::int32_t kButtonTop = 1;
constexpr std::int32_t kButtonWidth = 23;
constexpr std::int32_t kButtonHeight = 22;
constexpr std::int32_t kButtonRightGap = 2;

constexpr std::uintptr_t kLeftButtonHeld = 0x0001;  // MK_LBUTTON

// Texts are put together without the printf family, whose C99 version the runtime links in
// would weigh some 10 KB in the program for these two lines.
std::string SizeText(std::int32_t width, std::int32_t height) {
  return " (" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

// At least four upper-case hexadecimal digits.
std::string Hex4(std::uint32_t value) {
  std::string digits;
  for (int shift = 28; shift >= 0; shift -= 4) {
    if (shift < 16 || (value >> shift) != 0 || !digits.empty()) {
      digits += "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
  }
  return digits;
}

Point PointOf(std::intptr_t lParam) {
  return Point{msg::SignedLow(lParam), msg::SignedHigh(lParam)};
}

// The spelling of a selected path that the file functions take: the ANSI path, or the short
// path where the ANSI code page cannot spell the long one.
std::optional<std::string> LoadablePath(const ChosenFile& file) {
  if (file.ansiPath && !file.ansiPath->empty()) return file.ansiPath;
  if (file.shortAnsiPath && !file.shortAnsiPath->empty()) return file.shortAnsiPath;
  return std::nullopt;
}

}  // namespace

Rect PreviewAreaBounds(const Rect& templateClient, const Rect& placeholder, int dpi) {
  Rect area{placeholder.right, templateClient.top + ScaleForDpi(kAreaTopOffset, dpi),
            templateClient.right, templateClient.bottom};
  area.right = std::max(area.right, area.left);
  area.bottom = std::max(area.bottom, area.top);
  return area;
}

bool IsPreviewCandidate(FileSystem& files, const std::string& ansiPath) {
  return FileExistsAt(files, ansiPath) && files.AttributesReadable(ansiPath);
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner, TApplication& application,
                                       Platform& platform)
    : TComponent(owner), application_(application), platform_(platform) {
  pictureLabel_.name = "PictureLabel";
  previewButton_.name = "PreviewButton";
  previewButton_.enabled = false;
  previewButton_.hint = kPreviewHint;
  previewButton_.glyph = &glyph_;
  paintPanel_.name = "PaintPanel";
  paintBox_.name = "PaintBox";
  paintBox_.options = ImageOptions{true, true, true, true};
  paintBox_.picture = &picture_;
  picture_.onChange = [this](TPicture&) { Changed(); };
  picture_.onProgress = [this](TGraphic& graphic, const ProgressEvent& event) {
    PictureProgress(graphic, event);
  };
}

TOpenPictureDialog::~TOpenPictureDialog() {
  DestroyPreviewWindow();
  picture_.onChange = nullptr;
  picture_.onProgress = nullptr;
}

WindowSystem& TOpenPictureDialog::Windows() const { return application_.Windows(); }

bool TOpenPictureDialog::Execute() {
  WindowSystem& windows = Windows();
  OpenFileRequest request;
  request.owner = application_.Handle();
  request.filter = filter_;
  request.initialPath = LoadablePath(chosen_).value_or(std::string());
  request.initialUtf8Path = chosen_.utf8Path;

  const WindowHandle previousActive = windows.ActiveWindow();
  const WindowHandle previousFocus = windows.FocusWindow();
  activeForm_ = 0;
  for (TForm* form : application_.Forms()) {
    if (previousActive != 0 && form->HandleAllocated() && form->Handle() == previousActive) {
      activeForm_ = previousActive;
    }
  }

  std::optional<ChosenFile> result;
  std::exception_ptr failure;
  {
    TApplication::ModalScope modal(application_);
    try {
      result = platform_.dialogs.OpenPictureFile(request, *this);
    } catch (const FileDialogFailure& dialogFailure) {
      // The user asked for a file and got none without cancelling: say so, in our words.
      failure = std::make_exception_ptr(Exception(std::string(kDialogFailedText) + u8" (コード 0x" +
                                                  Hex4(dialogFailure.Code()) + ")"));
    } catch (...) {
      failure = std::current_exception();
    }
    site_ = nullptr;
    dialogWindow_ = 0;
    buttonTracking_ = false;
    previewButton_.down = false;
    DestroyPreviewWindow();
  }
  // The modal scope has given the activation back; the focus goes back to where it was in it.
  if (previousFocus != 0 && windows.IsWindow(previousFocus)) windows.SetFocus(previousFocus);
  if (failure) std::rethrow_exception(failure);

  if (!result) return false;
  chosen_ = *result;
  return true;
}

void TOpenPictureDialog::SetFileName(const std::string& ansiPath) {
  chosen_ = ChosenFile{AnsiToUtf8(ansiPath), ansiPath, std::nullopt};
}

std::string TOpenPictureDialog::FileName() {
  if (site_ != nullptr) {
    std::optional<ChosenFile> selected = site_->SelectedPath();
    return selected ? selected->utf8Path : std::string();
  }
  return chosen_.utf8Path;
}

void TOpenPictureDialog::DialogInitialized(const OpenFileDialogLayout& layout,
                                           OpenFileDialogSite& site) {
  site_ = &site;
  dialogWindow_ = layout.dialog;
  try {
    if (!glyphLoaded_) {
      glyphLoaded_ = true;
      glyph_ = ButtonGlyphFromResource(site.BitmapResource(kGlyphResource));
    }
    SetUpPreview(layout);
    PlaceDialog(layout.dialog);
  } catch (...) {
    application_.HandleException();
  }
}

void TOpenPictureDialog::LayOutPreviewArea(std::int32_t width, std::int32_t height, int dpi) {
  const auto scaled = [dpi](std::int32_t design) { return ScaleForDpi(design, dpi); };
  const std::int32_t border = scaled(kAreaBorderWidth);
  pictureLabel_.bounds = Rect{border, border, width - border, border + scaled(kLabelHeight)};
  // The box takes everything under the caption row; it does not follow later resizing.
  paintPanel_.bounds = Rect{border, pictureLabel_.bounds.bottom, width - border, height - border};
  paintPanel_.bounds.bottom = std::max(paintPanel_.bounds.bottom, paintPanel_.bounds.top);
  paintPanel_.dpi = dpi;
  paintBox_.bounds = paintPanel_.ClientRect();
  // At the right end of the caption row. The glyph keeps its 16 x 16 pixels, centred.
  const std::int32_t buttonWidth = scaled(kButtonWidth);
  previewButton_.bounds =
      RectFromSize(paintPanel_.bounds.right - buttonWidth - scaled(kButtonRightGap),
                   scaled(kButtonTop), buttonWidth, scaled(kButtonHeight));
  previewButton_.dpi = dpi;
  pictureLabel_.dpi = dpi;
}

void TOpenPictureDialog::SetUpPreview(const OpenFileDialogLayout& layout) {
  const int dpi = Windows().WindowDpi(layout.dialog);
  picturePanel_ = PreviewAreaBounds(layout.templateClient, layout.placeholder, dpi);
  LayOutPreviewArea(picturePanel_.Width(), picturePanel_.Height(), dpi);

  picture_.SetGraphic(nullptr);
  lastFileName_.clear();
  paintPanel_.caption = kNoPictureCaption;

  DestroyPreviewWindow();
  WindowSpec spec;
  spec.className = "TPreviewPanel";
  spec.title = pictureLabel_.caption;
  spec.style = msg::kStyleChild | msg::kStyleVisible | msg::kStyleClipSiblings;
  spec.bounds = picturePanel_;
  spec.parent = layout.templateWindow;
  spec.doubleClicks = true;
  area_ = Windows().CreateNativeWindow(spec, this);
  if (area_ != 0 && site_ != nullptr) site_->SetHint(area_, previewButton_.bounds, kPreviewHint);
}

MonitorInfo TOpenPictureDialog::DialogMonitor() {
  WindowSystem& windows = Windows();
  if (activeForm_ != 0 && windows.IsWindow(activeForm_))
    return windows.MonitorOfWindow(activeForm_);
  // While the main window is still being made (the first start) it has no place yet.
  TForm* main = application_.MainForm();
  if (main != nullptr && main->HandleAllocated() && windows.IsWindowVisible(main->Handle())) {
    return windows.MonitorOfWindow(main->Handle());
  }
  return windows.Monitors().front();
}

void TOpenPictureDialog::PlaceDialog(WindowHandle dialog) {
  WindowSystem& windows = Windows();
  const Rect bounds = windows.WindowRect(dialog);
  const Point place = CenteredAtOneThird(bounds, DialogMonitor().bounds);
  windows.SetWindowPos(dialog, msg::kHwndTop,
                       RectFromSize(place.x, place.y, bounds.Width(), bounds.Height()),
                       msg::kSwpNoSize | msg::kSwpNoZOrder | msg::kSwpNoActivate);
}

void TOpenPictureDialog::SelectionChanged(OpenFileDialogSite& site) {
  site_ = &site;
  try {
    SelectionChanged();
    if (onSelectionChange) onSelectionChange();
  } catch (...) {
    application_.HandleException();
  }
}

void TOpenPictureDialog::SelectionChanged() {
  if (site_ == nullptr) return;
  const std::optional<ChosenFile> selected = site_->SelectedPath();
  const std::string path = selected ? selected->utf8Path : std::string();
  // The system reports a change for every click in the list; only a new path reloads.
  if (path == lastFileName_) return;
  lastFileName_ = path;

  FileSystem& files = platform_.files;
  const std::optional<std::string> loadable =
      selected ? LoadablePath(*selected) : std::optional<std::string>();
  if (loadable && IsPreviewCandidate(files, *loadable)) {
    try {
      LoadPicture(picture_, *loadable, files, platform_.colors);
      pictureLabel_.caption = SizeText(picture_.Width(), picture_.Height());
      previewButton_.enabled = true;
      paintPanel_.caption.clear();
      Changed();
      return;
    } catch (...) {
      // Browsing past a file that is no picture is no error: the preview just shows nothing.
    }
  }
  ShowNoPicture();
}

void TOpenPictureDialog::ShowNoPicture() {
  pictureLabel_.caption = kNoPictureLabel;
  previewButton_.enabled = false;
  previewButton_.down = false;
  buttonTracking_ = false;
  paintPanel_.caption = kNoPictureCaption;
  picture_.SetGraphic(nullptr);  // tells the area through the picture's changed notification
}

void TOpenPictureDialog::DialogClosing(OpenFileDialogSite&) {
  buttonTracking_ = false;
  previewButton_.down = false;
  site_ = nullptr;
}

void TOpenPictureDialog::Changed() {
  if (area_ == 0) return;
  Windows().SetText(area_, pictureLabel_.caption);
  Windows().Invalidate(area_);
}

void TOpenPictureDialog::PictureProgress(TGraphic& graphic, const ProgressEvent& event) {
  if (!WantsIncrementalRedraw(paintBox_.options, event)) return;
  if (boxCanvas_ != nullptr) {
    // The box is being painted and the decode runs inside that paint: show the rows decoded
    // so far on the same canvas straight away.
    graphic.Draw(*boxCanvas_, paintBox_.DestRect());
  } else if (area_ != 0) {
    Windows().Invalidate(area_);
  }
}

void TOpenPictureDialog::PaintPreviewArea(Canvas& canvas) {
  canvas.FillRect(Rect{0, 0, picturePanel_.Width(), picturePanel_.Height()},
                  canvas.SystemColorOf(SystemColor::kButtonFace));
  pictureLabel_.Paint(canvas);
  const bool captionChanged = paintPanel_.Paint(canvas, [this](Canvas& inPanel) {
    boxCanvas_ = &inPanel;
    paintBox_.Paint(inPanel);
  });
  boxCanvas_ = nullptr;
  previewButton_.Paint(canvas);
  if (captionChanged) Changed();
}

void TOpenPictureDialog::MouseDown(Point at, bool doubleClick) {
  if (Contains(previewButton_.bounds, at)) {
    if (!previewButton_.enabled) return;
    buttonTracking_ = true;
    previewButton_.down = true;
    Windows().Invalidate(area_);
    return;
  }
  if (doubleClick && Contains(paintBox_.bounds, at)) ShowPreviewWindow();
}

void TOpenPictureDialog::MouseMove(Point at, bool buttonDown) {
  if (!buttonTracking_) return;
  // Without the button held the release happened elsewhere: the press is over.
  if (!buttonDown) buttonTracking_ = false;
  const bool down = buttonTracking_ && Contains(previewButton_.bounds, at);
  if (down == previewButton_.down) return;
  previewButton_.down = down;
  Windows().Invalidate(area_);
}

void TOpenPictureDialog::MouseUp(Point at) {
  if (!buttonTracking_) return;
  buttonTracking_ = false;
  const bool click = previewButton_.down && Contains(previewButton_.bounds, at);
  previewButton_.down = false;
  Windows().Invalidate(area_);
  if (click && previewButton_.enabled) ShowPreviewWindow();
}

void TOpenPictureDialog::ShowPreviewWindow() {
  // Owned by the file dialog, whose modal scope disables the dialog while the preview is up and
  // enables it again before the preview hides, so that the dialog gets the activation back.
  TPreviewForm form(this, application_, picture_, dialogWindow_);
  form.Present();
}

bool TOpenPictureDialog::HandleMessage(WindowHandle window, const WindowMessage& message,
                                       std::intptr_t& result) {
  if (window != area_ && message.message != msg::kCreate) return false;
  try {
    switch (message.message) {
      case msg::kPaint:
        Windows().Paint(window, [this](Canvas& canvas) { PaintPreviewArea(canvas); });
        result = 0;
        return true;
      case msg::kEraseBackground:
        // Painting covers the whole area.
        result = 1;
        return true;
      case msg::kLButtonDown:
        MouseDown(PointOf(message.lParam), false);
        result = 0;
        return true;
      case msg::kLButtonDblClk:
        MouseDown(PointOf(message.lParam), true);
        result = 0;
        return true;
      case msg::kMouseMove:
        MouseMove(PointOf(message.lParam), (message.wParam & kLeftButtonHeld) != 0);
        result = 0;
        return true;
      case msg::kLButtonUp:
        MouseUp(PointOf(message.lParam));
        result = 0;
        return true;
      case msg::kDpiChangedAfterParent: {
        // The file dialog moved to a monitor of another DPI: the painted parts follow, in the
        // room the area has now.
        const Rect bounds = Windows().WindowRect(window);
        LayOutPreviewArea(bounds.Width(), bounds.Height(), Windows().WindowDpi(window));
        if (site_ != nullptr) site_->SetHint(window, previewButton_.bounds, kPreviewHint);
        Windows().Invalidate(window);
        result = 0;
        return true;
      }
      case msg::kDestroy:
        // The system dialog takes its children with it when it closes.
        if (window == area_) area_ = 0;
        return false;
      default:
        return false;
    }
  } catch (...) {
    application_.HandleException();
    result = 0;
    return true;
  }
}

void TOpenPictureDialog::DestroyPreviewWindow() {
  if (area_ == 0) return;
  const WindowHandle area = area_;
  area_ = 0;
  if (Windows().IsWindow(area)) Windows().DestroyWindow(area);
}

}  // namespace tavilune
