#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <limits>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

namespace {

class Win32File : public File {
 public:
  explicit Win32File(KernelHandle handle) : handle_(std::move(handle)) {}

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle_.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }

  IoResult Read(std::span<std::uint8_t> into) override {
    IoResult result;
    while (result.bytes < into.size()) {
      DWORD chunk = static_cast<DWORD>(
          std::min<std::size_t>(into.size() - result.bytes, std::numeric_limits<DWORD>::max() / 2));
      DWORD got = 0;
      if (!ReadFile(handle_.Get(), into.data() + result.bytes, chunk, &got, nullptr)) {
        result.error = GetLastError();
        break;
      }
      if (got == 0) break;
      result.bytes += got;
    }
    return result;
  }

  IoResult Write(std::span<const std::uint8_t> from) override {
    IoResult result;
    while (result.bytes < from.size()) {
      DWORD chunk = static_cast<DWORD>(
          std::min<std::size_t>(from.size() - result.bytes, std::numeric_limits<DWORD>::max() / 2));
      DWORD put = 0;
      if (!WriteFile(handle_.Get(), from.data() + result.bytes, chunk, &put, nullptr)) {
        result.error = GetLastError();
        break;
      }
      result.bytes += put;
    }
    return result;
  }

  SystemError Flush() override {
    return FlushFileBuffers(handle_.Get()) ? kNoError : GetLastError();
  }

 private:
  KernelHandle handle_;
};

// Every file call is a wide one: ANSI paths convert as the system's own ANSI calls would
// convert them, and UTF-8 paths (a program folder named in characters outside the ANSI code
// page) reach files that no ANSI call could name.
std::wstring WidePath(const FilePath& path) {
  return path.IsUtf8() ? Wide(path.text) : WideFromAnsi(path.text);
}

}  // namespace

std::unique_ptr<File> Win32FileSystem::Open(const FilePath& path, FileAccess access,
                                            SystemError& error) {
  DWORD desired = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  if (access == FileAccess::kReadWriteShareReadWrite) {
    desired = GENERIC_READ | GENERIC_WRITE;
    share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (access == FileAccess::kCreateWrite) {
    desired = GENERIC_WRITE;
    share = 0;
    disposition = CREATE_ALWAYS;
  }
  KernelHandle handle(CreateFileW(WidePath(path).c_str(), desired, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    error = GetLastError();
    return nullptr;
  }
  error = kNoError;
  return std::make_unique<Win32File>(std::move(handle));
}

std::optional<FileEntry> Win32FileSystem::FindEntry(const FilePath& path) {
  WIN32_FIND_DATAW found{};
  const FindHandle search(FindFirstFileW(WidePath(path).c_str(), &found));
  if (!search) return std::nullopt;
  FileEntry entry;
  entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  FILETIME local{};
  SYSTEMTIME time{};
  if (FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
      FileTimeToSystemTime(&local, &time)) {
    entry.lastWriteLocalYear = time.wYear;
  }
  return entry;
}

bool Win32FileSystem::AttributesReadable(const FilePath& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A rename over the old file, not ReplaceFile: ReplaceFile without a backup name can fail half-way
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT) with the old file already gone, while a refused rename leaves
// both files as they were. A target that another program holds open without sharing deletion (a
// scanner reading the file just written) refuses the rename with ERROR_ACCESS_DENIED.
SystemError Win32FileSystem::Replace(const FilePath& from, const FilePath& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? kNoError
             : GetLastError();
}

SystemError Win32FileSystem::Remove(const FilePath& path) {
  return DeleteFileW(WidePath(path).c_str()) ? kNoError : GetLastError();
}

bool Win32FileSystem::IsReadOnly(const FilePath& path) {
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void Win32FileSystem::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace tavilune::win32
