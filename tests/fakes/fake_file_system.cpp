#include "fakes/fake_file_system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tavilune::testing {

struct FakeFileSystem::Node {
  bool folder = false;
  std::string bytes;
  bool readOnly = false;
  std::optional<int> lastWriteYear;
  bool attributesReadable = true;
  int sharedHandles = 0;     // opened for reading, others may go on using the file
  int exclusiveHandles = 0;  // created for writing, nobody else may touch the file
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

void FakeFileSystem::AddFile(const std::string& path, std::string bytes,
                             std::optional<int> lastWriteYear) {
  auto node = std::make_shared<Node>();
  node->bytes = std::move(bytes);
  node->lastWriteYear = lastWriteYear;
  nodes_[path] = std::move(node);
}

void FakeFileSystem::AddFolder(const std::string& path, std::optional<int> lastWriteYear) {
  auto node = std::make_shared<Node>();
  node->folder = true;
  node->lastWriteYear = lastWriteYear;
  nodes_[path] = std::move(node);
}

namespace {

template <typename Nodes>
auto& Existing(Nodes& nodes, const std::string& path) {
  const auto found = nodes.find(path);
  if (found == nodes.end()) throw std::logic_error("no fake file or folder at " + path);
  return *found->second;
}

}  // namespace

void FakeFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  Existing(nodes_, path).readOnly = readOnly;
}

void FakeFileSystem::SetLastWriteYear(const std::string& path, std::optional<int> year) {
  Existing(nodes_, path).lastWriteYear = year;
}

void FakeFileSystem::SetAttributesReadable(const std::string& path, bool readable) {
  Existing(nodes_, path).attributesReadable = readable;
}

void FakeFileSystem::Fail(const std::string& path, FileOperation operation, Failure failure) {
  failures_[{path, operation}] = failure;
}

void FakeFileSystem::ClearFailures() { failures_.clear(); }

bool FakeFileSystem::Exists(const std::string& path) const { return nodes_.contains(path); }

bool FakeFileSystem::IsFolder(const std::string& path) const {
  const auto found = nodes_.find(path);
  return found != nodes_.end() && found->second->folder;
}

std::optional<std::string> FakeFileSystem::Contents(const std::string& path) const {
  const auto found = nodes_.find(path);
  if (found == nodes_.end() || found->second->folder) return std::nullopt;
  return found->second->bytes;
}

std::vector<std::string> FakeFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, node] : nodes_) paths.push_back(path);
  return paths;
}

std::optional<FakeFileSystem::Failure> FakeFileSystem::TakeFailure(const std::string& path,
                                                                   FileOperation operation) {
  for (const std::string& key : {path, kAnyPath}) {
    const auto found = failures_.find({key, operation});
    if (found == failures_.end()) continue;
    Failure failure = found->second;
    if (found->second.times > 0 && --found->second.times == 0) failures_.erase(found);
    return failure;
  }
  return std::nullopt;
}

void FakeFileSystem::Record(FileOperation operation, const std::string& path,
                            const std::string& target) {
  calls_.push_back(FileCall{operation, path, target});
}

std::unique_ptr<File> FakeFileSystem::Open(const std::string& path, FileAccess access,
                                           SystemError& error) {
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
    if (node && node->readOnly) {
      error = kErrorAccessDenied;
    } else if (node && (node->sharedHandles > 0 || node->exclusiveHandles > 0)) {
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
  } else if (access == FileAccess::kReadWriteShareReadWrite && node->readOnly) {
    error = kErrorAccessDenied;
  } else if (node->exclusiveHandles > 0) {
    error = kErrorSharingViolation;
  } else {
    return std::make_unique<FakeFile>(*this, path, node, false);
  }
  return nullptr;
}

std::optional<FileEntry> FakeFileSystem::FindEntry(const std::string& path) {
  const auto found = nodes_.find(path);
  if (found == nodes_.end()) return std::nullopt;
  return FileEntry{found->second->folder, found->second->lastWriteYear};
}

bool FakeFileSystem::AttributesReadable(const std::string& path) {
  const auto found = nodes_.find(path);
  return found != nodes_.end() && found->second->attributesReadable;
}

SystemError FakeFileSystem::Replace(const std::string& from, const std::string& to) {
  Record(FileOperation::kReplace, from, to);
  for (const std::string& path : {to, from}) {
    if (const std::optional<Failure> failure = TakeFailure(path, FileOperation::kReplace)) {
      return failure->error;
    }
  }
  const auto source = nodes_.find(from);
  if (source == nodes_.end()) return kErrorFileNotFound;
  if (source->second->sharedHandles > 0 || source->second->exclusiveHandles > 0) {
    return kErrorSharingViolation;
  }
  if (const auto target = nodes_.find(to); target != nodes_.end()) {
    const Node& existing = *target->second;
    if (existing.folder || existing.readOnly) return kErrorAccessDenied;
    if (existing.sharedHandles > 0 || existing.exclusiveHandles > 0) {
      return kErrorSharingViolation;
    }
  }
  std::shared_ptr<Node> moved = source->second;
  nodes_.erase(source);
  nodes_[to] = std::move(moved);
  return kNoError;
}

SystemError FakeFileSystem::Remove(const std::string& path) {
  Record(FileOperation::kRemove, path);
  if (const std::optional<Failure> failure = TakeFailure(path, FileOperation::kRemove)) {
    return failure->error;
  }
  const auto found = nodes_.find(path);
  if (found == nodes_.end()) return kErrorFileNotFound;
  const Node& node = *found->second;
  if (node.folder || node.readOnly) return kErrorAccessDenied;
  if (node.sharedHandles > 0 || node.exclusiveHandles > 0) return kErrorSharingViolation;
  nodes_.erase(found);
  return kNoError;
}

bool FakeFileSystem::IsReadOnly(const std::string& path) {
  const auto found = nodes_.find(path);
  return found != nodes_.end() && found->second->readOnly;
}

}  // namespace tavilune::testing
