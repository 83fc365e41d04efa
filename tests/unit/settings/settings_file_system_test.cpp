// The fake file system stands in for the real one in the settings, start-up and picture-choice
// tests, so the behaviour those tests lean on is checked against both side by side.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "fakes/fake_file_system.h"
#include "fakes/scratch_folder.h"
#include "platform/posix/posix_file_system.h"

namespace tavilune {
namespace {

using testing::FakeFileSystem;
using testing::ScratchFolder;

// One file system, the fake or the real one in a scratch folder, with the means to set up and
// inspect it the way the test needs.
class Scene {
 public:
  explicit Scene(bool real) : real_(real) {}
  FileSystem& Files() { return real_ ? static_cast<FileSystem&>(posix_) : fake_; }
  std::string Path(const std::string& name) {
    return real_ ? folder_.File(name) : "C:\\scene\\" + name;
  }
  void AddFile(const std::string& name, const std::string& bytes) {
    real_ ? folder_.Write(name, bytes) : fake_.AddFile(Path(name), bytes);
  }
  void AddFolder(const std::string& name) {
    real_ ? void(::mkdir(Path(name).c_str(), 0755)) : fake_.AddFolder(Path(name));
  }
  void MakeReadOnly(const std::string& name) {
    real_ ? void(::chmod(Path(name).c_str(), 0444)) : fake_.SetReadOnly(Path(name));
  }

