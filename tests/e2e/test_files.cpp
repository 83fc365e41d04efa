#include "test_files.h"

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

}  // namespace

Bytes TestPicture::Encode() const {
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
  AppendInt32(bytes, height);  // positive: bottom row first
  AppendInt16(bytes, 1);
  AppendInt16(bytes, 24);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, pixelBytes);
  AppendInt32(bytes, 2835);
  AppendInt32(bytes, 2835);
  AppendInt32(bytes, 0);
  AppendInt32(bytes, 0);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = height - 1 - fileRow;
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = ColourAt(x, y);
      bytes.push_back(GetBValue(colour));
      bytes.push_back(GetGValue(colour));
      bytes.push_back(GetRValue(colour));
    }
    for (int pad = width * 3; pad < rowSize; ++pad) bytes.push_back(0);
  }
  return bytes;
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
