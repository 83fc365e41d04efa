#include "window/picture_choice.h"

#include <optional>
#include <string>

#include "platform/exceptions.h"
#include "picture_dialog/open_picture_dialog.h"
#include "settings/settings_record.h"
#include "window/picture_window.h"

namespace tavilune {

const char* const kPictureFilter = u8"画像ファイル (*.bmp,*jpg)|*.bmp;*.jpg";
const char* const kPathNotStorableMessage =
    u8"この画像ファイルの場所は設定ファイルに記録できません。"
    u8"短い名前の場所に置いた画像ファイルを選択してください";

namespace {

// The spelling of the chosen file that the settings record can hold: the ANSI path when it
// spells and fits, else the short path when that does.
std::string StorablePath(const ChosenFile& chosen) {
  auto fits = [](const std::optional<std::string>& path) {
    return path && !path->empty() && path->size() <= SettingsRecord::kMaxPicturePathLength;
  };
  if (fits(chosen.ansiPath)) return *chosen.ansiPath;
  if (fits(chosen.shortAnsiPath)) return *chosen.shortAnsiPath;
  throw Exception(kPathNotStorableMessage);
}

// The window's picture dialog, OpenPictureDialog1: made with the window's components on first
// use, so that it lives as long as the window and reopens on the last chosen file.
TOpenPictureDialog& OpenPictureDialogOf(TForm1& form) {
  for (TComponent* component : form.Components()) {
    if (component->Name() != "OpenPictureDialog1") continue;
    if (auto* dialog = dynamic_cast<TOpenPictureDialog*>(component)) return *dialog;
  }
  auto* dialog = new TOpenPictureDialog(&form, form.Application(), form.Services());
  dialog->SetName("OpenPictureDialog1");
  dialog->SetFilter(kPictureFilter);
  return *dialog;
}

}  // namespace

bool ChooseAndLoadPicture(TForm1& form) {
  TOpenPictureDialog& dialog = OpenPictureDialogOf(form);
  if (!dialog.Execute()) return false;

  std::string path = StorablePath(dialog.Chosen());
  form.LoadPictureFile(path);
  form.SetPicturePath(path);
  return true;
}

}  // namespace tavilune
