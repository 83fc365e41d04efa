// Everything the program needs of the operating system, handed to the code that uses it.
#pragma once

#include "platform/color_management.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/window_system.h"

namespace tavilune {

struct Platform {
  WindowSystem& windows;
  FileSystem& files;
  Dialogs& dialogs;
  Shell& shell;
  ColorManagement& colors;
};

}  // namespace tavilune
