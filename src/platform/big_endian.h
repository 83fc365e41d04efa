// Big-endian values in a byte buffer of known length: colour profiles are laid out this way.
//
// The same idiom as the little-endian reader and writer: bounded by the buffer, a step past its
// end sets a sticky flag (reads then give zeros, writes are dropped), and the caller checks once
// at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavilune {

class BigEndianReader {
 public:
  explicit BigEndianReader(std::span<const std::uint8_t> in) : in_(in) {}

  std::uint8_t GetByte() { return static_cast<std::uint8_t>(Get(1)); }
  std::uint16_t GetUint16() { return static_cast<std::uint16_t>(Get(2)); }
  std::uint32_t GetUint32() { return static_cast<std::uint32_t>(Get(4)); }
  std::int32_t GetInt32() { return static_cast<std::int32_t>(GetUint32()); }
  // The next count bytes where they lie; an empty span when they run past the end.
  std::span<const std::uint8_t> GetSpan(std::size_t count) {
    if (!ok_ || count > in_.size() - position_) {
      Fail();
      return {};
    }
    const std::span<const std::uint8_t> bytes = in_.subspan(position_, count);
    position_ += count;
    return bytes;
  }

  // Moves to a position counted from the buffer's start; the end itself is a valid position.
  BigEndianReader& Seek(std::size_t position) {
    if (position > in_.size()) Fail();
    if (ok_) position_ = position;
    return *this;
  }

  // False for good once anything was asked for beyond the end.
  bool Ok() const { return ok_; }
  std::size_t Position() const { return position_; }

 private:
  std::uint32_t Get(std::size_t bytes) {
    if (!ok_ || bytes > in_.size() - position_) {
      Fail();
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | in_[position_ + i];
    position_ += bytes;
    return value;
  }
  void Fail() {
    ok_ = false;
    position_ = in_.size();
  }

  std::span<const std::uint8_t> in_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

class BigEndianWriter {
 public:
  explicit BigEndianWriter(std::span<std::uint8_t> out) : out_(out) {}

  void PutByte(std::uint8_t value) { Put(value, 1); }
  void PutUint16(std::uint16_t value) { Put(value, 2); }
  void PutUint32(std::uint32_t value) { Put(value, 4); }
  void PutInt32(std::int32_t value) { PutUint32(static_cast<std::uint32_t>(value)); }

  BigEndianWriter& Seek(std::size_t position) {
    if (position > out_.size()) Fail();
    if (ok_) position_ = position;
    return *this;
  }

  // False for good once anything was put or sought beyond the end.
  bool Ok() const { return ok_; }
  std::size_t Position() const { return position_; }

 private:
  void Put(std::uint32_t value, std::size_t bytes) {
    if (!ok_ || bytes > out_.size() - position_) {
      Fail();
      return;
    }
    for (std::size_t i = 0; i < bytes; ++i) {
      out_[position_ + i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
    }
    position_ += bytes;
  }
  void Fail() {
    ok_ = false;
    position_ = out_.size();
  }

  std::span<std::uint8_t> out_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace tavilune
