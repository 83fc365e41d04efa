#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <ostream>
#include <string>
#include <tuple>

#include "fakes/fake_file_system.h"
#include "fakes/scratch_folder.h"
#include "platform/exceptions.h"
#include "platform/posix/posix_file_system.h"

namespace tavilune {
namespace {

using testing::FakeFileSystem;
using testing::FileOperation;
using testing::ScratchFolder;

const std::string kPath = "C:\\tavilune\\tavilune.dat";
const std::string kOldFile = std::string(276, 'o') + "more";  // a settings file before a save

std::string AsText(const SettingsBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

SettingsRecord Saved() {
  SettingsRecord record;
  record.FrameColor = 0xFFFFFF;
  record.FrameThickness = 3;
  record.SetPicturePath("C:\\pictures\\desk.jpg");
  record.WindowTop = 107;
  record.WindowLeft = -192;
  record.InTray = 1;
  return record;
}

// Runs the call and gives the I/O code it failed with, or -1 when it did not fail.
template <typename Call>
int InOutCodeOf(Call&& call, std::string* message = nullptr) {
  try {
    call();
  } catch (const EInOutError& error) {
    if (message) *message = error.Message();
    return error.Code();
  }
  return -1;
}

// Each test's fake file system and record, and a scratch folder on the real file system with
// the path of a settings file in it.
class SettingsFileFixture : public ::testing::Test {
 protected:
  FakeFileSystem files;
  SettingsRecord record;
  std::string message;  // of the last I/O error caught
  ScratchFolder folder;
  PosixFileSystem posix;
  const std::string realPath = folder.File("tavilune.dat");
};
using ReadSettingsFileTest = SettingsFileFixture;
using WriteSettingsFileTest = SettingsFileFixture;

// --- Reading ---------------------------------------------------------------------------------

TEST_F(ReadSettingsFileTest, ALongerFileGivesItsFirst276Bytes) {
  files.AddFile(kPath, AsText(EncodeSettingsRecord(Saved())) + std::string(50, '\x7F'));
  ReadSettingsFile(files, kPath, record);
  EXPECT_EQ(record, Saved());
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(ReadSettingsFileTest, AShortFileReplacesTheStartAndFailsWithReadPastEnd) {
  files.AddFile(kPath, AsText(EncodeSettingsRecord(Saved())).substr(0, 100));
  record.WindowTop = 55;
  record.PicturePath[200] = 'z';
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }, &message), 100);
  EXPECT_EQ(message, u8"ファイルの末尾以降を読み込みました");
  EXPECT_EQ(record.FrameThickness, 3);
  EXPECT_EQ(record.PicturePathText(), "C:\\pictures\\desk.jpg");
  EXPECT_EQ(record.PicturePath[200], 'z');
  EXPECT_EQ(record.WindowTop, 55);
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(ReadSettingsFileTest, AnEmptyFileFailsWithReadPastEndAndChangesNothing) {
  files.AddFile(kPath);
  record = Saved();
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }), 100);
  EXPECT_EQ(record, Saved());
}

TEST_F(ReadSettingsFileTest, OpenFailuresCarryTheSystemsCode) {
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }, &message), 2);
  EXPECT_EQ(message, u8"ファイルが見つかりません");

  files.AddFile(kPath, AsText(EncodeSettingsRecord(Saved())));
  files.SetReadOnly(kPath);
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }, &message), 5);
  EXPECT_EQ(message, u8"ファイルへのアクセスが拒否されました");
  EXPECT_TRUE(files.Pauses().empty()) << "a read-only file is not waited for";

  files.SetReadOnly(kPath, false);
  files.Fail(kPath, FileOperation::kOpen, kErrorSharingViolation);
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }, &message), 32);
  EXPECT_EQ(message, u8"I/O エラー (32)");
  EXPECT_EQ(record, SettingsRecord{});
}

