// The loaded-window store: every window template of the program with the live objects of its
// units while the window exists. The templates double as the store of each unit's common
// properties (rectangle, tag, flags, cursor block) while its window does not exist.
#pragma once
#include <windows.h>
#include <memory>
#include <vector>
#include "runtime/UnitObject.h"
#include "window/UnitCursor.h"
#include "window/template/TemplateModel.h"

namespace window {

// The run-time slots of one unit record.
struct UnitSlot {
  rt::UnitObject* object = nullptr;  // the live object, or null
  CursorHandle cursor;                     // the unit's own mouse cursor, or none
  bool shown = false;                // recorded visibility while the window loads
};

struct LoadedWindow {
  tmpl::WindowTemplate record;  // the template, updated by common property writes
  std::vector<UnitSlot> slots;  // one per unit, in unit-list order

  uint32_t Id() const { return record.id; }
  size_t UnitCount() const { return record.units.size(); }
  // The live object of unit i, or null.
  rt::UnitObject* Object(size_t unit) const { return unit < slots.size() ? slots[unit].object : nullptr; }
  // The Win32 window of unit i while it exists, else null.
  HWND UnitHandle(size_t unit) const;
  HWND Handle() const { return UnitHandle(0); }
  bool Exists() const { return Handle() != nullptr; }
  // Position of the unit with this id; unit id 0 and the window unit's own id give 0; -1 if none.
  int UnitIndex(uint32_t unitId) const;
  // Position of the unit whose live window is hwnd, or -1.
  int UnitIndexOfHandle(HWND hwnd) const;
  // The id under which unit i raises its events.
  uint32_t UnitId(size_t unit) const { return record.units[unit].id; }
};

class WindowStore {
 public:
  static WindowStore& Instance();

  void Add(std::vector<tmpl::WindowTemplate>&& windows);
  LoadedWindow* Find(uint32_t windowId);
  size_t Count() const { return windows_.size(); }
  LoadedWindow* At(size_t index) { return index < windows_.size() ? windows_[index].get() : nullptr; }
  // The loaded window one of whose units has hwnd as its live window.
  LoadedWindow* FindByHandle(HWND hwnd, int* unit);
  bool AnyLiveWindow() const;

  // Forgets unit i's live object and destroys its cursor (the object itself is not touched).
  void ForgetUnit(LoadedWindow& window, size_t unit);
  // Forgets every unit of the window; objects without a Win32 window of their own are deleted,
  // the others delete themselves with their windows.
  void ForgetWindow(LoadedWindow& window);
  // Called after a window unit's Win32 window is gone: the program ends with its last window.
  void WindowDestroyed(LoadedWindow& window);

  // Destroys every live window and drops every template (the end of the program).
  void UnloadAll();
  bool Unloading() const { return unloading_; }

 private:
  std::vector<std::unique_ptr<LoadedWindow>> windows_;  // stable addresses for the objects
  bool unloading_ = false;
};

}  // namespace window
