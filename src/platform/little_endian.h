// Little-endian values in a byte buffer of known length: the settings record, the headers of the
// picture files and the bitmap headers the system draws from are all laid out this way. A JPEG's
// EXIF block may be in either byte order, so the reader can be switched to big-endian values.
//
// Both directions are bounded by the buffer and remember a step past its end in a sticky ok
// flag: a reader then gives zeros, a writer drops the bytes, and the caller checks once at the
// end instead of before every field. A layout mistake or a short file thus shows as a failed
// check, never as a stray read or write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavilune {

class LittleEndianReader {
 public:
  explicit LittleEndianReader(std::span<const std::uint8_t> in) : in_(in) {}

  // Multi-byte values from here on are read most significant byte first (or, with false, last).
  void SetBigEndian(bool big) { bigEndian_ = big; }

  std::uint8_t GetByte() { return static_cast<std::uint8_t>(Get(1)); }
  std::uint16_t GetUint16() { return static_cast<std::uint16_t>(Get(2)); }
  std::uint32_t GetUint32() { return static_cast<std::uint32_t>(Get(4)); }
  std::int16_t GetInt16() { return static_cast<std::int16_t>(GetUint16()); }
  std::int32_t GetInt32() { return static_cast<std::int32_t>(GetUint32()); }
  void GetBytes(std::span<std::uint8_t> into) {
    for (std::uint8_t& byte : into) byte = GetByte();
  }
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
  LittleEndianReader& Seek(std::size_t position) {
    if (position > in_.size()) Fail();
    if (ok_) position_ = position;
    return *this;
  }
  LittleEndianReader& Skip(std::size_t count) {
    return Seek(count > in_.size() - position_ ? in_.size() + 1 : position_ + count);
  }

  // False for good once anything was asked for beyond the end.
  bool Ok() const { return ok_; }
  bool AtEnd() const { return position_ == in_.size(); }
  std::size_t Position() const { return position_; }

 private:
  std::uint32_t Get(std::size_t bytes) {
    if (!ok_ || bytes > in_.size() - position_) {
      Fail();
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      const std::size_t shift = 8 * (bigEndian_ ? bytes - 1 - i : i);
      value |= std::uint32_t{in_[position_ + i]} << shift;
    }
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
  bool bigEndian_ = false;
};

class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(std::span<std::uint8_t> out) : out_(out) {}

  // Multi-byte values from here on are written most significant byte first (or, with false,
  // last).
  void SetBigEndian(bool big) { bigEndian_ = big; }

  void PutByte(std::uint8_t value) { Put(value, 1); }
  void PutUint16(std::uint16_t value) { Put(value, 2); }
  void PutUint32(std::uint32_t value) { Put(value, 4); }
  void PutInt32(std::int32_t value) { PutUint32(static_cast<std::uint32_t>(value)); }
  void PutBytes(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) PutByte(byte);
  }

  // Moves to a position counted from the buffer's start; the end itself is a valid position.
  LittleEndianWriter& Seek(std::size_t position) {
    if (position > out_.size()) Fail();
    if (ok_) position_ = position;
    return *this;
  }

  // False for good once anything was put or sought beyond the end.
  bool Ok() const { return ok_; }
  bool AtEnd() const { return position_ == out_.size(); }
  std::size_t Position() const { return position_; }

 private:
  void Put(std::uint32_t value, std::size_t bytes) {
    if (!ok_ || bytes > out_.size() - position_) {
      Fail();
      return;
    }
    for (std::size_t i = 0; i < bytes; ++i) {
      const std::size_t shift = 8 * (bigEndian_ ? bytes - 1 - i : i);
      out_[position_ + i] = static_cast<std::uint8_t>(value >> shift);
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
  bool bigEndian_ = false;
};

}  // namespace tavilune