TEST_F(ReadSettingsFileTest, AFailedReadClosesTheFileAndKeepsTheRecord) {
  files.AddFile(kPath, AsText(EncodeSettingsRecord(Saved())));
  files.Fail(kPath, FileOperation::kRead, FakeFileSystem::Failure{23, 40});
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(files, kPath, record); }), 23);
  EXPECT_EQ(record, SettingsRecord{});
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(ReadSettingsFileTest, ReadsARealFileAndRefusesARealReadOnlyOne) {
  folder.Write("tavilune.dat", AsText(EncodeSettingsRecord(Saved())) + "tail");
  ReadSettingsFile(posix, realPath, record);
  EXPECT_EQ(record, Saved());

  ASSERT_EQ(::chmod(realPath.c_str(), 0444), 0);
  EXPECT_EQ(InOutCodeOf([&] { ReadSettingsFile(posix, realPath, record); }), 5);
}

// --- Saving ----------------------------------------------------------------------------------

TEST_F(WriteSettingsFileTest, ReplacesTheOldFileWithExactly276Bytes) {
  files.AddFile(kPath, std::string(300, 'o'));
  WriteSettingsFile(files, kPath, Saved());
  EXPECT_EQ(files.Contents(kPath), AsText(EncodeSettingsRecord(Saved())));
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kPath});
  EXPECT_EQ(files.OpenFileCount(), 0);

  // A temporary file left behind by an earlier crash is simply written over.
  files.AddFile(SettingsTemporaryPath(kPath), "junk");
  SettingsRecord next = Saved();
  next.StayOnTop = 1;
  WriteSettingsFile(files, kPath, next);
  EXPECT_EQ(files.Contents(kPath), AsText(EncodeSettingsRecord(next)));
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kPath});
}

// Leftovers that cannot be written over or removed (made read-only, a folder of that name) move
// the save on to another temporary name; only when every name is blocked does it fail, and
// then the old settings file is kept as it was.
TEST_F(WriteSettingsFileTest, LeftoverTemporaryFilesThatCannotBeClearedDoNotBlockTheSave) {
  files.AddFile(kPath, "old");
  files.AddFile(SettingsTemporaryPath(kPath, 0), "stale");
  files.SetReadOnly(SettingsTemporaryPath(kPath, 0));
  files.AddFolder(SettingsTemporaryPath(kPath, 1));
  files.AddFile(SettingsTemporaryPath(kPath, 2), "stale too");
  WriteSettingsFile(files, kPath, Saved());
  EXPECT_EQ(files.Contents(kPath), AsText(EncodeSettingsRecord(Saved())));
  EXPECT_EQ(files.Contents(SettingsTemporaryPath(kPath, 0)), "stale");
  EXPECT_TRUE(files.IsFolder(SettingsTemporaryPath(kPath, 1)));
  EXPECT_FALSE(files.Exists(SettingsTemporaryPath(kPath, 2)));
  EXPECT_EQ(files.OpenFileCount(), 0);

  for (int attempt = 0; attempt < kSettingsTemporaryNames; ++attempt) {
    files.AddFolder(SettingsTemporaryPath(kPath, attempt));
  }
  files.AddFile(kPath, "old");
  EXPECT_EQ(InOutCodeOf([&] { WriteSettingsFile(files, kPath, Saved()); }), 5);
  EXPECT_EQ(files.Contents(kPath), "old");
}

struct SaveFailure {
  const char* name;
  FileOperation operation;
  FakeFileSystem::Failure failure;
  int code;
};

void PrintTo(const SaveFailure& failure, std::ostream* out) { *out << failure.name; }

