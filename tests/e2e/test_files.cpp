#include "test_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "platform/matrix_profile.h"

namespace tavilune::e2e {

namespace {

void PutInt32(Bytes& bytes, size_t offset, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Appends each value, little-endian, in as many bytes as its pair says.
void Append(Bytes& bytes, std::initializer_list<std::pair<std::int64_t, int>> fields) {
  for (auto [value, size] : fields) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

constexpr MatrixProfileSpec kWideGamut{0.64, 0.33,   0.21,   0.71, 0.15,
                                       0.06, 0.3127, 0.3290, 2.2,  "wide gamut"};

// A 24-bit bitmap file with an info header of headerSize bytes (40, or 124 for version 5, which
// then embeds the profile after the pixels).
Bytes Bitmap(int width, int height, bool topDown,
             const std::function<COLORREF(int x, int y)>& colourAt, std::int32_t headerSize = 40,
             const Bytes& profile = {}) {
  const int rowSize = (width * 3 + 3) / 4 * 4;
  const int pixelBytes = rowSize * height, pixelsAt = 14 + headerSize;
  const auto profileSize = static_cast<std::int32_t>(profile.size());
  // Made whole at once: a picture of hundreds of megabytes must not grow by copies in the 32-bit
  // driver's address space.
  Bytes bytes(static_cast<size_t>(pixelsAt + pixelBytes + profileSize), 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  // File size, reserved, pixels' offset; header size, width, height, 1 plane of 24 bits, no
  // compression, pixels' size, 72 dpi.
  const std::int32_t fields[] = {pixelsAt + pixelBytes + profileSize, 0, pixelsAt, headerSize,
                                 width, topDown ? -height : height, 1 | (24 << 16), 0,
                                 pixelBytes, 2835, 2835};
  for (size_t i = 0; i < std::size(fields); ++i) PutInt32(bytes, 2 + 4 * i, fields[i]);
  if (profileSize > 0) {
    PutInt32(bytes, 14 + 56, 0x4D424544);                // 'MBED': the profile is embedded
    PutInt32(bytes, 14 + 108, 4);                        // intent: pictures
    PutInt32(bytes, 14 + 112, headerSize + pixelBytes);  // counted from the header's start
    PutInt32(bytes, 14 + 116, profileSize);
    std::copy(profile.begin(), profile.end(), bytes.end() - profileSize);
  }
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const auto row = bytes.begin() + pixelsAt + static_cast<std::ptrdiff_t>(fileRow) * rowSize;
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = colourAt(x, topDown ? fileRow : height - 1 - fileRow);
      row[3 * x] = GetBValue(colour);
      row[3 * x + 1] = GetGValue(colour);
      row[3 * x + 2] = GetRValue(colour);
    }
  }
  return bytes;
}

// The JPEG with a segment right after its start of image: its marker, length and body.
Bytes WithSegment(const Bytes& jpeg, std::uint8_t marker, const Bytes& body) {
  if (jpeg.size() < 2) return jpeg;
  const std::size_t length = body.size() + 2;
  const std::uint8_t head[] = {0xFF, marker, static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length)};
  Bytes bytes = jpeg;
  bytes.insert(bytes.begin() + 2, body.begin(), body.end());
  bytes.insert(bytes.begin() + 2, std::begin(head), std::end(head));
  return bytes;
}

using Vector3 = std::array<double, 3>;
using Matrix3 = std::array<Vector3, 3>;

Vector3 Times(const Matrix3& m, const Vector3& v) {
  Vector3 r{};
  for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
  return r;
}

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

// RGB to XYZ for primaries given as chromaticities (x, y) and the D65 white: columns are the
// primaries' XYZ, scaled so that full RGB gives the white.
Matrix3 RgbToXyz(const double (&primaries)[3][2]) {
  auto xyz = [](double x, double y) { return Vector3{x / y, 1, (1 - x - y) / y}; };
  Matrix3 m{};
  for (int c = 0; c < 3; ++c) {
    const Vector3 p = xyz(primaries[c][0], primaries[c][1]);
    for (int r = 0; r < 3; ++r) m[r][c] = p[r];
  }
  const Vector3 scale = Times(Inverse3(m), xyz(0.3127, 0.3290));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[r][c] *= scale[c];
  }
  return m;
}

}  // namespace

