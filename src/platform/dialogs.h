// The system's common dialogs and the program's information dialog.
#pragma once

#include <optional>
#include <string>

#include "platform/types.h"
#include "platform/windows.h"

namespace tavilune {

struct OpenFileRequest {
  WindowHandle owner = 0;
  // "description|pattern[|description|pattern...]", UTF-8.
  std::string filter;
  // The name the file-name box starts with (ANSI path as chosen last time), may be empty.
  std::string initialPath;
};

// The file the user confirmed, in the spellings the program may need.
struct ChosenFile {
  std::string utf8Path;                    // the full path as the dialog returned it
  std::optional<std::string> ansiPath;     // the same in the ANSI code page, if it spells there
  std::optional<std::string> shortAnsiPath;  // the short (8.3) path, if the system has one
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // The file-open dialog, modal. Nothing when the user cancelled.
  virtual std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) = 0;

  // The information dialog: the caption, the information icon, the word-wrapped text and one
  // "OK" button that Enter and Escape both press; centred on the primary screen, no sound.
  // Returns when the user closed it.
  virtual void MessageDialog(WindowHandle owner, const std::string& text,
                             const std::string& caption) = 0;
};

}  // namespace tavilune
