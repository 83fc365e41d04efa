// The window messages, styles and flags the program uses, by their system numbers.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/types.h"

namespace tavilune::msg {

constexpr std::uint32_t kNull = 0x0000;
constexpr std::uint32_t kCreate = 0x0001;
constexpr std::uint32_t kDestroy = 0x0002;
constexpr std::uint32_t kMove = 0x0003;
constexpr std::uint32_t kSize = 0x0005;
constexpr std::uint32_t kActivate = 0x0006;
constexpr std::uint32_t kPaint = 0x000F;
constexpr std::uint32_t kClose = 0x0010;
constexpr std::uint32_t kQueryEndSession = 0x0011;
constexpr std::uint32_t kEraseBackground = 0x0014;
constexpr std::uint32_t kEndSession = 0x0016;
constexpr std::uint32_t kKeyDown = 0x0100;
constexpr std::uint32_t kChar = 0x0102;
constexpr std::uint32_t kSysKeyDown = 0x0104;
constexpr std::uint32_t kCommand = 0x0111;
constexpr std::uint32_t kSysCommand = 0x0112;
constexpr std::uint32_t kInitMenuPopup = 0x0117;
constexpr std::uint32_t kContextMenu = 0x007B;
constexpr std::uint32_t kDisplayChange = 0x007E;
constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kLButtonDown = 0x0201;
constexpr std::uint32_t kLButtonUp = 0x0202;
constexpr std::uint32_t kLButtonDblClk = 0x0203;
constexpr std::uint32_t kRButtonDown = 0x0204;
constexpr std::uint32_t kRButtonUp = 0x0205;
constexpr std::uint32_t kRButtonDblClk = 0x0206;
constexpr std::uint32_t kMButtonDown = 0x0207;
constexpr std::uint32_t kMButtonUp = 0x0208;
constexpr std::uint32_t kMButtonDblClk = 0x0209;
constexpr std::uint32_t kEnterSizeMove = 0x0231;  // the system's loop of moving a window starts
constexpr std::uint32_t kExitSizeMove = 0x0232;   // and ends
constexpr std::uint32_t kDpiChanged = 0x02E0;     // lParam: the suggested window rectangle
constexpr std::uint32_t kDpiChangedAfterParent = 0x02E3;  // to child windows, after their parent
constexpr std::uint32_t kUser = 0x0400;

// Window styles.
constexpr std::uint32_t kStylePopup = 0x80000000;
constexpr std::uint32_t kStyleChild = 0x40000000;
constexpr std::uint32_t kStyleVisible = 0x10000000;
constexpr std::uint32_t kStyleClipSiblings = 0x04000000;
constexpr std::uint32_t kStyleClipChildren = 0x02000000;
constexpr std::uint32_t kStyleCaption = 0x00C00000;
constexpr std::uint32_t kStyleSysMenu = 0x00080000;
constexpr std::uint32_t kStyleDialogFrame = 0x00400000;
constexpr std::uint32_t kStyleBorder = 0x00800000;
constexpr std::uint32_t kStyleThickFrame = 0x00040000;
constexpr std::uint32_t kStyleMinimizeBox = 0x00020000;

constexpr std::uint32_t kExStyleDialogModalFrame = 0x00000001;
constexpr std::uint32_t kExStyleTopmost = 0x00000008;
constexpr std::uint32_t kExStyleToolWindow = 0x00000080;
constexpr std::uint32_t kExStyleWindowEdge = 0x00000100;
constexpr std::uint32_t kExStyleControlParent = 0x00010000;

constexpr int kGwlHwndParent = -8;  // the owner of a top-level window
constexpr int kGwlStyle = -16;
constexpr int kGwlExStyle = -20;

// ShowWindow commands.
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowNoActivate = 4;
constexpr int kSwShow = 5;
constexpr int kSwShowNa = 8;

// SetWindowPos.
constexpr std::intptr_t kHwndTop = 0;
constexpr std::intptr_t kHwndTopmost = -1;
constexpr std::intptr_t kHwndNoTopmost = -2;
constexpr std::uint32_t kSwpNoSize = 0x0001;
constexpr std::uint32_t kSwpNoMove = 0x0002;
constexpr std::uint32_t kSwpNoZOrder = 0x0004;
constexpr std::uint32_t kSwpNoActivate = 0x0010;
constexpr std::uint32_t kSwpShowWindow = 0x0040;
constexpr std::uint32_t kSwpHideWindow = 0x0080;

// System commands.
constexpr std::uintptr_t kScMove = 0xF010;
constexpr std::uintptr_t kScDragMove = 0xF012;  // SC_MOVE with the caption's hit-test code
constexpr std::uintptr_t kScClose = 0xF060;

// Virtual keys.
constexpr std::uintptr_t kVkReturn = 0x0D;
constexpr std::uintptr_t kVkEscape = 0x1B;
constexpr std::uintptr_t kVkF4 = 0x73;
constexpr std::uintptr_t kVkApps = 0x5D;

// TrackPopupMenu.
constexpr std::uint32_t kTpmRightButton = 0x0002;

// The rectangle a message points to (a RECT: four 32-bit signed edges, as the program's Rect).
inline Rect RectAt(std::intptr_t lParam) {
  static_assert(sizeof(Rect) == 4 * sizeof(std::int32_t));
  Rect rect;
  std::memcpy(&rect, reinterpret_cast<const void*>(lParam), sizeof rect);
  return rect;
}

inline std::int32_t SignedLow(std::intptr_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}
inline std::int32_t SignedHigh(std::intptr_t value) {
  return static_cast<std::int16_t>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFF);
}

}  // namespace tavilune::msg
