#include "services/style/Canvas.h"

namespace stylelib {
namespace {

SIZE WindowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

Canvas::Canvas(HWND window) : window_(window), memory_(window_.get()) {
  const SIZE size = WindowSize(window);
  width_ = size.cx;
  height_ = size.cy;
  if (!window_.get() || !memory_.get() || width_ <= 0 || height_ <= 0) return;
  bitmap_ = rt::gdi::Bitmap(CreateCompatibleBitmap(window_.get(), width_, height_));
  if (!bitmap_) return;
  previousBitmap_ = SelectObject(memory_.get(), bitmap_.get());
  SetBkMode(memory_.get(), TRANSPARENT);
}

Canvas::~Canvas() {
  if (previousBitmap_) SelectObject(memory_.get(), previousBitmap_);
}

void Canvas::CopyOnly(HRGN region) {
  copyRegion_ = rt::gdi::Region(region);
  limited_ = true;
}

void Canvas::Present() {
  if (!ok()) return;
  rt::gdi::SavedState state(window_.get());
  if (limited_) {
    if (!copyRegion_) return;
    // The region is in window coordinates, and so is the window DC's origin.
    SelectClipRgn(window_.get(), copyRegion_.get());
  }
  BitBlt(window_.get(), 0, 0, width_, height_, memory_.get(), 0, 0, SRCCOPY);
}

}  // namespace stylelib
