#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace tavilune {

namespace {

SystemError FromErrno(int code) {
  switch (code) {
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
      return 4;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case ENOSPC:
      return kErrorDiskFull;
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }

  std::uint64_t Size() override {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  }

  IoResult Read(std::span<std::uint8_t> into) override {
    IoResult result;
    while (result.bytes < into.size()) {
      ssize_t got = ::read(fd_, into.data() + result.bytes, into.size() - result.bytes);
      if (got < 0) {
        if (errno == EINTR) continue;
        result.error = FromErrno(errno);
        break;
      }
      if (got == 0) break;
      result.bytes += static_cast<std::size_t>(got);
    }
    return result;
  }

  IoResult Write(std::span<const std::uint8_t> from) override {
    IoResult result;
    while (result.bytes < from.size()) {
      ssize_t put = ::write(fd_, from.data() + result.bytes, from.size() - result.bytes);
      if (put < 0) {
        if (errno == EINTR) continue;
        result.error = FromErrno(errno);
        break;
      }
      result.bytes += static_cast<std::size_t>(put);
    }
    return result;
  }

  SystemError Flush() override { return ::fsync(fd_) == 0 ? kNoError : FromErrno(errno); }

 private:
  int fd_;
};

}  // namespace

// Native file names are bytes: a path's text is used as it is, whatever its encoding.
std::unique_ptr<File> PosixFileSystem::Open(const FilePath& path, FileAccess access,
                                            SystemError& error) {
  int flags = O_RDONLY;
  if (access == FileAccess::kReadWriteShareReadWrite) {
    // Windows refuses a read-write open of a read-only file even to an administrator.
    if (IsReadOnly(path)) {
      error = kErrorAccessDenied;
      return nullptr;
    }
    flags = O_RDWR;
  } else if (access == FileAccess::kCreateWrite) {
    // Nor does it empty a read-only file to write it anew.
    if (IsReadOnly(path)) {
      error = kErrorAccessDenied;
      return nullptr;
    }
    flags = O_WRONLY | O_CREAT | O_TRUNC;
  }
  int fd = ::open(path.text.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = FromErrno(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    error = kErrorAccessDenied;
    return nullptr;
  }
  error = kNoError;
  return std::make_unique<PosixFile>(fd);
}

std::optional<FileEntry> PosixFileSystem::FindEntry(const FilePath& path) {
  struct stat info {};
  if (::stat(path.text.c_str(), &info) != 0) return std::nullopt;
  FileEntry entry;
  entry.isDirectory = S_ISDIR(info.st_mode);
  std::tm local{};
  if (::localtime_r(&info.st_mtime, &local) != nullptr)
    entry.lastWriteLocalYear = local.tm_year + 1900;
  return entry;
}

bool PosixFileSystem::AttributesReadable(const FilePath& path) {
  struct stat info {};
  return ::stat(path.text.c_str(), &info) == 0;
}

SystemError PosixFileSystem::Replace(const FilePath& from, const FilePath& to) {
  return ::rename(from.text.c_str(), to.text.c_str()) == 0 ? kNoError : FromErrno(errno);
}

SystemError PosixFileSystem::Remove(const FilePath& path) {
  return ::unlink(path.text.c_str()) == 0 ? kNoError : FromErrno(errno);
}

bool PosixFileSystem::IsReadOnly(const FilePath& path) {
  struct stat info {};
  return ::stat(path.text.c_str(), &info) == 0 &&
         (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The mode bits and the mount decide here: writing needs the file's write permission, creating
// and renaming need the folder's write and search permissions.
Permission PosixFileSystem::SecurityPermits(const FilePath& path, FileIntent intent) {
  const std::string& file = path.text;
  const std::size_t cut = file.rfind('/');
  const std::string folder =
      cut == std::string::npos ? std::string(".") : file.substr(0, cut == 0 ? 1 : cut);
  struct stat info {};
  const bool exists = ::stat(file.c_str(), &info) == 0;
  const char* checked = file.c_str();
  int mode = R_OK | W_OK;
  if (intent == FileIntent::kWrite && exists) {
    mode = W_OK;
  } else if (intent != FileIntent::kReadWrite) {
    checked = folder.c_str();
    mode = W_OK | X_OK;
  }
  if (::faccessat(AT_FDCWD, checked, mode, AT_EACCESS) == 0) return Permission::kGranted;
  return errno == EACCES || errno == EPERM || errno == EROFS ? Permission::kRefused
                                                             : Permission::kUnknown;
}

void PosixFileSystem::Pause(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tavilune
