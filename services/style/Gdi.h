// Owners for the GDI and user handles the painters use; each releases its handle on scope exit.
#pragma once
#include <windows.h>

namespace stylelib::gdi {

// A DC from GetWindowDC, released with ReleaseDC.
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

// A DC from GetDC (client area), released with ReleaseDC.
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

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() { if (dc_) DeleteDC(dc_); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Any GDI object we created (pen, brush, bitmap, region), deleted with DeleteObject.
template <typename Handle>
class Object {
 public:
  Object() = default;
  explicit Object(Handle handle) : handle_(handle) {}
  ~Object() { if (handle_) DeleteObject(handle_); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Object(Object&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Object& operator=(Object&& other) noexcept {
    if (this == &other) return *this;
    if (handle_) DeleteObject(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
    return *this;
  }
  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Handle handle_ = nullptr;
};
using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;

// Selects an object into a DC and puts the previous one back on scope exit.
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

}  // namespace stylelib::gdi
