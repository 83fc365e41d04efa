#include "settings/settings_file.h"

#include "forms/exceptions.h"

namespace tavilune {

namespace {

// The error box has its own text for a full disk, so the system's two ways of saying so are
// shown with it rather than as a bare number; every other system code is passed on as it is.
int InOutCodeOf(SystemError error) {
  if (error == kErrorHandleDiskFull || error == kErrorDiskFull) return kInOutDiskFull;
  return static_cast<int>(error);
}

[[noreturn]] void ThrowInOut(SystemError error) { throw EInOutError(InOutCodeOf(error)); }

// Writes the record's bytes and makes them durable; 0 when that worked, else the I/O code.
int WriteDurably(File& file, const SettingsBytes& bytes) {
  const IoResult written = file.Write(bytes);
  if (written.error != kNoError) return InOutCodeOf(written.error);
  // A write that stops short without a reason is the disk running out of room.
  if (written.bytes != bytes.size()) return kInOutDiskFull;
  if (const SystemError flushed = file.Flush(); flushed != kNoError) return InOutCodeOf(flushed);
  return 0;
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
  SystemError error = kNoError;
  std::unique_ptr<File> file = files.Open(path, FileAccess::kReadWriteShareReadWrite, error);
  if (!file) ThrowInOut(error != kNoError ? error : kErrorFileNotFound);

  SettingsBytes bytes{};
  const IoResult read = file->Read(bytes);
  file.reset();  // closed before anything can throw
  if (read.error != kNoError) ThrowInOut(read.error);

  const std::size_t taken =
      OverlaySettingsBytes(std::span<const std::uint8_t>(bytes.data(), read.bytes), record);
  if (taken < SettingsRecord::kSize) throw EInOutError(kInOutReadPastEnd);
}

void WriteSettingsFile(FileSystem& files, const FilePath& path, const SettingsRecord& record) {
  // On Windows a replace onto a read-only file is refused anyway; a POSIX rename would go
  // through, so ask first and keep the user's write protection meaningful everywhere.
  if (files.IsReadOnly(path)) ThrowInOut(kErrorAccessDenied);

  const FilePath temporaryPath = FreeTemporaryPath(files, path);
  SystemError error = kNoError;
  std::unique_ptr<File> file = files.Open(temporaryPath, FileAccess::kCreateWrite, error);
  if (!file) ThrowInOut(error != kNoError ? error : kErrorAccessDenied);
  const int failure = WriteDurably(*file, EncodeSettingsRecord(record));
  // Closed before the temporary file is moved or removed: the system does neither to an open file.
  file.reset();

  SystemError replaced = kNoError;
  if (failure == 0) replaced = files.Replace(temporaryPath, path);
  if (failure != 0 || replaced != kNoError) {
    // Nothing more can be done when this fails too; the save's own error is the one to show.
    static_cast<void>(files.Remove(temporaryPath));
    throw EInOutError(failure != 0 ? failure : InOutCodeOf(replaced));
  }
}

}  // namespace tavilune