Bytes WideGamutProfile(bool damaged) {
  Bytes profile = MakeMatrixProfile(kWideGamut);
  if (damaged) profile[36] = 'x';  // 'acsp' no more
  return profile;
}

Bytes WideGamutJpeg(const Bytes& jpeg, bool damagedProfile) {
  // One chunk holds all, as phones write it: the name, chunk 1 of 1, the profile. Made whole at
  // once (growing a short vector trips a false warning of mingw's compiler).
  const Bytes profile = WideGamutProfile(damagedProfile);
  Bytes chunk(14 + profile.size());
  std::copy_n("ICC_PROFILE\0\1\1", 14, chunk.begin());
  std::copy(profile.begin(), profile.end(), chunk.begin() + 14);
  return WithSegment(jpeg, 0xE2, chunk);
}

Bytes WideGamutBitmap(int width, int height, COLORREF stored, bool damagedProfile) {
  return Bitmap(width, height, false, [stored](int, int) { return stored; }, 124,
                WideGamutProfile(damagedProfile));
}

COLORREF WideGamutOnSrgb(COLORREF stored) {
  // Both spaces have the same white, so linear values go from one to the other through one
  // matrix: sRGB's XYZ to RGB after the wide space's RGB to XYZ.
  const Matrix3 toXyz = RgbToXyz({{kWideGamut.redX, kWideGamut.redY},
                                  {kWideGamut.greenX, kWideGamut.greenY},
                                  {kWideGamut.blueX, kWideGamut.blueY}});
  const Matrix3 toSrgb = Inverse3(RgbToXyz({{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}));
  // The profile stores the curve's power in steps of 1/256.
  const double power = std::round(kWideGamut.gamma * 256) / 256;
  Vector3 in;
  for (int c = 0; c < 3; ++c) in[c] = std::pow(((stored >> (8 * c)) & 0xFF) / 255.0, power);
  const Vector3 linear = Times(toSrgb, Times(toXyz, in));
  int out[3];
  for (int c = 0; c < 3; ++c) {
    const double v = std::clamp(linear[c], 0.0, 1.0);
    out[c] = static_cast<int>(
        std::lround(255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055)));
  }
  return RGB(out[0], out[1], out[2]);
}

Bytes EncodeBitmap(int width, int height, bool topDown,
                   const std::function<COLORREF(int x, int y)>& colourAt) {
  return Bitmap(width, height, topDown, colourAt);
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
  // The directory (an icon of one image) and its entry: sides, colours (0: more than 256), a
  // reserved byte, planes, bits, the image's size and offset.
  Append(bytes, {{0, 2}, {1, 2}, {1, 2}, {width, 1}, {height, 1}, {0, 1}, {0, 1}, {1, 2},
                 {32, 2}, {imageSize, 4}, {22, 4}});
  // The image's info header: its height counts the colour rows and the mask rows.
  Append(bytes, {{40, 4}, {width, 4}, {height * 2, 4}, {1, 2}, {32, 2}});
  bytes.resize(bytes.size() + 24, 0);  // no compression, sizes, resolutions or colour counts
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
  const std::uint8_t marker[] = {0xFF, 0xDA};
  const auto sos = std::search(bytes.begin() + std::min<size_t>(2, bytes.size()), bytes.end(),
                               marker, marker + 2);
  if (bytes.end() - sos < 4) return bytes;
  const Bytes header(sos, sos + 2 + (sos[2] << 8 | sos[3]));
  bytes.resize(bytes.size() - 2);  // drop the end-of-image marker
  bytes.insert(bytes.end(), header.begin(), header.end());
  bytes.insert(bytes.end(), {0x00, 0x00, 0xFF, 0xD9});
  return bytes;
}

Bytes JpegWithOrientation(const Bytes& jpeg, std::uint16_t orientation,
                          std::uint32_t directoryOffset) {
  auto byte = [](std::uint32_t v, int at) { return static_cast<std::uint8_t>(v >> (8 * at)); };
  const std::uint32_t d = directoryOffset;
  // The TIFF header, one entry (tag, type, count, value), no next directory.
  return WithSegment(jpeg, 0xE1,
                     {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, byte(d, 0), byte(d, 1), byte(d, 2),
                      byte(d, 3), 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, byte(orientation, 0),
                      byte(orientation, 1), 0, 0, 0, 0, 0, 0});
}

}  // namespace tavilune::e2e
