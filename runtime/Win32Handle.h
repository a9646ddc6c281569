// Owners for the Win32 kernel handles, searches and registry keys that the runtime, the support
// libraries and the product's programs open: each closes what it holds exactly once, on every
// path. Also the one way they create a file in place of another. Header-only, so that the
// product's small programs can use it without the runtime.
#pragma once
#include <windows.h>

#include <utility>

namespace rt {

// A kernel handle (file, process, thread, snapshot). Both null and INVALID_HANDLE_VALUE mean
// "none", since CreateFile and the others disagree on which one they return on failure.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Close(); }

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Gives up ownership without closing.
  HANDLE Release() { return std::exchange(handle_, nullptr); }
  // Closes the handle held, if any, and takes over `handle`.
  void Reset(HANDLE handle = nullptr) {
    Close();
    handle_ = handle;
  }
  // Closes the handle now; false when closing failed (a file's last write can fail here).
  bool Close() {
    if (!Valid()) return true;
    const BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Creates `name` for writing (`access`: GENERIC_WRITE, with GENERIC_READ for a file that is to be
// mapped), without sharing, replacing any file of that name; the handle, or INVALID_HANDLE_VALUE.
// A file that does not exist yet is made with CREATE_NEW: Wine carries out CREATE_ALWAYS by
// truncating, and ext4 then starts writing a truncated file back to disk when its handle closes,
// which costs as much time as the write itself.
inline HANDLE CreateReplacingFile(const char* name, DWORD attributes, DWORD access = GENERIC_WRITE) {
  const HANDLE file = CreateFileA(name, access, 0, nullptr, CREATE_NEW, attributes, nullptr);
  if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  return CreateFileA(name, access, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
}

// A FindFirstFile search, ended with FindClose.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (Valid()) FindClose(handle_);
  }

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// An open registry key.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { Close(); }

  bool Valid() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }
  // Where RegOpenKeyEx and friends store the key; closes the one held first.
  HKEY* Receive() {
    Close();
    return &key_;
  }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace rt
