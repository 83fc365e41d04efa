#include "picture/stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/exceptions.h"

namespace tavilune {

namespace {

[[noreturn]] void RaiseReadError() { throw EReadError(u8"ストリームからの読み込みエラー"); }

}  // namespace

void Stream::ReadBuffer(std::span<std::uint8_t> into) {
  if (Read(into) != into.size()) RaiseReadError();
}

std::vector<std::uint8_t> Stream::ReadToEnd() {
  const std::uint64_t left = Remaining();
  std::vector<std::uint8_t> bytes;
  try {
    if (left > bytes.max_size()) throw std::bad_alloc();
    bytes.resize(static_cast<std::size_t>(left));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u8"メモリが足りません");
  } catch (const std::length_error&) {
    throw EOutOfMemory(u8"メモリが足りません");
  }
  ReadBuffer(bytes);
  return bytes;
}

std::size_t MemoryStream::Read(std::span<std::uint8_t> into) {
  const std::size_t count = std::min(into.size(), bytes_.size() - position_);
  if (count > 0) std::memcpy(into.data(), bytes_.data() + position_, count);
  position_ += count;
  return count;
}

std::size_t FileStream::Read(std::span<std::uint8_t> into) {
  std::size_t done = 0;
  while (done < into.size()) {
    const IoResult result = file_.Read(into.subspan(done));
    if (result.error != kNoError) RaiseReadError();
    if (result.bytes == 0) break;
    done += result.bytes;
  }
  position_ += done;
  return done;
}

}  // namespace tavilune
