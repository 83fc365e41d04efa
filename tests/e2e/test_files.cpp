#include "test_files.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/matrix_profile.h"

namespace tavilune::e2e {

namespace {

void PutInt32(Bytes& bytes, size_t offset, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void AppendInt32(Bytes& bytes, std::int32_t value) {
  bytes.resize(bytes.size() + 4);
  PutInt32(bytes, bytes.size() - 4, value);
}

void AppendInt16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

constexpr MatrixProfileSpec kWideGamut{0.64, 0.33,   0.21,   0.71, 0.15,
                                       0.06, 0.3127, 0.3290, 2.2,  "wide gamut"};

}  // namespace

namespace {

Bytes WideGamutProfile(bool damaged) {
  Bytes profile = MakeMatrixProfile(kWideGamut);
  if (damaged) profile[36] = 'x';  // 'acsp' no more
  return profile;
}

}  // namespace

Bytes WideGamutJpeg(const Bytes& jpeg, bool damagedProfile) {
  const Bytes profile = WideGamutProfile(damagedProfile);
  // One APP2 chunk right after the start of image, as phones write it: its marker and length,
  // the name, chunk 1 of 1, the profile. Written into a buffer of the whole size (growing a
  // vector of two bytes trips a false warning of mingw's compiler).
  constexpr char kName[] = "ICC_PROFILE";
  const std::size_t chunkSize = 4 + sizeof kName + 2 + profile.size();
  Bytes bytes(jpeg.size() + chunkSize);
  std::copy_n(jpeg.begin(), 2, bytes.begin());
  const auto chunk = bytes.begin() + 2;
  const std::size_t length = chunkSize - 2;
  chunk[0] = 0xFF;
  chunk[1] = 0xE2;
  chunk[2] = static_cast<std::uint8_t>(length >> 8);
  chunk[3] = static_cast<std::uint8_t>(length);
  std::copy_n(kName, sizeof kName, chunk + 4);
  chunk[4 + sizeof kName] = chunk[5 + sizeof kName] = 1;
  std::copy(profile.begin(), profile.end(), chunk + 6 + sizeof kName);
  std::copy(jpeg.begin() + 2, jpeg.end(), chunk + static_cast<std::ptrdiff_t>(chunkSize));
  return bytes;
}

Bytes WideGamutBitmap(int width, int height, COLORREF stored, bool damagedProfile) {
  const Bytes profile = WideGamutProfile(damagedProfile);
  constexpr int kHeaderSize = 124;
  const int rowSize = (width * 3 + 3) / 4 * 4;
  const int pixelBytes = rowSize * height;
  const int pixelsAt = 14 + kHeaderSize;
  Bytes bytes{'B', 'M'};
  AppendInt32(bytes, pixelsAt + pixelBytes + static_cast<std::int32_t>(profile.size()));
  AppendInt32(bytes, 0);
  AppendInt32(bytes, pixelsAt);
  AppendInt32(bytes, kHeaderSize);
  AppendInt32(bytes, width);
  AppendInt32(bytes, height);
  AppendInt16(bytes, 1);
  AppendInt16(bytes, 24);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, pixelBytes);
  bytes.resize(14 + kHeaderSize, 0);
  PutInt32(bytes, 14 + 56, 0x4D424544);                 // 'MBED': the profile is embedded
  PutInt32(bytes, 14 + 108, 4);                         // intent: pictures
  PutInt32(bytes, 14 + 112, kHeaderSize + pixelBytes);  // counted from the header's start
  PutInt32(bytes, 14 + 116, static_cast<std::int32_t>(profile.size()));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bytes.insert(bytes.end(), {GetBValue(stored), GetGValue(stored), GetRValue(stored)});
    }
    bytes.resize(bytes.size() + static_cast<size_t>(rowSize - width * 3), 0);
  }
  bytes.insert(bytes.end(), profile.begin(), profile.end());
  return bytes;
}

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

Matrix3 Inverse3(const Matrix3& m) {
  Matrix3 r{};
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      // The cofactor of (j, i), over the determinant.
      const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      r[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
    }
  }
  return r;
}

