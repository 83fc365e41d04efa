// Choosing a picture with the window's picture dialog and loading it: the "画像選択" menu item,
// and start-up when it has no picture to show.
#pragma once

namespace tavilune {

class TForm1;

// The picture dialog's filter, and the refusal of a path the settings record cannot hold.
extern const char* const kPictureFilter;
extern const char* const kPathNotStorableMessage;

// The picture-choice dialog followed by loading the chosen file. Returns false when the user
// cancelled. The picture path in the settings changes only once the picture has loaded; a
// failure to load (or a path the settings file cannot hold) raises and changes nothing.
bool ChooseAndLoadPicture(TForm1& form);

}  // namespace tavilune
