#pragma once

#include "platform/files.h"

namespace tavilune::win32 {

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<File> Open(const FilePath& path, FileAccess access, SystemError& error) override;
  std::optional<FileEntry> FindEntry(const FilePath& path) override;
  bool AttributesReadable(const FilePath& path) override;
  SystemError Replace(const FilePath& from, const FilePath& to) override;
  SystemError Remove(const FilePath& path) override;
  bool IsReadOnly(const FilePath& path) override;
  Permission SecurityPermits(const FilePath& path, FileIntent intent) override;
  void Pause(std::uint32_t milliseconds) override;
};

}  // namespace tavilune::win32
