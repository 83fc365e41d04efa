#include "screen.h"

namespace tavilune::e2e {

ScreenShot::ScreenShot(const RECT& area)
    : width_(area.right - area.left), height_(area.bottom - area.top) {
  if (width_ <= 0 || height_ <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok_ = BitBlt(memory, 0, 0, width_, height_, screen, area.left, area.top, SRCCOPY) != 0;
    GdiFlush();
    if (ok_) {
      const auto* source = static_cast<const std::uint32_t*>(bits);
      pixels_.assign(source, source + static_cast<size_t>(width_) * height_);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::At(int x, int y) const {
  if (!ok_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  std::uint32_t bgra = pixels_[static_cast<size_t>(y) * width_ + x];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

int ScreenShot::CountDifferent(int left, int top, int right, int bottom, COLORREF expected,
                               POINT* firstBad) const {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (At(x, y) != expected) {
        if (count == 0 && firstBad != nullptr) *firstBad = POINT{x, y};
        ++count;
      }
    }
  }
  return count;
}

}  // namespace tavilune::e2e
