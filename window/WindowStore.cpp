#include "window/WindowStore.h"
#include "runtime/Runtime.h"

namespace window {

HWND LoadedWindow::UnitHandle(size_t unit) const {
  rt::UnitObject* object = Object(unit);
  if (!object) return nullptr;
  HWND hwnd = object->Handle();
  return hwnd && IsWindow(hwnd) ? hwnd : nullptr;
}

int LoadedWindow::UnitIndex(uint32_t unitId) const {
  if (record.units.empty()) return -1;
  if (unitId == 0) return 0;
  return tmpl::FindUnitIndex(record, unitId);
}

int LoadedWindow::UnitIndexOfHandle(HWND hwnd) const {
  if (!hwnd) return -1;
  for (size_t i = 0; i < slots.size(); ++i)
    if (slots[i].object && slots[i].object->Handle() == hwnd) return int(i);
  return -1;
}

WindowStore& WindowStore::Instance() {
  static WindowStore store;
  return store;
}

void WindowStore::Add(std::vector<tmpl::WindowTemplate>&& windows) {
  for (tmpl::WindowTemplate& record : windows) {
    auto loaded = std::make_unique<LoadedWindow>();
    loaded->slots.resize(record.units.size());
    loaded->record = std::move(record);
    windows_.push_back(std::move(loaded));
  }
}

LoadedWindow* WindowStore::Find(uint32_t windowId) {
  for (auto& window : windows_)
    if (window->Id() == windowId) return window.get();
  return nullptr;
}

LoadedWindow* WindowStore::FindByHandle(HWND hwnd, int* unit) {
  if (!hwnd) return nullptr;
  for (auto& window : windows_) {
    int index = window->UnitIndexOfHandle(hwnd);
    if (index < 0) continue;
    if (unit) *unit = index;
    return window.get();
  }
  return nullptr;
}

bool WindowStore::AnyLiveWindow() const {
  for (const auto& window : windows_)
    if (window->Exists()) return true;
  return false;
}

void WindowStore::ForgetUnit(LoadedWindow& window, size_t unit) {
  if (unit >= window.slots.size()) return;
  window.slots[unit].object = nullptr;
  window.slots[unit].cursor.Reset();
}

void WindowStore::ForgetWindow(LoadedWindow& window) {
  for (size_t i = 0; i < window.slots.size(); ++i) {
    rt::UnitObject* object = window.slots[i].object;
    // Objects that never had a window cannot delete themselves with it.
    if (object && !object->Handle()) delete object;
    ForgetUnit(window, i);
  }
}

void WindowStore::WindowDestroyed(LoadedWindow& window) {
  ForgetWindow(window);
  if (unloading_ || rt::ExitInProgress()) return;
  if (!AnyLiveWindow() && rt::MessageLoopEntered()) PostQuitMessage(0);
}

void WindowStore::UnloadAll() {
  unloading_ = true;
  for (auto& window : windows_) {
    HWND hwnd = window->Handle();
    if (hwnd) DestroyWindow(hwnd);
    ForgetWindow(*window);
  }
  windows_.clear();
  unloading_ = false;
}

}  // namespace window
