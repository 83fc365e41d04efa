// Owners of the system's handles: each closes, releases or deletes what it holds exactly once.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace tavilune::win32 {

// A handle of type T owned alone and given back to the system with Free. Kernel calls report
// failure with INVALID_HANDLE_VALUE rather than null; both count as no handle, so that a failed
// CreateFile or FindFirstFile is never closed.
template <typename T, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(Valid(handle) ? handle : nullptr) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Detach();
    }
    return *this;
  }

  T Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset() {
    if (handle_ != nullptr) Free(handle_);
    handle_ = nullptr;
  }
  // Gives the handle to another owner (a menu appended to its parent, which destroys it).
  [[nodiscard]] T Detach() { return std::exchange(handle_, nullptr); }

 private:
  static bool Valid(T handle) {
    if constexpr (std::is_same_v<T, HANDLE>) {
      return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    } else {
      return handle != nullptr;
    }
  }

  T handle_ = nullptr;
};

using KernelHandle = UniqueHandle<HANDLE, CloseHandle>;  // files, threads
using FindHandle = UniqueHandle<HANDLE, FindClose>;      // a directory search
// A GDI object (brush, pen, font, bitmap, palette, region).
template <typename T>
using GdiObject = UniqueHandle<T, DeleteObject>;
using MemoryDc = UniqueHandle<HDC, DeleteDC>;        // from CreateCompatibleDC
using OwnedIcon = UniqueHandle<HICON, DestroyIcon>;  // made or loaded unshared
using OwnedMenu = UniqueHandle<HMENU, DestroyMenu>;  // until appended to a parent
using OwnedMetafile = UniqueHandle<HENHMETAFILE, DeleteEnhMetaFile>;
using OwnedWindow = UniqueHandle<HWND, DestroyWindow>;  // a window this code made and ends

// A device context from GetDC, released to the window it came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A device context from BeginPaint, ended with EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context, the previous one selected back at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A palette selected into a device context and realized, the previous one selected back at the
// end (palettes have a selection call of their own; SelectObject refuses them).
class SelectedPalette {
 public:
  SelectedPalette(HDC dc, HPALETTE palette, bool background)
      : dc_(dc), previous_(SelectPalette(dc, palette, background)) {
    RealizePalette(dc);
  }
  ~SelectedPalette() {
    if (previous_ != nullptr) SelectPalette(dc_, previous_, TRUE);
  }
  SelectedPalette(const SelectedPalette&) = delete;
  SelectedPalette& operator=(const SelectedPalette&) = delete;

 private:
  HDC dc_;
  HPALETTE previous_;
};

}  // namespace tavilune::win32
