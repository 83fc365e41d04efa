// Whether a path names a picture file worth opening: the test start-up uses for the remembered
// picture, and the first half of the one the picture dialog's preview makes before it loads a
// selection.
#pragma once

#include <string>

#include "platform/files.h"

namespace tavilune {

// Whether the path names a file the program treats as present: not a folder, and with a
// last-write time that falls between 1980 and 2107 (the range of the old 16-bit file date).
bool FileExistsAt(FileSystem& files, const FilePath& path);

}  // namespace tavilune
