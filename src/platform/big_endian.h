// Big-endian values in a byte buffer of known length: colour profiles are laid out this way. The
// bounded reader and writer of little_endian.h (a step past the end sets a sticky flag, the
// caller checks once at the end), set to the other byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/little_endian.h"

namespace tavilune {

class BigEndianReader : public LittleEndianReader {
 public:
  explicit BigEndianReader(std::span<const std::uint8_t> in) : LittleEndianReader(in) {
    SetBigEndian(true);
  }
  BigEndianReader& Seek(std::size_t position) {
    LittleEndianReader::Seek(position);
    return *this;
  }
};

class BigEndianWriter : public LittleEndianWriter {
 public:
  explicit BigEndianWriter(std::span<std::uint8_t> out) : LittleEndianWriter(out) {
    SetBigEndian(true);
  }
  BigEndianWriter& Seek(std::size_t position) {
    LittleEndianWriter::Seek(position);
    return *this;
  }
};

}  // namespace tavilune
