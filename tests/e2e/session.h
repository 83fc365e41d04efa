// One case's world: its scratch folder with a private copy of the program, the files it writes
// there, and the program processes it starts (every one is ended when the case ends).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavilune::e2e {

using Bytes = std::vector<std::uint8_t>;

// A started program. Ends the process on destruction if it is still running.
class Program {
 public:
  Program(HANDLE process, DWORD processId) : process_(process), processId_(processId) {}
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD id() const { return processId_; }
  bool Running() const;
  // Waits for the process to end by itself; true when it did within the time.
  bool WaitForExit(DWORD timeoutMs) const;
  void Terminate();

 private:
  HANDLE process_;
  DWORD processId_;
};

class Session {
 public:
  // scratchRoot and programPath may be Unix paths (under Wine) or Windows paths.
  Session(const std::wstring& scratchRoot, const std::string& caseName,
          const std::wstring& programPath, const std::wstring& dataFolder);

  // Empties the case's folder and copies the program into it as exeName (which may name a
  // folder below it, made as needed).
  bool Prepare(const std::wstring& exeName = L"tavilune.exe");

  const std::wstring& folder() const { return folder_; }
  std::wstring Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }
  std::wstring ExePath() const { return Path(exeName_); }
  // A file of the repository's shared test data (tests/data).
  std::wstring DataPath(const std::wstring& relative) const { return data_ + L"\\" + relative; }
  // The settings file beside the program: its name with the extension ".dat".
  std::wstring SettingsPath() const;

  // A second build of the program (the other architecture's) for cases that judge both.
  void SetOtherProgram(const std::wstring& path);
  bool HasOtherProgram() const { return !otherProgramPath_.empty(); }
  // Copies the other program over the copy in the case's folder; the one copied before becomes
  // the other, so that calls alternate between the two.
  bool SwapProgram();

  // Starts the copied program with its folder as the current directory.
  std::unique_ptr<Program> Start();

  // Another program's ordinary window, active when the case begins, as a user's desktop always
  // has one: whatever the program gives the activation away to lands there, not on a fallback
  // that happens to be the program's own. Started by the driver itself (RunOtherProgram), out of
  // the way in the screen's bottom-right corner; ended with the session.
  bool StartOtherProgram();
  HWND OtherWindow() const { return otherWindow_; }

 private:
  std::unique_ptr<Program> otherProgram_;
  HWND otherWindow_ = nullptr;
  std::wstring folder_;
  std::wstring programPath_;
  std::wstring otherProgramPath_;
  std::wstring data_;
  std::wstring exeName_ = L"tavilune.exe";
};

// The driver's second role, as that other program: one window and its message loop.
int RunOtherProgram();
inline constexpr wchar_t kOtherProgramOption[] = L"--other-program";

// Holds a file open with no sharing at all, as another program might, so that the program can
// neither open, replace nor delete it while the lock lasts. With FILE_SHARE_READ it holds the
// file as a virus scanner or an indexer does: others may read it, but not write, replace or
// delete it.
class FileLock {
 public:
  explicit FileLock(const std::wstring& path, DWORD share = 0);
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  void Release();

 private:
  HANDLE file_;
};

// File helpers on Windows paths.
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes);
// The path as the file functions take it: a drive path of MAX_PATH characters or more gets the
// long-path prefix, without which Windows refuses it.
std::wstring FileFunctionPath(const std::wstring& path);
std::optional<Bytes> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool MakeFolders(const std::wstring& path);  // creates every missing folder of the path
// Names of the files (not folders) in a folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
void RemoveTree(const std::wstring& path);

}  // namespace tavilune::e2e
