// The start-up sequence that runs while the picture window is being created.
#pragma once

#include <string>

#include "platform/files.h"

namespace tavilune {

class TForm1;

// The texts of the start-up messages.
extern const char* const kNoSettingsMessage;
extern const char* const kPictureMissingMessage;
extern const char* const kInformationCaption;

// Runs steps 1 to 6 of start-up on the window under creation. The executable's path is ANSI
// when it spells in the ANSI code page and UTF-8 otherwise; the settings file's path is of the
// same kind. An exception ends the sequence where it was raised; the caller shows it.
void RunStartUp(TForm1& form, const FilePath& executablePath);

// Shows the information dialog as a modal window of the program.
void ShowInformation(TForm1& form, const std::string& text);

}  // namespace tavilune
