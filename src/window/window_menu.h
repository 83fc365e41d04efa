// The picture window's context menu: its tree and captions. The handlers are the window's.
#pragma once

#include "forms/menu.h"

namespace tavilune {

class TForm1;

// Fills PopupMenu1 with the window's commands and ties each item to its handler.
void BuildWindowMenu(TForm1& form, TPopupMenu& menu);

// The thickness items in menu order: MainMenuTNONE, MainMenuT1 ... MainMenuT5.
inline constexpr const char* kThicknessItems[] = {"MainMenuTNONE", "MainMenuT1", "MainMenuT2",
                                                  "MainMenuT3",    "MainMenuT4", "MainMenuT5"};

}  // namespace tavilune
