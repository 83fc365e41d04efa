#include "picture/icc_profile.h"

#include <array>
#include <cmath>
#include <vector>

#include "picture/color_grid.h"
#include "platform/big_endian.h"

namespace tavilune {

double SrgbCurve(double x) { return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4); }

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTagEntrySize = 12;

constexpr std::uint32_t Signature(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
         std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint8_t(s[3]);
}

std::optional<ProfileClass> ClassOf(std::uint32_t signature) {
  switch (signature) {
    case Signature("mntr"):
      return ProfileClass::kDisplay;
    case Signature("scnr"):
      return ProfileClass::kInput;
    case Signature("prtr"):
      return ProfileClass::kOutput;
    case Signature("spac"):
      return ProfileClass::kColorSpace;
    default:  // device links, abstract and named-colour profiles describe no picture's pixels
      return std::nullopt;
  }
}

std::optional<ProfileColorSpace> ColorSpaceOfSignature(std::uint32_t signature) {
  switch (signature) {
    case Signature("RGB "):
      return ProfileColorSpace::kRgb;
    case Signature("CMYK"):
      return ProfileColorSpace::kCmyk;
    case Signature("GRAY"):
      return ProfileColorSpace::kGray;
    default:
      return std::nullopt;
  }
}

struct TagEntry {
  std::uint32_t signature = 0;
  std::span<const std::uint8_t> data;
};

// ---- Telling sRGB apart.
//
// A profile is taken for sRGB when the colours it describes are sRGB's, whatever it is called:
// an RGB matrix profile (no lookup tables, which the engines would prefer to the matrix) whose
// three colorants are sRGB's and whose three tone curves follow the sRGB curve. Names are not
// trusted: any profile may call itself "sRGB", and sRGB profiles go by many names. Turning the
// pixels through such a profile would give the same colours back, less rounding, at the cost
// of a pass over every pixel.

// sRGB's primaries as D50-adapted colorants, the values sRGB profiles store; each component
// within kColorantTolerance (the profiles in use differ in the fourth decimal).
constexpr std::array<std::array<double, 3>, 3> kSrgbColorants{
    {{0.4361, 0.2225, 0.0139}, {0.3851, 0.7169, 0.0971}, {0.1431, 0.0606, 0.7141}}};
constexpr double kColorantTolerance = 0.002;
// A tone curve is sRGB's when it stays this close to it (in linear light, 0 to 1) at every
// sample: a quarter of the smallest step of an 8-bit level near black.
constexpr double kCurveTolerance = 0.0003;
constexpr int kCurveSamples = 64;

double Fixed16(std::uint32_t v) { return static_cast<std::int32_t>(v) / 65536.0; }

std::optional<std::array<double, 3>> ReadXyz(std::span<const std::uint8_t> data) {
  BigEndianReader in(data);
  if (in.GetUint32() != Signature("XYZ ")) return std::nullopt;
  in.Seek(8);
  std::array<double, 3> xyz{};
  for (double& v : xyz) v = Fixed16(in.GetUint32());
  if (!in.Ok()) return std::nullopt;
  return xyz;
}

// Whether a tone curve ('curv' or 'para') follows the sRGB curve at every sample.
bool FollowsSrgbCurve(std::span<const std::uint8_t> data) {
  BigEndianReader in(data);
  const std::uint32_t type = in.GetUint32();
  in.Seek(8);
  std::array<double, kCurveSamples + 1> values{};
  if (type == Signature("curv")) {
    const std::uint32_t count = in.GetUint32();
    if (!in.Ok() || count < 2 || count > (data.size() - 12) / 2) return false;  // no power law
    const std::span<const std::uint8_t> table = in.GetSpan(2 * std::size_t{count});
    auto entry = [&](std::size_t i) { return (table[2 * i] << 8 | table[2 * i + 1]) / 65535.0; };
    for (int s = 0; s <= kCurveSamples; ++s) {
      const double at = double(s) / kCurveSamples * (count - 1);
      const auto low = static_cast<std::size_t>(at);
      const std::size_t high = low + 1 < count ? low + 1 : low;
      values[s] = entry(low) + (entry(high) - entry(low)) * (at - low);
    }
  } else if (type == Signature("para")) {
    const std::uint16_t function = in.GetUint16();
    in.GetUint16();
    static constexpr std::array<int, 5> kParameterCount{1, 3, 4, 5, 7};
    if (function >= kParameterCount.size()) return false;
    // g, a, b, c, d, e, f; those a function type lacks keep values that leave them out.
    std::array<double, 7> p{1, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < kParameterCount[function]; ++i) p[i] = Fixed16(in.GetUint32());
    if (!in.Ok()) return false;
    const double g = p[0], a = p[1], b = p[2], c = p[3], d = p[4], e = p[5], f = p[6];
    for (int s = 0; s <= kCurveSamples; ++s) {
      const double x = double(s) / kCurveSamples;
      auto power = [&](double base) { return base > 0 ? std::pow(base, g) : 0.0; };
      switch (function) {
        case 0:
          values[s] = power(x);
          break;
        case 1:
          values[s] = power(a * x + b);
          break;
        case 2:
          values[s] = power(a * x + b) + c;
          break;
        case 3:
          values[s] = x >= d ? power(a * x + b) : c * x;
          break;
        default:
          values[s] = x >= d ? power(a * x + b) + e : c * x + f;
          break;
      }
    }
  } else {
    return false;
  }
  for (int s = 0; s <= kCurveSamples; ++s) {
    if (std::abs(values[s] - SrgbCurve(double(s) / kCurveSamples)) > kCurveTolerance) return false;
  }
  return true;
}