class WriteSettingsFailureTest : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(WriteSettingsFailureTest, LeavesTheOldFileAsItWasAndNoTemporaryFile) {
  FakeFileSystem files;
  files.AddFile(kPath, kOldFile);
  files.Fail(SettingsTemporaryPath(kPath), GetParam().operation, GetParam().failure);
  EXPECT_EQ(InOutCodeOf([&] { WriteSettingsFile(files, kPath, Saved()); }), GetParam().code);
  EXPECT_EQ(files.Contents(kPath), kOldFile);
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kPath});
  EXPECT_EQ(files.OpenFileCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WriteSettingsFailureTest,
    ::testing::Values(SaveFailure{"CreateDenied", FileOperation::kOpen, {5}, 5},
                      SaveFailure{"CreateBadPath", FileOperation::kOpen, {3}, 3},
                      SaveFailure{"WriteDiskFullHalfWay", FileOperation::kWrite, {112, 100}, 101},
                      SaveFailure{"WriteHandleDiskFull", FileOperation::kWrite, {39}, 101},
                      SaveFailure{"WriteShortWithoutReason", FileOperation::kWrite, {0, 200}, 101},
                      SaveFailure{"WriteOtherError", FileOperation::kWrite, {1117, 10}, 1117},
                      SaveFailure{"Flush", FileOperation::kFlush, {1117}, 1117},
                      SaveFailure{"Replace", FileOperation::kReplace, {32}, 32}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteSettingsFileTest, AReadOnlySettingsFileStaysUntouched) {
  const std::string old = AsText(EncodeSettingsRecord(SettingsRecord{}));
  files.AddFile(kPath, old);
  files.SetReadOnly(kPath);
  EXPECT_EQ(InOutCodeOf([&] { WriteSettingsFile(files, kPath, Saved()); }, &message), 5);
  EXPECT_EQ(message, u8"ファイルへのアクセスが拒否されました");
  EXPECT_EQ(files.Contents(kPath), old);
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kPath});
}

TEST_F(WriteSettingsFileTest, WhenTheTemporaryFileCannotBeRemovedTheSavesOwnErrorIsShown) {
  files.AddFile(kPath, "old");
  files.Fail(SettingsTemporaryPath(kPath), FileOperation::kFlush, 1117);
  files.Fail(SettingsTemporaryPath(kPath), FileOperation::kRemove, 5);
  EXPECT_EQ(InOutCodeOf([&] { WriteSettingsFile(files, kPath, Saved()); }), 1117);
  EXPECT_EQ(files.Contents(kPath), "old");
}

// Another program holding the settings file for a moment (a virus scanner, the indexer, a sync
// client) makes the system refuse with 5, 32, 33 or 303: the read or save waits with growing
// pauses, about 1.4 s in all, then reports the last refusal with the old file whole. Lasting errors
// and a read-only file are reported at once.
struct HeldFile {
  const char* name;
  bool save;       // else the read at start-up
  bool temporary;  // the failure is the temporary file's, else the settings file's
  FileOperation operation;
  FakeFileSystem::Failure failure;
  int code;  // -1: goes through
  std::size_t pauses;
};

TEST(SettingsFileTest, WaitsForAFileHeldForAMoment) {
  const HeldFile rows[] = {
      {"save: replace denied 6 times", true, false, FileOperation::kReplace, {5, 0, 6}, -1, 6},
      {"save: write locked twice", true, true, FileOperation::kWrite, {33, 100, 2}, -1, 2},
      {"save: held too long", true, false, FileOperation::kReplace, {32}, 32, 10},
      {"save: disk full", true, true, FileOperation::kWrite, {112}, 101, 0},
      {"read: sharing violation 3 times", false, false, FileOperation::kOpen, {32, 0, 3}, -1, 3},
      {"read: region locked once", false, false, FileOperation::kRead, {33, 10, 1}, -1, 1},
      {"read: held too long", false, false, FileOperation::kOpen, {5}, 5, 10},
      {"save: create while deletion pending", true, true, FileOperation::kOpen, {303, 0, 2}, -1, 2},
      {"read: denied while held 4 times", false, false, FileOperation::kOpen, {5, 0, 4}, -1, 4},
  };
  for (const HeldFile& row : rows) {
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    files.AddFile(kPath, row.save ? kOldFile : AsText(EncodeSettingsRecord(Saved())));
    files.Fail(row.temporary ? SettingsTemporaryPath(kPath) : kPath, row.operation, row.failure);
    SettingsRecord record;
    EXPECT_EQ(InOutCodeOf([&] {
                row.save ? WriteSettingsFile(files, kPath, Saved())
                         : ReadSettingsFile(files, kPath, record);
              }),
              row.code);
    const std::vector<std::uint32_t>& pauses = files.Pauses();
    EXPECT_EQ(pauses.size(), row.pauses);
    EXPECT_EQ(std::adjacent_find(pauses.begin(), pauses.end(), std::greater_equal<>()),
              pauses.end());
    const std::uint32_t total = std::accumulate(pauses.begin(), pauses.end(), 0u);
    EXPECT_LE(total, 1500u);
    // Giving up comes only after more than a second, past a scanner's usual hold.
    EXPECT_TRUE(row.code == -1 || row.pauses == 0 || total > 1000u) << total;
    const bool done = row.code == -1;
    if (row.save) {
      EXPECT_EQ(files.Contents(kPath), done ? AsText(EncodeSettingsRecord(Saved())) : kOldFile);
    } else {
      EXPECT_EQ(record, done ? Saved() : SettingsRecord{});
    }
    EXPECT_EQ(files.Paths(), std::vector<std::string>{kPath});
    EXPECT_EQ(files.OpenFileCount(), 0);
  }
}

