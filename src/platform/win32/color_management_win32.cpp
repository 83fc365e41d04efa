// Transforms from a picture's profile to the display's through mscms.
//
// The display's profile is the one the system assigns to the monitor the picture is shown on
// (GetICMProfileW on that monitor's device context); when it names no file the system can open
// (a system without colour profiles installed), the transform goes to sRGB through a profile
// made in code, which is what a display without a profile is taken to show.
//
// Byte orders: mscms names its 24-bit format after the RGBTRIPLE structure, whose bytes are blue,
// green, red in memory; so BM_RGBTRIPLETS is the order of a bitmap's rows, and likewise
// BM_xRGBQUADS that of RGBQUAD entries and 32-bit rows.
#include "platform/win32/color_management_win32.h"

#include <windows.h>
// icm.h needs the types windows.h declares.
#include <icm.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/matrix_profile.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_call.h"
#include "platform/win32/text.h"

namespace tavilune::win32 {

namespace {

struct ColorCalls {
  decltype(&::OpenColorProfileW) openProfile = nullptr;
  decltype(&::CloseColorProfile) closeProfile = nullptr;
  decltype(&::CreateMultiProfileTransform) createTransform = nullptr;
  decltype(&::DeleteColorTransform) deleteTransform = nullptr;
  decltype(&::TranslateBitmapBits) translate = nullptr;

  bool Complete() const {
    return openProfile && closeProfile && createTransform && deleteTransform && translate;
  }
};

// mscms's calls, looked up once; incomplete on a system without it.
const ColorCalls& Calls() {
  static const ColorCalls calls = [] {
    constexpr const wchar_t* kModule = L"mscms.dll";
    ColorCalls found;
    found.openProfile =
        FindSystemCall<decltype(found.openProfile)>(kModule, "OpenColorProfileW", true);
    found.closeProfile =
        FindSystemCall<decltype(found.closeProfile)>(kModule, "CloseColorProfile", true);
    found.createTransform = FindSystemCall<decltype(found.createTransform)>(
        kModule, "CreateMultiProfileTransform", true);
    found.deleteTransform =
        FindSystemCall<decltype(found.deleteTransform)>(kModule, "DeleteColorTransform", true);
    found.translate =
        FindSystemCall<decltype(found.translate)>(kModule, "TranslateBitmapBits", true);
    return found;
  }();
  return calls;
}

class OpenProfile {
 public:
  explicit OpenProfile(HPROFILE handle) : handle_(handle) {}
  ~OpenProfile() {
    if (handle_ != nullptr) Calls().closeProfile(handle_);
  }
  OpenProfile(const OpenProfile&) = delete;
  OpenProfile& operator=(const OpenProfile&) = delete;
  HPROFILE Get() const { return handle_; }

 private:
  HPROFILE handle_;
};

// The profile in memory; the system reads it while the handle is open, so the bytes must
// outlive it.
HPROFILE OpenFromMemory(std::span<const std::uint8_t> bytes) {
  PROFILE profile{PROFILE_MEMBUFFER, const_cast<std::uint8_t*>(bytes.data()),
                  static_cast<DWORD>(bytes.size())};
  return Calls().openProfile(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

// The file name of the profile the system assigns to a display (a monitor's device name; the
// primary monitor's when empty), or nothing when it names none. A device context of the screen is
// the primary monitor's; that of another monitor is made from its device name.
std::wstring DisplayProfileName(const std::wstring& device) {
  const MemoryDc monitorDc(
      device.empty() ? nullptr : CreateDCW(device.c_str(), device.c_str(), nullptr, nullptr));
  const WindowDc screenDc(nullptr);
  const HDC dc = device.empty() ? screenDc.Get() : monitorDc.Get();
  if (dc == nullptr) return {};
  std::vector<wchar_t> name(MAX_PATH + 1);
  DWORD length = MAX_PATH;
  // A name longer than the buffer is asked for again in the size the system gave.
  if (!GetICMProfileW(dc, &length, name.data())) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= MAX_PATH) return {};
    name.resize(length + 1);
    if (!GetICMProfileW(dc, &length, name.data())) return {};
  }
  name.back() = L'\0';
  return name.data();
}

// A display's profile, opened; nothing when the file cannot be opened.
HPROFILE OpenProfileFile(const std::wstring& name) {
  if (name.empty()) return nullptr;
  PROFILE profile{PROFILE_FILENAME, const_cast<wchar_t*>(name.c_str()),
                  static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t))};
  return Calls().openProfile(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

BMFORMAT FormatOf(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::kBgr24:
      return BM_RGBTRIPLETS;
    case PixelLayout::kBgrx32:
      return BM_xRGBQUADS;
    case PixelLayout::kCmyk32:
      return BM_CMYKQUADS;
    case PixelLayout::kGray8:
      return BM_GRAY;
  }
  return BM_RGBTRIPLETS;
}

// Rows turned in place go through a band of this many bytes at most: the system is never given
// the same memory as source and destination, which its documentation does not promise to allow.
constexpr std::size_t kBandBytes = 1u << 20;

class MscmsTransform : public ColorTransform {
 public:
  MscmsTransform(HTRANSFORM handle, PixelLayout layout) : handle_(handle), layout_(layout) {}
  ~MscmsTransform() override { Calls().deleteTransform(handle_); }
  MscmsTransform(const MscmsTransform&) = delete;
  MscmsTransform& operator=(const MscmsTransform&) = delete;

