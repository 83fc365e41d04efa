#pragma once

#include <windows.h>

#include "platform/dialogs.h"

namespace tavilune::win32 {

class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(HINSTANCE instance) : instance_(instance) {}

  std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) override;
  // In open_picture_dialog_win32.cpp.
  std::optional<ChosenFile> OpenPictureFile(const OpenFileRequest& request,
                                            OpenFilePreview& preview) override;
  std::optional<Color> PickColor(const ColorRequest& request) override;
  void MessageDialog(WindowHandle owner, const std::string& text,
                     const std::string& caption) override;

 private:
  HINSTANCE instance_;
};

}  // namespace tavilune::win32
