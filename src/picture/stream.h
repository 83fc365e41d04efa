// A byte stream that graphics load from: a file opened by LoadPicture or bytes in memory (tests,
// fuzzers). Reading starts at the stream's current position and goes to its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/files.h"

namespace tavilune {

class Stream {
 public:
  virtual ~Stream() = default;
  // Bytes from the current position to the end.
  virtual std::uint64_t Remaining() = 0;
  // Reads up to into.size() bytes; fewer only at the end. A failing read raises EReadError.
  virtual std::size_t Read(std::span<std::uint8_t> into) = 0;

  // Reads exactly into.size() bytes or raises EReadError ("ストリームからの読み込みエラー").
  void ReadBuffer(std::span<std::uint8_t> into);
  // Reads everything that is left. Raises EOutOfMemory when that cannot be held.
  std::vector<std::uint8_t> ReadToEnd();
};

class MemoryStream : public Stream {
 public:
  explicit MemoryStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Remaining() override { return bytes_.size() - position_; }
  std::size_t Read(std::span<std::uint8_t> into) override;

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// A file from its first byte; the file stays owned by the caller.
class FileStream : public Stream {
 public:
  explicit FileStream(File& file) : file_(file), size_(file.Size()) {}
  std::uint64_t Remaining() override { return position_ < size_ ? size_ - position_ : 0; }
  std::size_t Read(std::span<std::uint8_t> into) override;

 private:
  File& file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

}  // namespace tavilune
