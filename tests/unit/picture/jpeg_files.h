// The shipped JPEG test files, and one damaged the way a careless writer damages them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/scratch_folder.h"
#include "picture/jpeg_image.h"
#include "picture/stream.h"

namespace tavilune::testing {

inline std::vector<std::uint8_t> JpegFile(const std::string& name) {
  return ReadTestData("jpeg/" + name);
}

// The picture loaded from the bytes with the given settings (decoded later, on demand).
inline std::unique_ptr<TJPEGImage> LoadJpeg(const std::vector<std::uint8_t>& bytes,
                                            JpegPixelFormat format = JpegPixelFormat::k24Bit,
                                            JpegScale scale = JpegScale::kFullSize,
                                            ColorManagement* colors = nullptr,
                                            bool progressiveDisplay = false) {
  auto image = std::make_unique<TJPEGImage>();
  image->SetColorManagement(colors);
  image->MutableSettings().pixelFormat = format;
  image->MutableSettings().scale = scale;
  image->MutableSettings().progressiveDisplay = progressiveDisplay;
  MemoryStream stream(bytes);
  image->LoadFromStream(stream);
  return image;
}

// A scan marker after the only scan: the picture loads, every row decodes, and the library gives
// up only after the last row.
inline std::vector<std::uint8_t> WithStrayScan(std::vector<std::uint8_t> bytes) {
  const std::uint8_t marker[] = {0xFF, 0xDA};
  const auto sos = std::search(bytes.begin() + 2, bytes.end(), marker, marker + 2);
  const std::vector<std::uint8_t> header(sos, sos + 2 + (sos[2] << 8 | sos[3]));
  bytes.resize(bytes.size() - 2);  // without its end marker
  bytes.insert(bytes.end(), header.begin(), header.end());
  bytes.insert(bytes.end(), {0x00, 0x00, 0xFF, 0xD9});
  return bytes;
}

}  // namespace tavilune::testing
