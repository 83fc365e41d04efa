#include "settings/settings_file.h"

#include "platform/exceptions.h"

namespace tavilune {

namespace {

// The error box has its own text for a full disk, so the system's two ways of saying so are
// shown with it rather than as a bare number; every other system code is passed on as it is.
int InOutCodeOf(SystemError error) {
  if (error == kErrorHandleDiskFull || error == kErrorDiskFull) return kInOutDiskFull;
  return static_cast<int>(error);
}

[[noreturn]] void ThrowInOut(SystemError error) { throw EInOutError(InOutCodeOf(error)); }

// Virus scanners, the search indexer and sync clients open a file they see change for a moment,
// sharing reads only. Meanwhile the system refuses to open, write or replace it with a sharing
// violation, a lock violation, or a plain access denied (also given for a file whose deletion is
// pending); all of these are tried again. An access denied that the file's or its folder's own
// rules explain lasts: a program folder the user may not write to, a settings file the user may
// only read. Waiting cannot change those, so they are reported at once.
bool MayBeHeldForAMoment(FileSystem& files, const FilePath& path, FileIntent intent,
                         SystemError error) {
  if (error == kErrorSharingViolation || error == kErrorLockViolation ||
      error == kErrorDeletePending) {
    return true;
  }
  if (error != kErrorAccessDenied) return false;
  if (files.IsReadOnly(path)) return false;
  const std::optional<FileEntry> entry = files.FindEntry(path);
  if (entry && entry->isDirectory) return false;
  return files.SecurityPermits(path, intent) != Permission::kRefused;
}

// Tries a step of one read or save again while the file may only be held for a moment, with
// growing pauses that come to 1.375 s over the whole read or save: more than such programs
// usually hold a small file, and the log-off question still gets its answer within moments.
class HeldFileRetry {
 public:
  explicit HeldFileRetry(FileSystem& files) : files_(files) {}

  // Runs the step until it gives no error, an error that lasts, or the pauses are used up;
  // returns its last error. `path` is the file whose refusal the step reports, `intent` what the
  // step does to it.
  template <typename Step>
  SystemError Run(const FilePath& path, FileIntent intent, Step&& step) {
    SystemError error = step();
    while (error != kNoError && pausesTaken_ < kPauseCount &&
           MayBeHeldForAMoment(files_, path, intent, error)) {
      files_.Pause(kFirstPauseMs * ++pausesTaken_);
      error = step();
    }
    return error;
  }

 private:
  static constexpr std::uint32_t kPauseCount = 10;
  static constexpr std::uint32_t kFirstPauseMs = 25;  // then 50, 75, ... 250

  FileSystem& files_;
  std::uint32_t pausesTaken_ = 0;
};

// Writes the whole file anew (creating it empties it, so a try after a failed one starts clean)
// and makes the bytes durable. The file is closed when this returns, as a replace or a removal
// needs.
SystemError WriteDurably(FileSystem& files, const FilePath& path, const SettingsBytes& bytes) {
  SystemError error = kNoError;
  std::unique_ptr<File> file = files.Open(path, FileAccess::kCreateWrite, error);
  if (!file) return error != kNoError ? error : kErrorAccessDenied;
  const IoResult written = file->Write(bytes);
  if (written.error != kNoError) return written.error;
  // A write that stops short without a reason is the disk running out of room.
  if (written.bytes != bytes.size()) return kErrorDiskFull;
  return file->Flush();
}

}  // namespace

FilePath SettingsTemporaryPath(const FilePath& path, int attempt) {
  return path + ".tmp" + (attempt == 0 ? std::string() : std::to_string(attempt));
}

namespace {

// A temporary name for this save that nothing occupies. A leftover of a save that never got to
// replace the settings file (the program or the system stopped half-way) is removed; one that
// cannot be (made read-only, a folder of that name, held open by another program) is left
// alone and the next name is tried, so no leftover can block saving for good.
FilePath FreeTemporaryPath(FileSystem& files, const FilePath& path) {
  for (int attempt = 0; attempt < kSettingsTemporaryNames; ++attempt) {
    const FilePath candidate = SettingsTemporaryPath(path, attempt);
    if (!files.FindEntry(candidate)) return candidate;
    if (files.Remove(candidate) == kNoError && !files.FindEntry(candidate)) return candidate;
  }
  // Every name taken by something that cannot be removed: the system would refuse to write
  // over any of them in just these words.
  ThrowInOut(kErrorAccessDenied);
}

}  // namespace

void ReadSettingsFile(FileSystem& files, const FilePath& path, SettingsRecord& record) {
  SettingsBytes bytes{};
  IoResult read;
  HeldFileRetry retry(files);
  const SystemError error = retry.Run(path, FileIntent::kReadWrite, [&] {
    SystemError opened = kNoError;
    // Closed at the end of each try, before anything can throw.
    std::unique_ptr<File> file = files.Open(path, FileAccess::kReadWriteShareReadWrite, opened);
    if (!file) return opened != kNoError ? opened : kErrorFileNotFound;
    read = file->Read(bytes);
    return read.error;
  });
  if (error != kNoError) ThrowInOut(error);

  const std::size_t taken =
      OverlaySettingsBytes(std::span<const std::uint8_t>(bytes.data(), read.bytes), record);
  if (taken < SettingsRecord::kSize) throw EInOutError(kInOutReadPastEnd);
}

void WriteSettingsFile(FileSystem& files, const FilePath& path, const SettingsRecord& record) {
  // On Windows a replace onto a read-only file is refused anyway; a POSIX rename would go
  // through, so ask first and keep the user's write protection meaningful everywhere.
  if (files.IsReadOnly(path)) ThrowInOut(kErrorAccessDenied);

  const FilePath temporaryPath = FreeTemporaryPath(files, path);
  const SettingsBytes bytes = EncodeSettingsRecord(record);
  HeldFileRetry retry(files);
  SystemError error = retry.Run(temporaryPath, FileIntent::kWrite,
                                [&] { return WriteDurably(files, temporaryPath, bytes); });
  if (error == kNoError) {
    error =
        retry.Run(path, FileIntent::kReplace, [&] { return files.Replace(temporaryPath, path); });
  }
  if (error != kNoError) {
    // Nothing more can be done when this fails too; the save's own error is the one to show.
    static_cast<void>(files.Remove(temporaryPath));
    ThrowInOut(error);
  }
}

}  // namespace tavilune
