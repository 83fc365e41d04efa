// Files as the program needs them. Failures come back as the system's error codes (the numbers
// GetLastError gives: 2 not found, 3 bad path, 5 access denied, 32 sharing violation, ...);
// the callers decide which exception and text they become.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavilune {

using SystemError = std::uint32_t;
constexpr SystemError kNoError = 0;
constexpr SystemError kErrorFileNotFound = 2;
constexpr SystemError kErrorPathNotFound = 3;
constexpr SystemError kErrorAccessDenied = 5;
constexpr SystemError kErrorNotEnoughMemory = 8;
constexpr SystemError kErrorSharingViolation = 32;
constexpr SystemError kErrorLockViolation = 33;
constexpr SystemError kErrorHandleDiskFull = 39;
constexpr SystemError kErrorDiskFull = 112;
constexpr SystemError kErrorDeletePending = 303;

// A path as the program holds it. Paths are ANSI bytes, as the settings record stores the
// picture's; the settings file's own path is UTF-8 when the program's folder is named in
// characters the ANSI code page cannot spell. An ANSI path converts implicitly, so the many
// places that only ever handle ANSI paths pass their strings as they are.
struct FilePath {
  enum class Encoding { kAnsi, kUtf8 };

  FilePath() = default;
  FilePath(std::string ansi) : text(std::move(ansi)) {}
  FilePath(const char* ansi) : text(ansi) {}
  static FilePath Utf8(std::string utf8) {
    FilePath path(std::move(utf8));
    path.encoding = Encoding::kUtf8;
    return path;
  }

  bool IsUtf8() const { return encoding == Encoding::kUtf8; }
  // The same kind of path with ASCII text added (a suffix such as ".tmp").
  FilePath operator+(std::string_view ascii) const {
    FilePath path = *this;
    path.text += ascii;
    return path;
  }
  bool operator==(const FilePath&) const = default;

  std::string text;
  Encoding encoding = Encoding::kAnsi;
};

enum class FileAccess {
  kReadShareRead,            // picture files: others may read but not write while open
  kReadWriteShareReadWrite,  // the settings file when read at start-up; must exist
  kCreateWrite,              // a new or emptied file for writing, not shared
};

// What the program means to do to a file, as far as the file's and its folder's security
// decide whether it may at all.
enum class FileIntent {
  kReadWrite,  // open the existing file for reading and writing
  kWrite,      // create the file, or empty an existing one and write it anew
  kReplace,    // move another file of the same folder into its place
};

// The security's answer, whatever other programs are doing with the file at the moment.
// kUnknown where the system cannot tell (a file system without security, a failed query).
enum class Permission { kGranted, kRefused, kUnknown };

struct IoResult {
  std::size_t bytes = 0;
  SystemError error = kNoError;
};

class File {
 public:
  virtual ~File() = default;
  virtual std::uint64_t Size() = 0;
  // Reads from the current position; fewer bytes than asked mean the end of the file.
  virtual IoResult Read(std::span<std::uint8_t> into) = 0;
  virtual IoResult Write(std::span<const std::uint8_t> from) = 0;
  // Makes written bytes durable before the file is used to replace another.
  virtual SystemError Flush() = 0;
};

// What a directory search tells about an entry (FindFirstFile).
struct FileEntry {
  bool isDirectory = false;
  // The last-write time as a local calendar year, or nothing when it cannot be converted.
  std::optional<int> lastWriteLocalYear;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // On failure the result is empty and error holds the system's code.
  virtual std::unique_ptr<File> Open(const FilePath& path, FileAccess access,
                                     SystemError& error) = 0;
  virtual std::optional<FileEntry> FindEntry(const FilePath& path) = 0;
  virtual bool AttributesReadable(const FilePath& path) = 0;
  // Moves a file over another in one step, replacing it.
  virtual SystemError Replace(const FilePath& from, const FilePath& to) = 0;
  virtual SystemError Remove(const FilePath& path) = 0;
  virtual bool IsReadOnly(const FilePath& path) = 0;
  // Whether this process's rights let it do that to the file at the path at all: asked after a
  // refusal, to tell a lasting one from another program holding the file for a moment.
  virtual Permission SecurityPermits(const FilePath& path, FileIntent intent) = 0;
  // Waits before a file that another program holds for a moment is tried again. The calling
  // thread does nothing else meanwhile.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

// Whether the path names a file the program treats as present: not a folder, and with a
// last-write time that falls between 1980 and 2107 (the range of the old 16-bit file date).
// Start-up asks it of the settings file and the remembered picture, the picture dialog's preview
// before it loads a selection. One rule over what every file system's FindEntry reports.
inline bool FileExistsAt(FileSystem& files, const FilePath& path) {
  constexpr int kFirstFileYear = 1980;
  constexpr int kLastFileYear = 2107;
  std::optional<FileEntry> entry = files.FindEntry(path);
  return entry && !entry->isDirectory && entry->lastWriteLocalYear &&
         *entry->lastWriteLocalYear >= kFirstFileYear &&
         *entry->lastWriteLocalYear <= kLastFileYear;
}

}  // namespace tavilune
