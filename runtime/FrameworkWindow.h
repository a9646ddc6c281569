// Our small framework layer over Win32: a window object that subclasses a created window and
// serves its messages through a virtual window procedure.
#pragma once
#include <windows.h>

namespace rt {

class FrameworkWindow {
 public:
  FrameworkWindow() = default;
  FrameworkWindow(const FrameworkWindow&) = delete;
  FrameworkWindow& operator=(const FrameworkWindow&) = delete;
  virtual ~FrameworkWindow();

  HWND Handle() const { return hwnd_; }

  // Joins an existing window to this object without subclassing it.
  bool Attach(HWND hwnd);
  HWND Detach();
  // Attaches and routes the window's messages through WindowProc.
  bool Subclass(HWND hwnd);

  // The object attached to a window, or null.
  static FrameworkWindow* FromHandle(HWND hwnd);

  // Offered every message addressed to this window or a child before dispatch; true consumes it.
  virtual bool PreTranslateMessage(MSG* message) { (void)message; return false; }
  // Idle time of the message loop; true asks for more.
  virtual bool OnIdle(DWORD millisecondsSinceIdle) { (void)millisecondsSinceIdle; return false; }

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window procedure that was in place before subclassing.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after the window's last message (WM_NCDESTROY), once the object is detached.
  virtual void PostNcDestroy() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  WNDPROC previous_ = nullptr;
};

}  // namespace rt