bool IsSrgbProfile(std::span<const TagEntry> tags) {
  std::array<std::optional<std::array<double, 3>>, 3> colorants;
  int curves = 0;
  for (const TagEntry& tag : tags) {
    switch (tag.signature) {
      case Signature("A2B0"):
      case Signature("A2B1"):
      case Signature("A2B2"):
        return false;
      case Signature("rXYZ"):
        colorants[0] = ReadXyz(tag.data);
        break;
      case Signature("gXYZ"):
        colorants[1] = ReadXyz(tag.data);
        break;
      case Signature("bXYZ"):
        colorants[2] = ReadXyz(tag.data);
        break;
      case Signature("rTRC"):
      case Signature("gTRC"):
      case Signature("bTRC"):
        if (!FollowsSrgbCurve(tag.data)) return false;
        ++curves;
        break;
      default:
        break;
    }
  }
  if (curves != 3) return false;
  for (int i = 0; i < 3; ++i) {
    if (!colorants[i]) return false;
    for (int j = 0; j < 3; ++j) {
      if (std::abs((*colorants[i])[j] - kSrgbColorants[i][j]) > kColorantTolerance) return false;
    }
  }
  return true;
}

}  // namespace

std::optional<ProfileFacts> CheckColorProfile(std::span<const std::uint8_t> bytes) {
  BigEndianReader header(bytes);
  const std::uint32_t declared = header.GetUint32();
  const std::uint32_t classSignature = header.Seek(12).GetUint32();
  const std::uint32_t spaceSignature = header.GetUint32();
  const std::uint32_t connection = header.GetUint32();
  const std::uint32_t acsp = header.Seek(36).GetUint32();
  const std::uint32_t tagCount = header.Seek(kHeaderSize).GetUint32();
  if (!header.Ok() || declared < kHeaderSize + 4 || declared > bytes.size()) return std::nullopt;
  if (acsp != Signature("acsp")) return std::nullopt;
  if (connection != Signature("XYZ ") && connection != Signature("Lab ")) return std::nullopt;
  const std::optional<ProfileClass> profileClass = ClassOf(classSignature);
  const std::optional<ProfileColorSpace> colorSpace = ColorSpaceOfSignature(spaceSignature);
  if (!profileClass || !colorSpace) return std::nullopt;

  const std::span<const std::uint8_t> profile = bytes.first(declared);
  if (tagCount > (declared - kHeaderSize - 4) / kTagEntrySize) return std::nullopt;
  std::vector<TagEntry> tags(tagCount);
  BigEndianReader table(profile);
  table.Seek(kHeaderSize + 4);
  for (TagEntry& tag : tags) {
    tag.signature = table.GetUint32();
    const std::uint64_t offset = table.GetUint32();
    const std::uint64_t size = table.GetUint32();
    // In 64 bits, so offset + size cannot wrap around.
    if (offset + size > declared) return std::nullopt;
    tag.data = profile.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
  }
  if (!table.Ok()) return std::nullopt;

  ProfileFacts facts;
  facts.colorSpace = *colorSpace;
  facts.profileClass = *profileClass;
  facts.size = declared;
  facts.srgb = facts.colorSpace == ProfileColorSpace::kRgb && connection == Signature("XYZ ") &&
               IsSrgbProfile(tags);
  return facts;
}

std::unique_ptr<ColorTransform> ProfileTransform(ColorManagement& colors,
                                                 std::span<const std::uint8_t> profile,
                                                 PixelLayout layout) {
  const std::optional<ProfileFacts> facts = CheckColorProfile(profile);
  if (!facts || facts->srgb || facts->colorSpace != ColorSpaceOf(layout)) return nullptr;
  return SampledTransform(colors.CreateTransform(profile.first(facts->size), layout), layout);
}

void TranslateColorTable(ColorTransform& transform, PixelLayout layout,
                         std::vector<RgbQuad>& entries) {
  const std::size_t inBytes = BytesPerPixel(layout);
  std::vector<std::uint8_t> in(inBytes * entries.size());
  std::vector<std::uint8_t> out(BytesPerPixel(OutputLayout(layout)) * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const RgbQuad& c = entries[i];
    const std::uint8_t bytes[4] = {c.blue, c.green, c.red, c.reserved};
    std::copy_n(bytes, inBytes, &in[inBytes * i]);
  }
  const auto count = static_cast<std::uint32_t>(entries.size());
  if (!transform.Translate(in.data(), in.size(), out.data(), out.size(), count, 1)) return;
  const std::size_t outBytes = out.size() / std::max<std::size_t>(entries.size(), 1);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].blue = out[outBytes * i];
    entries[i].green = out[outBytes * i + 1];
    entries[i].red = out[outBytes * i + 2];
  }
}

}  // namespace tavilune
