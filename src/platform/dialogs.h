// The system's common dialogs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window_system.h"

namespace tavilune {

struct OpenFileRequest {
  WindowHandle owner = 0;
  // "description|pattern[|description|pattern...]", UTF-8.
  std::string filter;
  // The name the file-name box starts with (ANSI path as chosen last time), may be empty.
  std::string initialPath;
  // The same name as the system returned it last time (UTF-8); when given, it is used instead of
  // initialPath, so that a name the ANSI code page cannot spell survives.
  std::string initialUtf8Path;
};

// The file the user confirmed, in the spellings the program may need.
struct ChosenFile {
  std::string utf8Path;                      // the full path as the dialog returned it
  std::optional<std::string> ansiPath;       // the same in the ANSI code page, if it spells there
  std::optional<std::string> shortAnsiPath;  // the short (8.3) path, if the system has one
};

struct ColorRequest {
  WindowHandle owner = 0;
  Color initial = 0;
  // The 16 custom colours, read and written back by the dialog.
  std::array<std::uint32_t, 16>* customColors = nullptr;
  std::uint32_t flags = 0;  // the colour dialog's CC_* flags
  // Where the dialog goes, given its outer width and height.
  std::function<Point(std::int32_t width, std::int32_t height)> place;
};

// ---- The picture-choice dialog: the file-open dialog with the program's preview area on its
// right, laid out by a child dialog template ("DLGTEMPLATE") that the system fills with its own
// controls at a placeholder and leaves the rest to the preview.

// Where the program's part of the open dialog lies once the system has laid it out.
struct OpenFileDialogLayout {
  WindowHandle dialog = 0;          // the system dialog, a top-level window
  WindowHandle templateWindow = 0;  // the child window made from the program's template
  Rect templateClient;              // its client rectangle
  Rect placeholder;                 // the system controls' placeholder, in template coordinates
};

// What the preview may ask of the open dialog while it is shown.
class OpenFileDialogSite {
 public:
  virtual ~OpenFileDialogSite() = default;
  // The full path of what is selected now, as the system dialog spells it; nothing when
  // nothing is selected.
  virtual std::optional<ChosenFile> SelectedPath() = 0;
  // Shows text as a hint while the mouse rests on the area (client pixels) of the window.
  virtual void SetHint(WindowHandle window, const Rect& area, const std::string& text) = 0;
  // A bitmap resource of the program as the system stores it (header, colours, pixel rows; no
  // file header), or nothing.
  virtual std::vector<std::uint8_t> BitmapResource(const std::string& name) = 0;
};

// The preview's side: the system dialog's notifications, on the user-interface thread, inside
// the dialog's own message loop. Implementations never let an exception out.
class OpenFilePreview {
 public:
  virtual ~OpenFilePreview() = default;
  // The system dialog has placed its controls (CDN_INITDONE).
  virtual void DialogInitialized(const OpenFileDialogLayout& layout, OpenFileDialogSite& site) = 0;
  // The selection in the list changed (CDN_SELCHANGE).
  virtual void SelectionChanged(OpenFileDialogSite& site) = 0;
  // The dialog is closing; its windows (the preview's among them) go next.
  virtual void DialogClosing(OpenFileDialogSite& site) = 0;
};

// The file-open dialog could not be shown, or could not hand back what the user chose: the
// system reported an error of its own (CommDlgExtendedError) rather than a cancel. Callers
// must not take it for a cancel: the user asked for a file and has to learn why none came.
class FileDialogFailure : public std::runtime_error {
 public:
  explicit FileDialogFailure(std::uint32_t code)
      : std::runtime_error("file dialog failed"), code_(code) {}
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // The file-open dialog, modal, with room for a name as long as the system's paths can be.
  // Nothing when the user cancelled; raises FileDialogFailure when the dialog failed.
  virtual std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) = 0;

  // The file-open dialog with the program's template and the preview hooked in, modal; hooks
  // OFN_ENABLEHOOK, OFN_HIDEREADONLY, OFN_EXPLORER, OFN_ENABLESIZING and OFN_ENABLETEMPLATE,
  // filter index 1. A system without such a dialog offers the plain one. Cancel and failure as
  // for OpenFile.
  virtual std::optional<ChosenFile> OpenPictureFile(const OpenFileRequest& request,
                                                    OpenFilePreview& preview) {
    (void)preview;
    return OpenFile(request);
  }

  // The colour chooser, modal. Nothing when the user cancelled.
  virtual std::optional<Color> PickColor(const ColorRequest& request) = 0;
};

}  // namespace tavilune
