// The program as the system's start-up code sees it. That code makes the platform, reads the
// screen's facts (SetDisplay) and the executable's path, and hands over here; the application
// defines the function.
#pragma once

#include "platform/files.h"
#include "platform/platform.h"

namespace tavilune {

// Runs the program on the platform until it ends and returns the process's exit code. The
// executable's path is ANSI when it spells in the ANSI code page and UTF-8 otherwise.
int RunProgram(Platform& platform, const FilePath& executablePath);

}  // namespace tavilune
