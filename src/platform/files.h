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

namespace tavilune {

using SystemError = std::uint32_t;
constexpr SystemError kNoError = 0;
constexpr SystemError kErrorFileNotFound = 2;
constexpr SystemError kErrorPathNotFound = 3;
constexpr SystemError kErrorAccessDenied = 5;
constexpr SystemError kErrorNotEnoughMemory = 8;
constexpr SystemError kErrorSharingViolation = 32;
constexpr SystemError kErrorHandleDiskFull = 39;
constexpr SystemError kErrorDiskFull = 112;

enum class FileAccess {
  kReadShareRead,            // picture files: others may read but not write while open
  kReadWriteShareReadWrite,  // the settings file when read at start-up; must exist
  kCreateWrite,              // a new or emptied file for writing, not shared
};

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

  // Paths are ANSI bytes. On failure the result is empty and error holds the system's code.
  virtual std::unique_ptr<File> Open(const std::string& path, FileAccess access,
                                     SystemError& error) = 0;
  virtual std::optional<FileEntry> FindEntry(const std::string& path) = 0;
  virtual bool AttributesReadable(const std::string& path) = 0;
  // Moves a file over another in one step, replacing it.
  virtual SystemError Replace(const std::string& from, const std::string& to) = 0;
  virtual SystemError Remove(const std::string& path) = 0;
  virtual bool IsReadOnly(const std::string& path) = 0;
};

}  // namespace tavilune
