#include "session.h"

#include <cstdio>

#include "input.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

Program::~Program() { Terminate(); }

bool Program::Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(DWORD timeoutMs) const {
  return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void Program::Terminate() {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

namespace {

// Starts the program with the command line in the folder (nullptr: the driver's own).
std::unique_ptr<Program> StartProcess(const std::wstring& exe, std::wstring commandLine,
                                      const wchar_t* folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                      &startup, &info)) {
    std::printf("cannot start %s (error %lu)\n", Narrow(exe).c_str(), GetLastError());
    return nullptr;
  }
  CloseHandle(info.hThread);
  return std::make_unique<Program>(info.hProcess, info.dwProcessId);
}

bool CopyProgram(const std::wstring& from, const std::wstring& to) {
  if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
  std::printf("cannot copy %s (error %lu)\n", Narrow(from).c_str(), GetLastError());
  return false;
}

constexpr wchar_t kOtherProgramClass[] = L"TaviluneE2EOtherProgram";

LRESULT CALLBACK OtherProgramProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Session::Session(const std::wstring& scratchRoot, const std::string& caseName,
                 const std::wstring& programPath, const std::wstring& dataFolder)
    : folder_(WindowsPath(scratchRoot) + L"\\" + Widen(caseName)),
      programPath_(WindowsPath(programPath)),
      data_(WindowsPath(dataFolder)) {}

bool Session::Prepare(const std::wstring& exeName) {
  exeName_ = exeName;
  RemoveTree(folder_);
  // The program may go into a folder of its own below the case's folder.
  const std::wstring exeFolder = ExePath().substr(0, ExePath().find_last_of(L'\\'));
  if (!MakeFolders(folder_) || !MakeFolders(exeFolder)) {
    std::printf("cannot create the scratch folder %s\n", Narrow(exeFolder).c_str());
    return false;
  }
  return CopyProgram(programPath_, ExePath());
}

void Session::SetOtherProgram(const std::wstring& path) { otherProgramPath_ = WindowsPath(path); }

bool Session::SwapProgram() {
  if (!CopyProgram(otherProgramPath_, ExePath())) return false;
  std::swap(programPath_, otherProgramPath_);
  return true;
}

std::wstring Session::SettingsPath() const {
  std::wstring path = ExePath();
  size_t dot = path.find_last_of(L'.');
  size_t slash = path.find_last_of(L'\\');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) {
    path.resize(dot);
  }
  return path + L".dat";
}

std::unique_ptr<Program> Session::Start() {
  return StartProcess(ExePath(), L"\"" + ExePath() + L"\"", folder_.c_str());
}

int RunOtherProgram() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = OtherProgramProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kOtherProgramClass;
  if (!RegisterClassW(&windowClass)) return 1;
  const int width = 240;
  const int height = 120;
  CreateWindowExW(0, kOtherProgramClass, L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                  GetSystemMetrics(SM_CXSCREEN) - width - 10,
                  GetSystemMetrics(SM_CYSCREEN) - height - 10, width, height, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

bool Session::StartOtherProgram() {
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return false;
  otherProgram_ =
      StartProcess(self, L"\"" + std::wstring(self) + L"\" " + kOtherProgramOption, nullptr);
  if (otherProgram_ == nullptr) return false;
  otherWindow_ = WaitForTopLevel(*otherProgram_, kOtherProgramClass, nullptr, 20000);
  // A window that has only just been made may not take the foreground at once on a busy machine.
  return otherWindow_ != nullptr && WaitUntil([&] { return BringToFront(otherWindow_); }, 15000);
}

FileLock::FileLock(const std::wstring& path, DWORD share)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void FileLock::Release() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

std::wstring FileFunctionPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.size() < 3 || path[1] != L':') return path;
  return L"\\\\?\\" + path;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  HANDLE file = CreateFileW(FileFunctionPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  CloseHandle(file);
  return ok;
}

std::optional<Bytes> ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  Bytes bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  bool ok = bytes.empty() ||
            (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size());
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::wstring& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      std::wstring part = path.substr(0, i);
      if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    }
  }
  return true;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(FileFunctionPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(FileFunctionPath(child).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace tavilune::e2e
