// Reading and writing the settings file. Failures are EInOutError with the code the error box
// turns into text (forms/exceptions.h).
#pragma once

#include <string>

#include "platform/files.h"
#include "settings/settings_record.h"

namespace tavilune {

// Input/output codes of the settings file that do not come from the system.
constexpr int kInOutReadPastEnd = 100;
constexpr int kInOutDiskFull = 101;

// Reads the record at `path` into `record`. The file is opened for reading and writing, shared
// both ways, so a read-only file fails with 5. A longer file gives its first 276 bytes; a shorter
// one replaces only the start of the record (the rest keeps its values) and fails with 100, an
// empty one fails with 100 and replaces nothing. The file is closed whatever happens. A file that
// another program holds for a moment is waited for (see WriteSettingsFile).
void ReadSettingsFile(FileSystem& files, const FilePath& path, SettingsRecord& record);

// Saves the record at `path` without ever leaving a cut or half-written settings file behind:
// the bytes go to a temporary file beside it, are flushed, and then replace the old file in
// one step. A temporary file left over by an earlier save never blocks this one. When anything
// fails the previous file stays exactly as it was, the temporary file is removed, and EInOutError
// tells why. A read-only settings file fails with 5 untouched. Writing and replacing are tried
// again after growing pauses, about 1.4 s in all, while the system reports a sharing violation,
// a lock violation, a pending deletion or access denied (another program may be reading the file
// for a moment); only then is the last error reported. An access denied that the security of the
// file or its folder explains is reported at once, in reading as in saving.
void WriteSettingsFile(FileSystem& files, const FilePath& path, const SettingsRecord& record);

// The temporary files a save may write before it replaces the settings file (same folder):
// the first is the settings path with ".tmp" added, the others add a number after it. A save
// takes the first that is free or can be cleared.
constexpr int kSettingsTemporaryNames = 8;
FilePath SettingsTemporaryPath(const FilePath& path, int attempt = 0);

}  // namespace tavilune
