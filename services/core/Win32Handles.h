// Owners for the Win32 handles and registry keys that a command opens: each closes its handle
// when it goes out of scope, so every return path of a command closes what it opened.
#pragma once
#include <windows.h>

namespace win {

// A kernel handle (file, process, thread). Both null and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Close(); }

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Closes the handle now; false when closing failed (a file's last write can fail here).
  bool Close() {
    if (!Valid()) return true;
    BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

// An open registry key.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { Close(); }

  HKEY Get() const { return key_; }
  HKEY* Receive() { Close(); return &key_; }
  bool Valid() const { return key_ != nullptr; }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace win
