#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <limits>
#include <vector>

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

// The folder that holds the path's file, as a path of its own ("C:\\" for a file at a root).
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return L".";
  if (cut == 0 || (cut == 2 && path[1] == L':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

// Whether the file's or folder's security descriptor grants this process all of `rights`.
// AccessCheck wants an impersonation token, so the process's own token is duplicated as one;
// it also wants the owner and group besides the access list.
Permission SecurityGrants(const std::wstring& path, DWORD rights) {
  constexpr SECURITY_INFORMATION kParts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(path.c_str(), kParts, nullptr, 0, &size);
  if (size == 0) return Permission::kUnknown;
  std::vector<BYTE> descriptor(size);
  if (!GetFileSecurityW(path.c_str(), kParts, descriptor.data(), size, &size)) {
    return Permission::kUnknown;
  }
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &opened)) {
    return Permission::kUnknown;
  }
  const KernelHandle processToken(opened);
  HANDLE duplicated = nullptr;
  if (!DuplicateToken(processToken.Get(), SecurityImpersonation, &duplicated)) {
    return Permission::kUnknown;
  }
  const KernelHandle token(duplicated);
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = FALSE;
  if (!AccessCheck(descriptor.data(), token.Get(), rights, &mapping, &privileges, &privilegesSize,
                   &granted, &allowed)) {
    return Permission::kUnknown;
  }
  return allowed ? Permission::kGranted : Permission::kRefused;
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

// What the system checks before it opens, creates or renames: reading and writing the file
// itself; a new file needs the right to add files to its folder; putting a file in another's
// place needs that too, and the right to delete the old one (granted by the file, or by its
// folder to all its files).
Permission Win32FileSystem::SecurityPermits(const FilePath& path, FileIntent intent) {
  const std::wstring file = WidePath(path);
  const bool exists = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (intent == FileIntent::kReadWrite) {
    return SecurityGrants(file, FILE_GENERIC_READ | FILE_GENERIC_WRITE);
  }
  if (intent == FileIntent::kWrite && exists) return SecurityGrants(file, FILE_GENERIC_WRITE);
  const std::wstring folder = FolderOf(file);
  const Permission adding = SecurityGrants(folder, FILE_ADD_FILE);
  if (intent == FileIntent::kWrite || !exists || adding == Permission::kRefused) return adding;
  const Permission byFile = SecurityGrants(file, DELETE);
  const Permission byFolder = byFile == Permission::kGranted
                                  ? Permission::kGranted
                                  : SecurityGrants(folder, FILE_DELETE_CHILD);
  if (byFile == Permission::kRefused && byFolder == Permission::kRefused) {
    return Permission::kRefused;
  }
  return adding == Permission::kGranted && byFolder == Permission::kGranted ? Permission::kGranted
                                                                            : Permission::kUnknown;
}

void Win32FileSystem::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace tavilune::win32
