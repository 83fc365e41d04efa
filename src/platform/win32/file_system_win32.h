#pragma once

#include "platform/files.h"

namespace tavilune::win32 {

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, FileAccess access,
                             SystemError& error) override;
  std::optional<FileEntry> FindEntry(const std::string& path) override;
  bool AttributesReadable(const std::string& path) override;
  SystemError Replace(const std::string& from, const std::string& to) override;
  SystemError Remove(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
};

}  // namespace tavilune::win32
