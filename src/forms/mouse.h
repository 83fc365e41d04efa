// Mouse buttons and the shift state that mouse events carry.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tavilune {

enum class TMouseButton { kLeft, kRight, kMiddle };

enum class ShiftFlag : std::uint8_t { kShift, kAlt, kCtrl, kLeft, kRight, kMiddle, kDouble };

// A small set of shift flags: the keys and buttons held while a mouse event happened.
class TShiftState {
 public:
  constexpr TShiftState() = default;
  constexpr TShiftState(std::initializer_list<ShiftFlag> flags) {
    for (ShiftFlag flag : flags) bits_ |= Bit(flag);
  }

  constexpr bool Contains(ShiftFlag flag) const { return (bits_ & Bit(flag)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  friend constexpr bool operator==(TShiftState, TShiftState) = default;

 private:
  static constexpr std::uint8_t Bit(ShiftFlag flag) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(flag));
  }
  std::uint8_t bits_ = 0;
};

}  // namespace tavilune
