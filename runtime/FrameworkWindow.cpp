#include "runtime/FrameworkWindow.h"
#include <unordered_map>

namespace rt {
namespace {

// Window objects of this process by handle; windows live on the main thread only.
std::unordered_map<HWND, FrameworkWindow*>& Objects() {
  static std::unordered_map<HWND, FrameworkWindow*> objects;
  return objects;
}

}  // namespace

FrameworkWindow::~FrameworkWindow() {
  if (!hwnd_) return;
  if (previous_ && IsWindow(hwnd_)) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  Detach();
}

FrameworkWindow* FrameworkWindow::FromHandle(HWND hwnd) {
  auto found = Objects().find(hwnd);
  return found == Objects().end() ? nullptr : found->second;
}

bool FrameworkWindow::Attach(HWND hwnd) {
  if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
  hwnd_ = hwnd;
  Objects()[hwnd] = this;
  return true;
}

HWND FrameworkWindow::Detach() {
  HWND hwnd = hwnd_;
  if (hwnd) Objects().erase(hwnd);
  hwnd_ = nullptr;
  previous_ = nullptr;
  return hwnd;
}

bool FrameworkWindow::Subclass(HWND hwnd) {
  if (!Attach(hwnd)) return false;
  previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return true;
}

LRESULT FrameworkWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT FrameworkWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (previous_) return CallWindowProcA(previous_, hwnd_, message, wParam, lParam);
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FrameworkWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FrameworkWindow* object = FromHandle(hwnd);
  if (!object) return DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = object->WindowProc(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's dispatcher.
    result = 0;
  }
  if (message == WM_NCDESTROY && object->hwnd_ == hwnd) {
    object->Detach();
    object->PostNcDestroy();
  }
  return result;
}

}  // namespace rt