// A refusal that the security of the file (read only) or of its folder (a program folder) explains
// is reported at once with the same code and text; waiting for it cost 1.375 s at each start and
// save.
TEST_F(SettingsFileFixture, ADenialTheSecurityExplainsIsReportedWithoutWaiting) {
  const std::string folderPath = "C:\\tavilune";
  // Name, save (else read), file refuses writing, folder refuses new files, file exists.
  const std::tuple<const char*, bool, bool, bool, bool> rows[] = {
      {"read: file", false, true, false, true}, {"read: folder", false, true, true, true},
      {"save: folder", true, true, true, true}, {"save: first, folder", true, false, true, false},
      {"save: file", true, true, false, true},
  };
  for (const auto& [name, save, fileRefused, folderRefused, fileExists] : rows) {
    SCOPED_TRACE(name);
    FakeFileSystem files;
    files.AddFolder(folderPath);
    files.SetWriteRefusedBySecurity(folderPath, folderRefused);
    if (fileExists) {
      files.AddFile(kPath, kOldFile);
      files.SetWriteRefusedBySecurity(kPath, fileRefused);
    }
    EXPECT_EQ(InOutCodeOf(
                  [&] {
                    save ? WriteSettingsFile(files, kPath, Saved())
                         : ReadSettingsFile(files, kPath, record);
                  },
                  &message),
              5);
    EXPECT_EQ(message, u8"ファイルへのアクセスが拒否されました");
    EXPECT_TRUE(files.Pauses().empty()) << files.Pauses().size() << " pauses";
    EXPECT_EQ(files.Contents(kPath), fileExists ? std::optional(kOldFile) : std::nullopt);
    EXPECT_FALSE(files.Exists(SettingsTemporaryPath(kPath)));
    EXPECT_EQ(files.OpenFileCount(), 0);
  }
}

TEST_F(WriteSettingsFileTest, SavesARealFileThatReadsBackTheSame) {
  WriteSettingsFile(posix, realPath, Saved());
  folder.Write("longer.dat", std::string(400, 'o'));
  WriteSettingsFile(posix, folder.File("longer.dat"), Saved());

  EXPECT_EQ(folder.Read("tavilune.dat"), AsText(EncodeSettingsRecord(Saved())));
  EXPECT_EQ(folder.Read("longer.dat"), AsText(EncodeSettingsRecord(Saved())));
  ReadSettingsFile(posix, realPath, record);
  EXPECT_EQ(record, Saved());
  EXPECT_FALSE(posix.FindEntry(SettingsTemporaryPath(realPath)));
}

TEST_F(WriteSettingsFileTest, ARealReadOnlyFileIsNotReplaced) {
  folder.Write("tavilune.dat", "old");
  ASSERT_EQ(::chmod(realPath.c_str(), 0444), 0);
  EXPECT_EQ(InOutCodeOf([&] { WriteSettingsFile(posix, realPath, Saved()); }), 5);
  EXPECT_EQ(folder.Read("tavilune.dat"), "old");
  EXPECT_FALSE(posix.FindEntry(SettingsTemporaryPath(realPath)));
}

TEST_F(WriteSettingsFileTest, AMissingFolderFailsWithoutLeavingAnything) {
  const std::string path = folder.File("gone/tavilune.dat");
  EXPECT_NE(InOutCodeOf([&] { WriteSettingsFile(posix, path, Saved()); }), -1);
  EXPECT_FALSE(posix.FindEntry(folder.File("gone")));
}

}  // namespace
}  // namespace tavilune
