// An off-screen bitmap the size of a window, copied to the window's DC in one BitBlt.
#pragma once
#include <windows.h>

#include "runtime/GdiObjects.h"

namespace stylelib {

class Canvas {
 public:
  explicit Canvas(HWND window);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return memory_.get() && bitmap_ && window_.get(); }
  HDC dc() const { return memory_.get(); }
  RECT bounds() const { return {0, 0, width_, height_}; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Limits the copy to a region in window coordinates (taken over); without it the whole
  // canvas is copied.
  void CopyOnly(HRGN region);
  // Copies the canvas to the window.
  void Present();

 private:
  rt::gdi::WindowDc window_;
  int width_ = 0;
  int height_ = 0;
  rt::gdi::MemoryDc memory_;
  rt::gdi::Bitmap bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
  rt::gdi::Region copyRegion_;
  bool limited_ = false;
};

}  // namespace stylelib
