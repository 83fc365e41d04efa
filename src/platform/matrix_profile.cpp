#include "platform/matrix_profile.h"

#include <array>
#include <cmath>

#include "platform/big_endian.h"

namespace tavilune {

namespace {

using Vector = std::array<double, 3>;
using Matrix = std::array<Vector, 3>;  // rows

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
    }
  }
  return m;
}

Vector Apply(const Matrix& m, const Vector& v) {
  return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
          m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
          m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Matrix Inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Matrix r{};
  r[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
  r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  r[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
  r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  r[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
  r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  return r;
}

Vector XyzOf(double x, double y) { return {x / y, 1.0, (1.0 - x - y) / y}; }

// The profile connection space's white (D50), as the format fixes it.
constexpr Vector kD50{0.9642, 1.0, 0.8249};

// Columns: the XYZ of full red, green and blue, adapted from the profile's own white to D50 with the
// Bradford transform, as version 2 profiles store their colorants.
Matrix Colorants(const MatrixProfileSpec& s) {
  const Vector r = XyzOf(s.redX, s.redY), g = XyzOf(s.greenX, s.greenY),
               b = XyzOf(s.blueX, s.blueY), w = XyzOf(s.whiteX, s.whiteY);
  const Matrix primaries{{{r[0], g[0], b[0]}, {r[1], g[1], b[1]}, {r[2], g[2], b[2]}}};
  const Vector scale = Apply(Inverse(primaries), w);
  Matrix rgbToXyz = primaries;
  for (auto& row : rgbToXyz) {
    for (int j = 0; j < 3; ++j) row[j] *= scale[j];
  }
  const Matrix bradford{
      {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
  const Vector from = Apply(bradford, w), to = Apply(bradford, kD50);
  Matrix gain{};
  for (int i = 0; i < 3; ++i) gain[i][i] = to[i] / from[i];
  const Matrix adapt = Multiply(Inverse(bradford), Multiply(gain, bradford));
  return Multiply(adapt, rgbToXyz);
}

std::uint32_t Fixed16(double v) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536.0)));
}

std::uint32_t Signature(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
         std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint8_t(s[3]);
}

// Points of the sRGB curve's table: enough that straight lines between them stay within a
// hundredth of a level of the curve, few enough to keep the profile small.
constexpr std::uint32_t kCurvePoints = 64;

struct Tag {
  std::uint32_t signature;
  std::uint32_t offset;
  std::uint32_t size;
};

}  // namespace

std::vector<std::uint8_t> MakeMatrixProfile(const MatrixProfileSpec& spec) {
  const std::size_t description = spec.description.size() + 1;  // with its NUL
  const std::uint32_t curvePoints = spec.gamma > 0 ? 1 : kCurvePoints;
  constexpr char kCopyright[] = "No copyright, use freely";
  auto align = [](std::uint32_t n) { return (n + 3) / 4 * 4; };

  // Tag data after the header and a table of nine tags; the three tone curves share one.
  std::uint32_t at = 128 + 4 + 9 * 12;
  auto place = [&](std::uint32_t size) {
    const std::uint32_t offset = at;
    at = align(at + size);
    return Tag{0, offset, size};
  };
  const Tag desc = place(static_cast<std::uint32_t>(8 + 4 + description + 4 + 4 + 2 + 1 + 67));
  const Tag cprt = place(8 + sizeof kCopyright);
  const Tag wtpt = place(20), rXYZ = place(20), gXYZ = place(20), bXYZ = place(20);
  const Tag curve = place(12 + 2 * curvePoints);
  const std::uint32_t total = at;

  std::vector<std::uint8_t> bytes(total, 0);
  BigEndianWriter out(bytes);
  out.PutUint32(total);
  out.Seek(8).PutUint32(0x02100000);  // version 2.1
  out.PutUint32(Signature("mntr"));
  out.PutUint32(Signature("RGB "));
  out.PutUint32(Signature("XYZ "));
  for (std::uint16_t field : {2026, 1, 1, 0, 0, 0}) out.PutUint16(field);
  out.PutUint32(Signature("acsp"));
  out.Seek(68);
  for (double v : kD50) out.PutUint32(Fixed16(v));

  const std::array<Tag, 9> tags{Tag{Signature("desc"), desc.offset, desc.size},
                                Tag{Signature("cprt"), cprt.offset, cprt.size},
                                Tag{Signature("wtpt"), wtpt.offset, wtpt.size},
                                Tag{Signature("rXYZ"), rXYZ.offset, rXYZ.size},
                                Tag{Signature("gXYZ"), gXYZ.offset, gXYZ.size},
                                Tag{Signature("bXYZ"), bXYZ.offset, bXYZ.size},
                                Tag{Signature("rTRC"), curve.offset, curve.size},
                                Tag{Signature("gTRC"), curve.offset, curve.size},
                                Tag{Signature("bTRC"), curve.offset, curve.size}};
  out.Seek(128).PutUint32(static_cast<std::uint32_t>(tags.size()));
  for (const Tag& tag : tags) {
    out.PutUint32(tag.signature);
    out.PutUint32(tag.offset);
    out.PutUint32(tag.size);
  }

  out.Seek(desc.offset).PutUint32(Signature("desc"));
  out.Seek(desc.offset + 8).PutUint32(static_cast<std::uint32_t>(description));
  for (char c : spec.description) out.PutByte(static_cast<std::uint8_t>(c));
  // The NUL, no Unicode text (language 0, count 0) and no Macintosh script text stay zero.
  out.Seek(cprt.offset).PutUint32(Signature("text"));
  out.Seek(cprt.offset + 8);
  for (char c : kCopyright) out.PutByte(static_cast<std::uint8_t>(c));

  auto putXyz = [&](const Tag& tag, const Vector& v) {
    out.Seek(tag.offset).PutUint32(Signature("XYZ "));
    out.Seek(tag.offset + 8);
    for (double component : v) out.PutUint32(Fixed16(component));
  };
  const Matrix colorants = Colorants(spec);
  putXyz(wtpt, kD50);
  putXyz(rXYZ, {colorants[0][0], colorants[1][0], colorants[2][0]});
  putXyz(gXYZ, {colorants[0][1], colorants[1][1], colorants[2][1]});
  putXyz(bXYZ, {colorants[0][2], colorants[1][2], colorants[2][2]});

  out.Seek(curve.offset).PutUint32(Signature("curv"));
  out.Seek(curve.offset + 8).PutUint32(curvePoints);
  if (spec.gamma > 0) {
    out.PutUint16(static_cast<std::uint16_t>(std::lround(spec.gamma * 256.0)));
  } else {
    for (std::uint32_t i = 0; i < curvePoints; ++i) {
      const double x = double(i) / (curvePoints - 1);
      const double y = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
      out.PutUint16(static_cast<std::uint16_t>(std::lround(y * 65535.0)));
    }
  }
  return bytes;
}

}  // namespace tavilune
