#include "fakes/fake_file_system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/ansi.h"

namespace tavilune::testing {

struct FakeFileSystem::Node {
  bool folder = false;
  std::string bytes{};
  bool readOnly = false;
  std::optional<int> lastWriteYear{};
  bool attributesReadable = true;
  bool writeRefusedBySecurity = false;
  int sharedHandles = 0;     // opened for reading, others may go on using the file
  int exclusiveHandles = 0;  // created for writing, nobody else may touch the file

  bool InUse() const { return sharedHandles > 0 || exclusiveHandles > 0; }
};

// A handle on a node. The file system must outlive its handles, as a test's fake does.
class FakeFileSystem::FakeFile : public File {
 public:
  FakeFile(FakeFileSystem& owner, std::string path, std::shared_ptr<Node> node, bool exclusive)
      : owner_(owner), path_(std::move(path)), node_(std::move(node)), exclusive_(exclusive) {
    (exclusive_ ? node_->exclusiveHandles : node_->sharedHandles) += 1;
    ++owner_.openHandles_;
  }
  ~FakeFile() override {
    (exclusive_ ? node_->exclusiveHandles : node_->sharedHandles) -= 1;
    --owner_.openHandles_;
  }

  std::uint64_t Size() override { return node_->bytes.size(); }

  IoResult Read(std::span<std::uint8_t> into) override {
    owner_.Record(FileOperation::kRead, path_);
    const std::optional<Failure> failure = owner_.TakeFailure(path_, FileOperation::kRead);
    std::size_t wanted = into.size();
    if (failure) wanted = std::min(wanted, failure->bytesFirst);
    const std::size_t available =
        position_ < node_->bytes.size() ? node_->bytes.size() - position_ : 0;
    const std::size_t count = std::min(wanted, available);
    std::copy_n(node_->bytes.begin() + static_cast<std::ptrdiff_t>(position_), count, into.begin());
    position_ += count;
    return IoResult{count, failure ? failure->error : kNoError};
  }

  IoResult Write(std::span<const std::uint8_t> from) override {
    owner_.Record(FileOperation::kWrite, path_);
    const std::optional<Failure> failure = owner_.TakeFailure(path_, FileOperation::kWrite);
    const std::size_t count = failure ? std::min(from.size(), failure->bytesFirst) : from.size();
    if (node_->bytes.size() < position_ + count) node_->bytes.resize(position_ + count);
    std::copy_n(from.begin(), count, node_->bytes.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += count;
    return IoResult{count, failure ? failure->error : kNoError};
  }

  SystemError Flush() override {
    owner_.Record(FileOperation::kFlush, path_);
    const std::optional<Failure> failure = owner_.TakeFailure(path_, FileOperation::kFlush);
    return failure ? failure->error : kNoError;
  }

 private:
  FakeFileSystem& owner_;
  std::string path_;
  std::shared_ptr<Node> node_;
  bool exclusive_;
  std::size_t position_ = 0;
};

FakeFileSystem::FakeFileSystem() = default;

FakeFileSystem::~FakeFileSystem() {
  // A handle still open here would write into freed memory later; that is a test's mistake.
  if (openHandles_ != 0) {
    std::fprintf(stderr, "FakeFileSystem destroyed with %d open file(s)\n", openHandles_);
    std::abort();
  }
}

std::string FakeFileSystem::Key(const FilePath& path) {
  if (!path.IsUtf8()) return path.text;
  if (std::optional<std::string> ansi = Utf8ToAnsi(path.text)) return *ansi;
  // "<" is in no Windows file name, so no ANSI path can take this key.
  return "<wide>" + path.text;
}

void FakeFileSystem::AddFile(const FilePath& path, std::string bytes,
                             std::optional<int> lastWriteYear) {
  nodes_[Key(path)] =
      std::make_shared<Node>(Node{.bytes = std::move(bytes), .lastWriteYear = lastWriteYear});
}

void FakeFileSystem::AddFolder(const FilePath& path, std::optional<int> lastWriteYear) {
  nodes_[Key(path)] = std::make_shared<Node>(Node{.folder = true, .lastWriteYear = lastWriteYear});
}

namespace {

template <typename Nodes>
auto& Existing(Nodes& nodes, const std::string& key) {
  const auto found = nodes.find(key);
  if (found == nodes.end()) throw std::logic_error("no fake file or folder at " + key);
  return *found->second;
}

}  // namespace

void FakeFileSystem::SetReadOnly(const FilePath& path, bool readOnly) {
  Existing(nodes_, Key(path)).readOnly = readOnly;
}

void FakeFileSystem::SetLastWriteYear(const FilePath& path, std::optional<int> year) {
  Existing(nodes_, Key(path)).lastWriteYear = year;
}

void FakeFileSystem::SetWriteRefusedBySecurity(const FilePath& path, bool refused) {
  Existing(nodes_, Key(path)).writeRefusedBySecurity = refused;
}

void FakeFileSystem::SetAttributesReadable(const FilePath& path, bool readable) {
  Existing(nodes_, Key(path)).attributesReadable = readable;
}

void FakeFileSystem::Fail(const FilePath& path, FileOperation operation, Failure failure) {
  failures_[{Key(path), operation}] = failure;
}

void FakeFileSystem::ClearFailures() { failures_.clear(); }

bool FakeFileSystem::Exists(const FilePath& path) const { return nodes_.contains(Key(path)); }

bool FakeFileSystem::IsFolder(const FilePath& path) const {
  const auto found = nodes_.find(Key(path));
  return found != nodes_.end() && found->second->folder;
}

std::optional<std::string> FakeFileSystem::Contents(const FilePath& path) const {
  const auto found = nodes_.find(Key(path));
  if (found == nodes_.end() || found->second->folder) return std::nullopt;
  return found->second->bytes;
}

std::vector<std::string> FakeFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, node] : nodes_) paths.push_back(path);
  return paths;
}

