// The files a case puts beside the program: pictures it can recognise on the screen and
// settings records laid out byte by byte.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "session.h"

namespace tavilune::e2e {

// A 24-bit bottom-up bitmap whose corners carry distinctive colours, so a picture drawn upside
// down, shifted or clipped shows on the screen. None of its colours is white, green or the
// button face, the colours of the frames the program draws around it.
struct TestPicture {
  int width = 200;
  int height = 100;
  static constexpr COLORREF kTopLeft = RGB(0x12, 0x34, 0x56);
  static constexpr COLORREF kTopRight = RGB(0x9A, 0x21, 0x43);
  static constexpr COLORREF kBottomLeft = RGB(0x2B, 0x8C, 0x6D);
  static constexpr COLORREF kBottomRight = RGB(0xAB, 0xCD, 0xEF);
  static constexpr COLORREF kBody = RGB(0x40, 0x60, 0xA0);

  // Distinct corners, so that position and orientation show on screen; the body in between.
  COLORREF ColourAt(int x, int y) const;
  Bytes Encode() const;
  // The same picture as a one-image icon file: 32 bits per pixel, every pixel opaque.
  Bytes EncodeIcon() const;
};

// A 24-bit bitmap file, its rows stored top row first or bottom row first.
Bytes EncodeBitmap(int width, int height, bool topDown,
                   const std::function<COLORREF(int x, int y)>& colourAt);

// A picture file that is damaged beyond loading: the bitmap's "BM" mark is missing.
Bytes DamagedBitmap();
// The JPEG with a stray second scan header after its only scan: the header is sound, every row
// decodes, and the library gives up only at the end, while the picture is drawn.
Bytes JpegWithStrayScan(const Bytes& jpeg);
// The JPEG with an EXIF block right after its start, as a camera writes it: a little-endian TIFF
// header and one directory whose entry is the orientation (tag 0x0112, SHORT, one value). A
// directory offset past the block's end makes the block damaged.
Bytes JpegWithOrientation(const Bytes& jpeg, std::uint16_t orientation,
                          std::uint32_t directoryOffset = 8);

// A 24-bit bitmap of one colour with a version 5 header that embeds a colour profile after its
// pixels. The profile describes wide primaries (those of the common wide-gamut photo space: red
// 0.64, 0.33; green 0.21, 0.71; blue 0.15, 0.06; white D65) and a 2.2 power curve; damaged,
// its signature is gone and it must be ignored.
Bytes WideGamutBitmap(int width, int height, COLORREF stored, bool damagedProfile);
// That profile alone (damaged: its signature spoilt).
Bytes WideGamutProfile(bool damaged);
// The JPEG with the same profile (or its damaged form) embedded in one APP2 chunk.
Bytes WideGamutJpeg(const Bytes& jpeg, bool damagedProfile);
// The colour the stored one is on an sRGB screen when its numbers are read in that wide space:
// worked out here, independently of any colour engine.
COLORREF WideGamutOnSrgb(COLORREF stored);

// The settings record, 276 bytes, little-endian.
namespace record {
constexpr size_t kSize = 276;
constexpr size_t kFrameColor = 0;
constexpr size_t kFrameThickness = 4;
constexpr size_t kPicturePath = 8;
constexpr size_t kPicturePathSize = 256;
constexpr size_t kWindowTop = 264;
constexpr size_t kWindowLeft = 268;
constexpr size_t kInTray = 272;
constexpr size_t kStayOnTop = 273;
constexpr size_t kAlignment = 274;
}  // namespace record

struct SettingsValues {
  std::int32_t frameColor = 0xFFFFFF;
  std::int32_t frameThickness = 3;
  std::string picturePath;  // ANSI bytes
  std::int32_t windowTop = 107;
  std::int32_t windowLeft = 192;
  std::uint8_t inTray = 0;
  std::uint8_t stayOnTop = 0;
  std::uint8_t alignment[2] = {0, 0};

  Bytes Encode() const;
};

std::int32_t ReadInt32(const Bytes& bytes, size_t offset);
// The PicturePath field up to its first NUL.
std::string ReadPicturePath(const Bytes& bytes);

}  // namespace tavilune::e2e
