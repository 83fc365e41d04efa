// An in-memory file system that behaves as Windows does where it matters to the program: a
// read-write open of a read-only file (or one whose security refuses writing) is refused, creating a file empties it at once, and a file
// that is open cannot be replaced or removed. Tests add files and folders, mark them read-only,
// and script failures per path and operation; every call is recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tavilune::testing {

enum class FileOperation { kOpen, kRead, kWrite, kFlush, kReplace, kRemove };

struct FileCall {
  FileOperation operation;
  std::string path;  // for kReplace the source; the target is in `target`
  std::string target;
  bool operator==(const FileCall&) const = default;
};

class FakeFileSystem : public FileSystem {
 public:
  // A failure a test scripts: the operation reports `error` on the path. For reads and writes,
  // `bytesFirst` bytes are transferred before the failure is reported (a write cut off half-way);
  // with kNoError and `bytesFirst` the transfer is just short. `times` failures, then success
  // again (-1: every time).
  struct Failure {
    SystemError error = kErrorAccessDenied;
    std::size_t bytesFirst = 0;
    int times = -1;
  };

  static constexpr int kDefaultYear = 2024;
  // Matches every path in Fail().
  static inline const std::string kAnyPath = "*";

  FakeFileSystem();
  ~FakeFileSystem() override;

  // Building the scene. Adding replaces what was at the path. As on Windows, an ANSI path and a
  // UTF-8 path that spell the same characters name the same file; a UTF-8 name with no ANSI
  // spelling can only be reached through a UTF-8 path.
  void AddFile(const FilePath& path, std::string bytes = {},
               std::optional<int> lastWriteYear = kDefaultYear);
  void AddFolder(const FilePath& path, std::optional<int> lastWriteYear = kDefaultYear);
  void SetReadOnly(const FilePath& path, bool readOnly = true);
  // What a directory search reports as the year; nothing models a time that is no date.
  void SetLastWriteYear(const FilePath& path, std::optional<int> year);
  // Security that lets this process read but not change the entry: such a file cannot be opened
  // for writing, written anew or replaced, such a folder takes no new file (so no replace into
  // it either). Each refusal is an access denied, and SecurityPermits tells that it lasts.
  void SetWriteRefusedBySecurity(const FilePath& path, bool refused = true);
  // Whether asking for the entry's attributes works (it does for every existing entry by default).
  void SetAttributesReadable(const FilePath& path, bool readable);

  void Fail(const FilePath& path, FileOperation operation, Failure failure);
  void Fail(const FilePath& path, FileOperation operation, SystemError error) {
    Fail(path, operation, Failure{error});
  }
  void ClearFailures();

  // Looking at the result.
  bool Exists(const FilePath& path) const;
  bool IsFolder(const FilePath& path) const;
  // A file's bytes; nothing for a folder or a missing path.
  std::optional<std::string> Contents(const FilePath& path) const;
  // Every file and folder, sorted: ANSI names as they are, names without an ANSI spelling as
  // "<wide>" and their UTF-8 text.
  std::vector<std::string> Paths() const;
  // Handles that have not been closed yet, over all files. Every handle must be closed before
  // the fake file system goes away.
  int OpenFileCount() const { return openHandles_; }
  const std::vector<FileCall>& Calls() const { return calls_; }
  // The pauses asked for, in milliseconds, in order; the fake never really waits.
  const std::vector<std::uint32_t>& Pauses() const { return pauses_; }
  void ClearCalls() { calls_.clear(); }

  // FileSystem
  std::unique_ptr<File> Open(const FilePath& path, FileAccess access, SystemError& error) override;
  std::optional<FileEntry> FindEntry(const FilePath& path) override;
  bool AttributesReadable(const FilePath& path) override;
  SystemError Replace(const FilePath& from, const FilePath& to) override;
  SystemError Remove(const FilePath& path) override;
  bool IsReadOnly(const FilePath& path) override;
  Permission SecurityPermits(const FilePath& path, FileIntent intent) override;
  void Pause(std::uint32_t milliseconds) override { pauses_.push_back(milliseconds); }

 private:
  struct Node;
  class FakeFile;
  friend class FakeFile;

  // The name the fake keeps a file under (see AddFile).
  static std::string Key(const FilePath& path);
  // The scripted failure for the call on the file kept under `key`, if one applies (and uses
  // one of its times up).
  std::optional<Failure> TakeFailure(const std::string& key, FileOperation operation);
  // Whether the security of the file at `key`, or of the folder it goes into, refuses `intent`.
  bool SecurityRefuses(const std::string& key, FileIntent intent) const;
  void Record(FileOperation operation, const std::string& path, const std::string& target = {});

  std::map<std::string, std::shared_ptr<Node>> nodes_;
  std::map<std::pair<std::string, FileOperation>, Failure> failures_;
  std::vector<FileCall> calls_;
  std::vector<std::uint32_t> pauses_;
  int openHandles_ = 0;
};

}  // namespace tavilune::testing
