// Owners for the GDI objects and device contexts that the window engine, the skinned classes,
// the self-drawn standard controls and the product's main program paint with: each releases
// what it holds on scope exit. Header-only, so that the product's small programs can use it
// without the runtime.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace rt::gdi {

// Any GDI object we created (pen, brush, font, bitmap, region), deleted with DeleteObject.
template <typename Handle>
struct ObjectDeleter {
  void operator()(Handle handle) const { DeleteObject(handle); }
};
template <typename Handle>
using Object = std::unique_ptr<std::remove_pointer_t<Handle>, ObjectDeleter<Handle>>;
using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Font = Object<HFONT>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;

// An icon or cursor we made, destroyed with DestroyIcon.
struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() { if (dc_) DeleteDC(dc_); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// A DC from GetWindowDC (the whole window, frame included), released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A DC from GetDC (the client area; the screen for a null window), released with ReleaseDC.
class ClientDc {
 public:
  explicit ClientDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ClientDc() { if (dc_) ReleaseDC(window_, dc_); }
  ClientDc(const ClientDc&) = delete;
  ClientDc& operator=(const ClientDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint/EndPaint around one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  HDC dc_ = nullptr;
  PAINTSTRUCT paint_ = {};
};

// An object selected into a DC for the length of a scope; the previous one goes back after.
// Selecting nothing (a null object) is allowed and leaves the DC as it is.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() { if (previous_) SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Saves the DC state (clip region, colours, mode) and restores it on scope exit.
class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  ~SavedState() { if (id_) RestoreDC(dc_, id_); }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  HDC dc_;
  int id_;
};

// A 32 bits-per-pixel top-down DIB section; *bits (when asked for) receives its pixels (BGRX,
// width * 4 per row), or null when the section could not be made.
inline Bitmap CreateDib32(int width, int height, uint32_t** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (bits) *bits = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
  return bitmap;
}

}  // namespace rt::gdi
