#include "picture/picture_file.h"

namespace tavilune {

namespace {

constexpr int kFirstFileYear = 1980;
constexpr int kLastFileYear = 2107;

}  // namespace

bool FileExistsAt(FileSystem& files, const FilePath& path) {
  std::optional<FileEntry> entry = files.FindEntry(path);
  return entry && !entry->isDirectory && entry->lastWriteLocalYear &&
         *entry->lastWriteLocalYear >= kFirstFileYear &&
         *entry->lastWriteLocalYear <= kLastFileYear;
}

}  // namespace tavilune