// RGB to XYZ for primaries and white given as chromaticities (x, y): columns are the
// primaries' XYZ, scaled so that full RGB gives the white.
Matrix3 RgbToXyz(const double (&primaries)[3][2], double whiteX, double whiteY) {
  Matrix3 m{};
  for (int c = 0; c < 3; ++c) {
    const double x = primaries[c][0], y = primaries[c][1];
    m[0][c] = x / y;
    m[1][c] = 1;
    m[2][c] = (1 - x - y) / y;
  }
  const Matrix3 inverse = Inverse3(m);
  const double white[3] = {whiteX / whiteY, 1, (1 - whiteX - whiteY) / whiteY};
  for (int c = 0; c < 3; ++c) {
    const double scale =
        inverse[c][0] * white[0] + inverse[c][1] * white[1] + inverse[c][2] * white[2];
    for (int r = 0; r < 3; ++r) m[r][c] *= scale;
  }
  return m;
}

}  // namespace

COLORREF WideGamutOnSrgb(COLORREF stored) {
  // Both spaces have the same white, so linear values go from one to the other through one
  // matrix: sRGB's XYZ to RGB after the wide space's RGB to XYZ.
  const double wide[3][2] = {{kWideGamut.redX, kWideGamut.redY},
                             {kWideGamut.greenX, kWideGamut.greenY},
                             {kWideGamut.blueX, kWideGamut.blueY}};
  const double srgb[3][2] = {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}};
  const Matrix3 toXyz = RgbToXyz(wide, 0.3127, 0.3290);
  const Matrix3 toSrgb = Inverse3(RgbToXyz(srgb, 0.3127, 0.3290));
  // The profile stores the curve's power in steps of 1/256.
  const double power = std::round(kWideGamut.gamma * 256) / 256;
  const double in[3] = {std::pow(GetRValue(stored) / 255.0, power),
                        std::pow(GetGValue(stored) / 255.0, power),
                        std::pow(GetBValue(stored) / 255.0, power)};
  double xyz[3];
  for (int r = 0; r < 3; ++r)
    xyz[r] = toXyz[r][0] * in[0] + toXyz[r][1] * in[1] + toXyz[r][2] * in[2];
  int out[3];
  for (int c = 0; c < 3; ++c) {
    double v = toSrgb[c][0] * xyz[0] + toSrgb[c][1] * xyz[1] + toSrgb[c][2] * xyz[2];
    v = std::clamp(v, 0.0, 1.0);
    v = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    out[c] = static_cast<int>(std::lround(v * 255));
  }
  return RGB(out[0], out[1], out[2]);
}

Bytes EncodeBitmap(int width, int height, bool topDown,
                   const std::function<COLORREF(int x, int y)>& colourAt) {
  const int rowSize = (width * 3 + 3) / 4 * 4;
  const int pixelBytes = rowSize * height;
  Bytes bytes;
  // Made whole at once: a picture of hundreds of megabytes must not grow by copies in the 32-bit
  // driver's address space.
  bytes.reserve(54 + static_cast<size_t>(pixelBytes));
  bytes.push_back('B');
  bytes.push_back('M');
  AppendInt32(bytes, 54 + pixelBytes);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, 54);
  AppendInt32(bytes, 40);
  AppendInt32(bytes, width);
  AppendInt32(bytes, topDown ? -height : height);
  AppendInt16(bytes, 1);
  AppendInt16(bytes, 24);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, pixelBytes);
  AppendInt32(bytes, 2835);
  AppendInt32(bytes, 2835);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, 0);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = topDown ? fileRow : height - 1 - fileRow;
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = colourAt(x, y);
      bytes.push_back(GetBValue(colour));
      bytes.push_back(GetGValue(colour));
      bytes.push_back(GetRValue(colour));
    }
    for (int pad = width * 3; pad < rowSize; ++pad) bytes.push_back(0);
  }
  return bytes;
}

Bytes TestPicture::Encode() const {
  return EncodeBitmap(width, height, false, [this](int x, int y) { return ColourAt(x, y); });
}

COLORREF TestPicture::ColourAt(int x, int y) const {
  if (x == 0 && y == 0) return kTopLeft;
  if (x == width - 1 && y == 0) return kTopRight;
  if (x == 0 && y == height - 1) return kBottomLeft;
  if (x == width - 1 && y == height - 1) return kBottomRight;
  return kBody;
}