  bool Translate(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out,
                 std::size_t outStride, std::uint32_t width, std::uint32_t rows) override {
    if (width == 0 || rows == 0) return true;
    const BMFORMAT inFormat = FormatOf(layout_);
    const BMFORMAT outFormat = FormatOf(OutputLayout(layout_));
    if (in != out) {
      return Calls().translate(handle_, const_cast<std::uint8_t*>(in), inFormat, width, rows,
                               static_cast<DWORD>(inStride), out, outFormat,
                               static_cast<DWORD>(outStride), nullptr, 0) != FALSE;
    }
    const std::size_t pixelBytes = BytesPerPixel(layout_);
    const std::size_t rowBytes = pixelBytes * width;
    const std::size_t bandStride = (rowBytes + 3) / 4 * 4;
    const std::uint32_t bandRows =
        static_cast<std::uint32_t>(std::clamp<std::size_t>(kBandBytes / bandStride, 1, rows));
    try {
      band_.resize(bandStride * bandRows);
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (std::uint32_t first = 0; first < rows; first += bandRows) {
      const std::uint32_t count = std::min(bandRows, rows - first);
      std::uint8_t* rowsAt = out + std::size_t{first} * outStride;
      if (!Calls().translate(handle_, rowsAt, inFormat, width, count, static_cast<DWORD>(inStride),
                             band_.data(), outFormat, static_cast<DWORD>(bandStride), nullptr, 0)) {
        return false;
      }
      for (std::uint32_t y = 0; y < count; ++y) {
        std::uint8_t* row = rowsAt + std::size_t{y} * outStride;
        const std::uint8_t* turned = band_.data() + std::size_t{y} * bandStride;
        if (pixelBytes == 4) {
          // The unused byte stays the picture's own, whatever the system wrote there.
          for (std::uint32_t x = 0; x < width; ++x) std::memcpy(row + 4 * x, turned + 4 * x, 3);
        } else {
          std::memcpy(row, turned, rowBytes);
        }
      }
    }
    return true;
  }

 private:
  HTRANSFORM handle_;
  PixelLayout layout_;
  std::vector<std::uint8_t> band_;
};

}  // namespace

std::unique_ptr<ColorTransform> Win32ColorManagement::CreateTransform(
    std::span<const std::uint8_t> profile, PixelLayout in) {
  if (!Calls().Complete() || profile.empty()) return nullptr;
  const OpenProfile source(OpenFromMemory(profile));
  if (source.Get() == nullptr) return nullptr;
  // Made only when needed, and kept while its handle is open.
  std::vector<std::uint8_t> srgb;
  HPROFILE displayHandle = OpenProfileFile(DisplayProfileName(Wide(device_)));
  if (displayHandle == nullptr) {
    srgb = MakeMatrixProfile(kSrgbProfileSpec);
    displayHandle = OpenFromMemory(srgb);
  }
  const OpenProfile display(displayHandle);
  if (display.Get() == nullptr) return nullptr;
  HPROFILE profiles[] = {source.Get(), display.Get()};
  DWORD intents[] = {INTENT_PERCEPTUAL, INTENT_PERCEPTUAL};
  HTRANSFORM transform =
      Calls().createTransform(profiles, 2, intents, 2, NORMAL_MODE, INDEX_DONT_CARE);
  if (transform == nullptr) return nullptr;
  try {
    return std::make_unique<MscmsTransform>(transform, in);
  } catch (const std::bad_alloc&) {
    Calls().deleteTransform(transform);
    return nullptr;
  }
}

bool Win32ColorManagement::SetDisplay(const std::string& device) {
  // Asks gdi32 only: mscms is loaded when a picture first needs it.
  if (device == device_) return false;
  const std::wstring before = DisplayProfileName(Wide(device_));
  device_ = device;
  return DisplayProfileName(Wide(device)) != before;
}

}  // namespace tavilune::win32