std::optional<FakeFileSystem::Failure> FakeFileSystem::TakeFailure(const std::string& key,
                                                                   FileOperation operation) {
  for (const std::string& which : {key, kAnyPath}) {
    const auto found = failures_.find({which, operation});
    if (found == failures_.end()) continue;
    Failure failure = found->second;
    if (found->second.times > 0 && --found->second.times == 0) failures_.erase(found);
    return failure;
  }
  return std::nullopt;
}

bool FakeFileSystem::SecurityRefuses(const std::string& key, FileIntent intent) const {
  const auto refuses = [&](const std::string& path) {
    const auto found = nodes_.find(path);
    return found != nodes_.end() && found->second->writeRefusedBySecurity;
  };
  const std::size_t cut = key.find_last_of("\\/");
  const bool folderRefuses = cut != std::string::npos && refuses(key.substr(0, cut));
  const bool exists = nodes_.contains(key);
  switch (intent) {
    case FileIntent::kReadWrite:
      return refuses(key);
    case FileIntent::kWrite:
      return exists ? refuses(key) : folderRefuses;
    case FileIntent::kReplace:
      return folderRefuses || refuses(key);
  }
  return false;
}

void FakeFileSystem::Record(FileOperation operation, const std::string& path,
                            const std::string& target) {
  calls_.push_back(FileCall{operation, path, target});
}

std::unique_ptr<File> FakeFileSystem::Open(const FilePath& filePath, FileAccess access,
                                           SystemError& error) {
  const std::string path = Key(filePath);
  Record(FileOperation::kOpen, path);
  error = kNoError;
  if (const std::optional<Failure> failure = TakeFailure(path, FileOperation::kOpen)) {
    error = failure->error;
    return nullptr;
  }
  const auto found = nodes_.find(path);
  std::shared_ptr<Node> node = found != nodes_.end() ? found->second : nullptr;
  if (node && node->folder) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  if (access == FileAccess::kCreateWrite) {
    if ((node && node->readOnly) || SecurityRefuses(path, FileIntent::kWrite)) {
      error = kErrorAccessDenied;
    } else if (node && node->InUse()) {
      error = kErrorSharingViolation;
    } else {
      // Created, or emptied at once, like CREATE_ALWAYS.
      if (!node) AddFile(path, {});
      node = nodes_[path];
      node->bytes.clear();
      return std::make_unique<FakeFile>(*this, path, node, true);
    }
    return nullptr;
  }
  if (!node) {
    error = kErrorFileNotFound;
  } else if (access == FileAccess::kReadWriteShareReadWrite &&
             (node->readOnly || SecurityRefuses(path, FileIntent::kReadWrite))) {
    error = kErrorAccessDenied;
  } else if (node->exclusiveHandles > 0) {
    error = kErrorSharingViolation;
  } else {
    return std::make_unique<FakeFile>(*this, path, node, false);
  }
  return nullptr;
}

std::optional<FileEntry> FakeFileSystem::FindEntry(const FilePath& path) {
  const auto found = nodes_.find(Key(path));
  if (found == nodes_.end()) return std::nullopt;
  return FileEntry{found->second->folder, found->second->lastWriteYear};
}

bool FakeFileSystem::AttributesReadable(const FilePath& path) {
  const auto found = nodes_.find(Key(path));
  return found != nodes_.end() && found->second->attributesReadable;
}

SystemError FakeFileSystem::Replace(const FilePath& fromPath, const FilePath& toPath) {
  const std::string from = Key(fromPath);
  const std::string to = Key(toPath);
  Record(FileOperation::kReplace, from, to);
  for (const std::string& path : {to, from}) {
    if (const std::optional<Failure> failure = TakeFailure(path, FileOperation::kReplace)) {
      return failure->error;
    }
  }
  const auto source = nodes_.find(from);
  if (source == nodes_.end()) return kErrorFileNotFound;
  if (SecurityRefuses(to, FileIntent::kReplace)) return kErrorAccessDenied;
  if (source->second->InUse()) return kErrorSharingViolation;
  if (const auto target = nodes_.find(to); target != nodes_.end()) {
    const Node& existing = *target->second;
    if (existing.folder || existing.readOnly) return kErrorAccessDenied;
    if (existing.InUse()) return kErrorSharingViolation;
  }
  std::shared_ptr<Node> moved = source->second;
  nodes_.erase(source);
  nodes_[to] = std::move(moved);
  return kNoError;
}

SystemError FakeFileSystem::Remove(const FilePath& filePath) {
  const std::string path = Key(filePath);
  Record(FileOperation::kRemove, path);
  if (const std::optional<Failure> failure = TakeFailure(path, FileOperation::kRemove)) {
    return failure->error;
  }
  const auto found = nodes_.find(path);
  if (found == nodes_.end()) return kErrorFileNotFound;
  const Node& node = *found->second;
  if (node.folder || node.readOnly || SecurityRefuses(path, FileIntent::kReplace)) {
    return kErrorAccessDenied;
  }
  if (node.InUse()) return kErrorSharingViolation;
  nodes_.erase(found);
  return kNoError;
}

bool FakeFileSystem::IsReadOnly(const FilePath& path) {
  const auto found = nodes_.find(Key(path));
  return found != nodes_.end() && found->second->readOnly;
}

Permission FakeFileSystem::SecurityPermits(const FilePath& path, FileIntent intent) {
  return SecurityRefuses(Key(path), intent) ? Permission::kRefused : Permission::kGranted;
}

}  // namespace tavilune::testing
