// A unit's own mouse cursor, loaded from its cursor block.
#pragma once
#include <windows.h>
#include <string>
#include <utility>

namespace window {

// A cursor handle; destroyed at the end only when this program created it (system cursors and
// resource cursors are shared and never destroyed).
class CursorHandle {
 public:
  CursorHandle() = default;
  CursorHandle(HCURSOR cursor, bool owned) : cursor_(cursor), owned_(owned) {}
  CursorHandle(const CursorHandle&) = delete;
  CursorHandle& operator=(const CursorHandle&) = delete;
  CursorHandle(CursorHandle&& other) noexcept
      : cursor_(std::exchange(other.cursor_, nullptr)), owned_(std::exchange(other.owned_, false)) {}
  CursorHandle& operator=(CursorHandle&& other) noexcept {
    Reset();
    cursor_ = std::exchange(other.cursor_, nullptr);
    owned_ = std::exchange(other.owned_, false);
    return *this;
  }
  ~CursorHandle() { Reset(); }

  HCURSOR Get() const { return cursor_; }
  explicit operator bool() const { return cursor_ != nullptr; }
  void Reset() {
    if (cursor_ && owned_) DestroyCursor(cursor_);
    cursor_ = nullptr;
    owned_ = false;
  }

 private:
  HCURSOR cursor_ = nullptr;
  bool owned_ = false;  // made from the program's own cursor data
};

// The cursor a cursor block names: none for an empty block or number 0; a cursor file that
// follows the number -1 (or that a block longer than 10 bytes holds whole); the hand cursor
// from the program's own resource 1032; otherwise the system cursor of that id.
CursorHandle LoadUnitCursor(const std::string& block);

// A cursor made from the bytes of a cursor (or icon) file; none when they are not one.
CursorHandle CursorFromFile(const std::string& file);

}  // namespace window
