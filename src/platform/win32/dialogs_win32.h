#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <string>

#include "platform/dialogs.h"

namespace tavilune::win32 {

// Room for the file name the open dialogs return: the longest path the system accepts
// (32767 wide characters) and its end. A smaller buffer makes the dialog fail on a long name.
constexpr DWORD kFileNameCharacters = 32767 + 1;

// The chosen path in the spellings the program may need (in open_picture_dialog_win32.cpp).
ChosenFile SpellingsOf(const std::wstring& path);

// "a|b|c|d" becomes "a\0b\0c\0d\0\0", the form the file dialogs take their filter in. The text
// is wide here, so no character has a second byte that could be taken for "|".
std::wstring SystemFilter(const std::string& filter);

// Raises FileDialogFailure when the dialog reported an error of its own; a cancel reports none.
void RaiseDialogFailure(DWORD extendedError);

// GetOpenFileNameW; when it gives no file, `error` is the dialog's own error
// (CommDlgExtendedError), 0 for a cancel.
bool RunOpenFileDialog(OPENFILENAMEW& open, DWORD& error);

class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(HINSTANCE instance) : instance_(instance) {}

  std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) override;
  // In open_picture_dialog_win32.cpp.
  std::optional<ChosenFile> OpenPictureFile(const OpenFileRequest& request,
                                            OpenFilePreview& preview) override;
  std::optional<Color> PickColor(const ColorRequest& request) override;

 private:
  HINSTANCE instance_;
};

}  // namespace tavilune::win32