Bytes TestPicture::EncodeIcon() const {
  const int pixelBytes = width * height * 4;
  const int maskRow = (width + 31) / 32 * 4;
  const int imageSize = 40 + pixelBytes + maskRow * height;
  Bytes bytes;
  AppendInt16(bytes, 0);
  AppendInt16(bytes, 1);  // an icon
  AppendInt16(bytes, 1);  // one image
  bytes.push_back(static_cast<std::uint8_t>(width));
  bytes.push_back(static_cast<std::uint8_t>(height));
  bytes.push_back(0);  // colours: more than 256
  bytes.push_back(0);
  AppendInt16(bytes, 1);
  AppendInt16(bytes, 32);
  AppendInt32(bytes, imageSize);
  AppendInt32(bytes, 22);
  AppendInt32(bytes, 40);
  AppendInt32(bytes, width);
  AppendInt32(bytes, height * 2);  // colour rows and mask rows
  AppendInt16(bytes, 1);
  AppendInt16(bytes, 32);
  for (int i = 0; i < 6; ++i) AppendInt32(bytes, 0);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = height - 1 - fileRow;
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = ColourAt(x, y);
      bytes.push_back(GetBValue(colour));
      bytes.push_back(GetGValue(colour));
      bytes.push_back(GetRValue(colour));
      bytes.push_back(0xFF);
    }
  }
  bytes.resize(bytes.size() + static_cast<size_t>(maskRow) * height, 0);  // mask: all drawn
  return bytes;
}

Bytes DamagedBitmap() {
  Bytes bytes = TestPicture{}.Encode();
  bytes[0] = 'X';
  bytes[1] = 'Y';
  return bytes;
}

Bytes SettingsValues::Encode() const {
  Bytes bytes(record::kSize, 0);
  PutInt32(bytes, record::kFrameColor, frameColor);
  PutInt32(bytes, record::kFrameThickness, frameThickness);
  for (size_t i = 0; i < picturePath.size() && i < record::kPicturePathSize - 1; ++i) {
    bytes[record::kPicturePath + i] = static_cast<std::uint8_t>(picturePath[i]);
  }
  PutInt32(bytes, record::kWindowTop, windowTop);
  PutInt32(bytes, record::kWindowLeft, windowLeft);
  bytes[record::kInTray] = inTray;
  bytes[record::kStayOnTop] = stayOnTop;
  bytes[record::kAlignment] = alignment[0];
  bytes[record::kAlignment + 1] = alignment[1];
  return bytes;
}

std::int32_t ReadInt32(const Bytes& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) return 0;
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[offset + i];
  return static_cast<std::int32_t>(value);
}

std::string ReadPicturePath(const Bytes& bytes) {
  std::string path;
  for (size_t i = 0; i < record::kPicturePathSize; ++i) {
    size_t at = record::kPicturePath + i;
    if (at >= bytes.size() || bytes[at] == 0) break;
    path += static_cast<char>(bytes[at]);
  }
  return path;
}

Bytes JpegWithStrayScan(const Bytes& jpeg) {
  Bytes bytes = jpeg;
  size_t sos = 0;
  for (size_t i = 2; i + 3 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
      sos = i;
      break;
    }
  }
  if (sos == 0) return bytes;
  const size_t length = static_cast<size_t>(bytes[sos + 2] << 8 | bytes[sos + 3]);
  Bytes header(bytes.begin() + sos, bytes.begin() + sos + 2 + length);
  bytes.resize(bytes.size() - 2);  // drop the end-of-image marker
  bytes.insert(bytes.end(), header.begin(), header.end());
  bytes.insert(bytes.end(), {0x00, 0x00, 0xFF, 0xD9});
  return bytes;
}

Bytes JpegWithOrientation(const Bytes& jpeg, std::uint16_t orientation,
                          std::uint32_t directoryOffset) {
  const std::uint8_t offset[4] = {static_cast<std::uint8_t>(directoryOffset),
                                  static_cast<std::uint8_t>(directoryOffset >> 8),
                                  static_cast<std::uint8_t>(directoryOffset >> 16),
                                  static_cast<std::uint8_t>(directoryOffset >> 24)};
  const Bytes app1 = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0,
                      offset[0], offset[1], offset[2], offset[3], 1, 0, 0x12, 0x01, 3, 0, 1, 0,
                      0, 0, static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 0, 0};
  Bytes bytes = jpeg;
  if (bytes.size() >= 2) bytes.insert(bytes.begin() + 2, app1.begin(), app1.end());
  return bytes;
}

}  // namespace tavilune::e2e