 private:
  bool real_;
  FakeFileSystem fake_;
  ScratchFolder folder_;
  PosixFileSystem posix_;
};

// The parameter: whether the scene is the real file system.
class FileSystemBehaviourTest : public ::testing::TestWithParam<bool> {
 protected:
  // The code opening the named entry fails with, or kNoError when it opens.
  SystemError OpenError(const std::string& name, FileAccess access) {
    SystemError error = kNoError;
    return files.Open(scene_.Path(name), access, error) ? kNoError : error;
  }
  std::string ReadAll(const std::string& name) {
    SystemError error = kNoError;
    auto file = files.Open(scene_.Path(name), FileAccess::kReadShareRead, error);
    if (!file) return "<error " + std::to_string(error) + ">";
    std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
    const IoResult read =
        file->Read(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    bytes.resize(read.bytes);
    return bytes;
  }
  Scene scene_{GetParam()};
  FileSystem& files = scene_.Files();
};

TEST_P(FileSystemBehaviourTest, OpeningGivesTheSystemsCodes) {
  EXPECT_EQ(OpenError("missing", FileAccess::kReadShareRead), kErrorFileNotFound);
  EXPECT_EQ(OpenError("missing", FileAccess::kReadWriteShareReadWrite), kErrorFileNotFound);

  scene_.AddFile("locked", "abc");
  scene_.MakeReadOnly("locked");
  EXPECT_TRUE(files.IsReadOnly(scene_.Path("locked")));
  EXPECT_EQ(OpenError("locked", FileAccess::kReadWriteShareReadWrite), kErrorAccessDenied);
  EXPECT_EQ(OpenError("locked", FileAccess::kCreateWrite), kErrorAccessDenied);
  EXPECT_EQ(ReadAll("locked"), "abc");

  scene_.AddFolder("folder");
  EXPECT_EQ(OpenError("folder", FileAccess::kReadShareRead), kErrorAccessDenied);
}

TEST_P(FileSystemBehaviourTest, CreatingEmptiesAtOnceAndReadsStopAtTheEnd) {
  scene_.AddFile("data", "0123456789");
  SystemError error = kNoError;
  {
    auto file = files.Open(scene_.Path("data"), FileAccess::kCreateWrite, error);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 0u);
    const std::uint8_t bytes[] = {'x', 'y'};
    EXPECT_EQ(file->Write(bytes).bytes, 2u);
    EXPECT_EQ(file->Flush(), kNoError);
  }
  auto file = files.Open(scene_.Path("data"), FileAccess::kReadWriteShareReadWrite, error);
  ASSERT_TRUE(file);
  std::uint8_t into[8] = {};
  const IoResult read = file->Read(into);
  EXPECT_EQ(read.bytes, 2u);
  EXPECT_EQ(read.error, kNoError);
  EXPECT_EQ(into[1], 'y');
}

TEST_P(FileSystemBehaviourTest, ReplaceAndRemove) {
  scene_.AddFile("new", "fresh");
  scene_.AddFile("old", "stale and longer");
  EXPECT_EQ(files.Replace(scene_.Path("new"), scene_.Path("old")), kNoError);
  EXPECT_EQ(ReadAll("old"), "fresh");
  EXPECT_FALSE(files.FindEntry(scene_.Path("new")));
  EXPECT_EQ(files.Replace(scene_.Path("new"), scene_.Path("old")), kErrorFileNotFound);

  EXPECT_EQ(files.Remove(scene_.Path("old")), kNoError);
  EXPECT_FALSE(files.AttributesReadable(scene_.Path("old")));
  EXPECT_EQ(files.Remove(scene_.Path("old")), kErrorFileNotFound);
}

TEST_P(FileSystemBehaviourTest, EntriesTellFilesFromFolders) {
  scene_.AddFile("picture.bmp", "BM");
  scene_.AddFolder("album.bmp");
  const auto file = files.FindEntry(scene_.Path("picture.bmp"));
  const auto folder = files.FindEntry(scene_.Path("album.bmp"));
  ASSERT_TRUE(file && folder);
  EXPECT_FALSE(file->isDirectory);
  EXPECT_TRUE(folder->isDirectory);
  EXPECT_GE(file->lastWriteLocalYear.value_or(0), 1980);
  EXPECT_TRUE(files.AttributesReadable(scene_.Path("album.bmp")));
  EXPECT_FALSE(files.FindEntry(scene_.Path("nothing.bmp")));
}

INSTANTIATE_TEST_SUITE_P(Both, FileSystemBehaviourTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Posix" : "Fake"; });

// What only the fake can show: it holds to the rules Windows has for open files.
TEST(FakeFileSystemTest, OpenFilesCannotBeMovedRemovedOrRecreated) {
  FakeFileSystem files;
  files.AddFile("a", "1");
  files.AddFile("b", "2");
  SystemError error = kNoError;
  {
    auto reading = files.Open("a", FileAccess::kReadShareRead, error);
    ASSERT_TRUE(reading);
    EXPECT_EQ(files.OpenFileCount(), 1);
    EXPECT_EQ(files.Replace("b", "a"), kErrorSharingViolation);
    EXPECT_EQ(files.Replace("a", "b"), kErrorSharingViolation);
    EXPECT_EQ(files.Remove("a"), kErrorSharingViolation);
    EXPECT_FALSE(files.Open("a", FileAccess::kCreateWrite, error));
    EXPECT_EQ(error, kErrorSharingViolation);
    EXPECT_TRUE(files.Open("a", FileAccess::kReadWriteShareReadWrite, error));
  }
  auto writing = files.Open("a", FileAccess::kCreateWrite, error);
  ASSERT_TRUE(writing);
  EXPECT_FALSE(files.Open("a", FileAccess::kReadShareRead, error));
  EXPECT_EQ(error, kErrorSharingViolation);
}

TEST(FakeFileSystemTest, ScriptedFailuresHitTheirPathAndOperationForTheirTimes) {
  FakeFileSystem files;
  files.AddFile("a", "abcdef");
  files.Fail("a", testing::FileOperation::kRead, FakeFileSystem::Failure{23, 2, 1});
  files.Fail(FakeFileSystem::kAnyPath, testing::FileOperation::kRemove, 5);
  SystemError error = kNoError;
  auto file = files.Open("a", FileAccess::kReadShareRead, error);
  ASSERT_TRUE(file);
  std::uint8_t into[4] = {};
  IoResult read = file->Read(into);
  EXPECT_EQ(read.bytes, 2u);
  EXPECT_EQ(read.error, 23u);
  read = file->Read(into);
  EXPECT_EQ(read.bytes, 4u);
  EXPECT_EQ(into[0], 'c');
  file.reset();
  EXPECT_EQ(files.Remove("a"), 5u);
  EXPECT_EQ(files.Remove("elsewhere"), 5u);
  files.ClearFailures();
  EXPECT_EQ(files.Remove("a"), kNoError);
  EXPECT_EQ(files.Calls().back(), (testing::FileCall{testing::FileOperation::kRemove, "a", {}}));
}

}  // namespace
}  // namespace tavilune
