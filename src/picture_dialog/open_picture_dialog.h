// The picture-choice dialog (TOpenPictureDialog): the system's file-open dialog with a preview
// area on its right. While the user moves through files the preview shows the selected picture
// fitted into a box, its size in pixels above it, and a button that opens it in a larger
// preview window. The dialog only looks at pictures; the caller loads the chosen one itself.
//
// The preview area is one real child window in the system dialog ("PicturePanel"); its label,
// button, box and picture are painted parts of it. The window's text is the label's caption,
// which is what a screen reader reads for the area.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/button_glyph.h"
#include "forms/component.h"
#include "forms/painted_controls.h"
#include "picture/image_paint.h"
#include "picture/picture.h"
#include "platform/dialogs.h"
#include "platform/dpi.h"
#include "platform/platform.h"

namespace tavilune {

class TApplication;

// The bounds of the preview area in the template window: its client rectangle with the left
// edge moved to the placeholder's right edge and the top moved down by 4 pixels (at 96 DPI,
// scaled to the dialog's DPI).
Rect PreviewAreaBounds(const Rect& templateClient, const Rect& placeholder, int dpi = kDesignDpi);

// What the preview loads: a present file (FileExistsAt) whose attributes can be read.
bool IsPreviewCandidate(FileSystem& files, const std::string& ansiPath);

class TOpenPictureDialog : public TComponent, private OpenFilePreview, private WindowListener {
 public:
  // Texts the preview shows.
  // The picture's size shows as " (WxH)".
  static const char* const kNoPictureLabel;     // "画像:"
  static const char* const kNoPictureCaption;   // "(なし)"
  static const char* const kPreviewHint;        // "プレビュー"
  // The system dialog failed (not a cancel): this, then the system's error code as
  // " (コード 0x%04X)" would write it.
  static const char* const kDialogFailedText;
  static constexpr const char* kGlyphResource = "PREVIEWGLYPH";

  TOpenPictureDialog(TComponent* owner, TApplication& application, Platform& platform);
  ~TOpenPictureDialog() override;

  // "description|pattern[|description|pattern...]".
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }

  // Shows the dialog modally, the program's other windows disabled meanwhile. True when the
  // user confirmed a file name; the next opening starts on it. False on a cancel; a failure of
  // the system dialog raises an Exception with kDialogFailedText and the code.
  bool Execute();
  // After a true Execute, the chosen file's full path (UTF-8). While the dialog is open, the
  // path selected in it now.
  std::string FileName();
  // The chosen file in every spelling the system gave (the ANSI path is what loads).
  const ChosenFile& Chosen() const { return chosen_; }
  // Sets the name the next opening starts with, as an ANSI path.
  void SetFileName(const std::string& ansiPath);
  bool IsOpen() const { return site_ != nullptr; }

  // Runs after the preview has followed a change of selection (the dialog's own event).
  std::function<void()> onSelectionChange;

  // The preview's parts, for the preview window and tests. Bounds are in the preview area's
  // client coordinates.
  TPicture& PreviewPicture() { return picture_; }
  const Rect& PicturePanelBounds() const { return picturePanel_; }
  const TLabel& PictureLabel() const { return pictureLabel_; }
  const TSpeedButton& PreviewButton() const { return previewButton_; }
  const TSilentPaintPanel& PaintPanel() const { return paintPanel_; }
  const TImage& PaintBox() const { return paintBox_; }
  const std::string& LastFileName() const { return lastFileName_; }
  // The preview area's window while the dialog is open, else 0.
  WindowHandle PreviewWindow() const { return area_; }

  // SelectionChanged: follows the dialog's current selection. Only a change of path reloads.
  void SelectionChanged();
  // Opens the preview window on the preview picture (the button, a double click on the box).
  void ShowPreviewWindow();
  // Paints the preview area as its window shows it.
  void PaintPreviewArea(Canvas& canvas);

 private:
  // OpenFilePreview
  void DialogInitialized(const OpenFileDialogLayout& layout, OpenFileDialogSite& site) override;
  void SelectionChanged(OpenFileDialogSite& site) override;
  void DialogClosing(OpenFileDialogSite& site) override;
  // WindowListener: the preview area's window.
  bool HandleMessage(WindowHandle window, const WindowMessage& message,
                     std::intptr_t& result) override;

  WindowSystem& Windows() const;
  void SetUpPreview(const OpenFileDialogLayout& layout);
  // Places the painted parts in an area of that size, at the DPI.
  void LayOutPreviewArea(std::int32_t width, std::int32_t height, int dpi);
  void PlaceDialog(WindowHandle dialog);
  MonitorInfo DialogMonitor();
  void ShowNoPicture();
  void Changed();
  void PictureProgress(TGraphic& graphic, const ProgressEvent& event);
  void MouseDown(Point at, bool doubleClick);
  void MouseMove(Point at, bool buttonDown);
  void MouseUp(Point at);
  void DestroyPreviewWindow();

  TApplication& application_;
  Platform& platform_;
  std::string filter_;
  ChosenFile chosen_;

  // The preview, made once with the dialog.
  TPicture picture_;
  ButtonGlyph glyph_;
  bool glyphLoaded_ = false;
  Rect picturePanel_;
  TLabel pictureLabel_;
  TSpeedButton previewButton_;
  TSilentPaintPanel paintPanel_;
  TImage paintBox_;
  std::string lastFileName_;

  // While the dialog is open.
  OpenFileDialogSite* site_ = nullptr;
  WindowHandle dialogWindow_ = 0;
  WindowHandle area_ = 0;
  WindowHandle activeForm_ = 0;
  bool buttonTracking_ = false;
  // The canvas the preview box is being painted on, for drawing decoded rows at once.
  Canvas* boxCanvas_ = nullptr;
};

}  // namespace tavilune
