#include "window/Notifications.h"
#include <set>
#include "runtime/Runtime.h"
#include "window/Events.h"
#include "window/Pages.h"
#include "window/WindowLoader.h"
#include "window/WindowStore.h"

namespace window {
namespace {

template <typename T>
T* Pointer(int32_t word) { return reinterpret_cast<T*>(uintptr_t(uint32_t(word))); }
int32_t Word(const void* pointer) { return int32_t(uint32_t(reinterpret_cast<uintptr_t>(pointer))); }

// Wrappers made by code 1007; only these may be deleted through code 1008.
std::set<rt::FrameworkWindow*>& Wrappers() {
  static std::set<rt::FrameworkWindow*> wrappers;
  return wrappers;
}

int32_t WrapHandle(HWND hwnd) {
  if (!hwnd) return 0;
  auto* wrapper = new rt::FrameworkWindow();
  if (!wrapper->Attach(hwnd)) {  // the window has an object already
    delete wrapper;
    return 0;
  }
  Wrappers().insert(wrapper);
  return Word(wrapper);
}

void DeleteWrapper(rt::FrameworkWindow* wrapper) {
  if (!Wrappers().erase(wrapper)) return;
  wrapper->Detach();
  delete wrapper;
}

int32_t Unwrap(rt::FrameworkWindow* wrapper) { return wrapper ? Word(wrapper->Detach()) : 0; }

int32_t AttachWrapper(HWND hwnd, rt::FrameworkWindow* wrapper) {
  if (!hwnd || !wrapper || wrapper->Handle() || rt::FrameworkWindow::FromHandle(hwnd)) return 0;
  return wrapper->Attach(hwnd) ? 1 : 0;
}

bool IsProgramWindow(HWND hwnd) { return hwnd && WindowStore::Instance().FindByHandle(hwnd, nullptr) != nullptr; }

void ControlDestroyed(uint32_t windowId, uint32_t unitId) {
  WindowStore& store = WindowStore::Instance();
  if (store.Unloading()) return;
  LoadedWindow* window = store.Find(windowId);
  int unit = window ? window->UnitIndex(unitId) : -1;
  if (unit < 0) return;
  if (unit == 0) store.ForgetWindow(*window);
  else store.ForgetUnit(*window, size_t(unit));
}

// Record of code 2005.
struct OpenWindowRecord {
  uint32_t windowId;
  rt::UnitObject* owner;  // the unit whose window becomes the parent, or null
  int32_t creationFlag;   // nonzero: loaded modally
};

int32_t OpenWindow(const OpenWindowRecord* record) {
  LoadedWindow* window = WindowStore::Instance().Find(record->windowId);
  if (!window) return -1;
  HWND parent = record->owner ? record->owner->Handle() : nullptr;
  return LoadWindow(*window, record->creationFlag != 0, parent) ? 0 : -1;
}

rt::UnitObject* LocateQuietly(uint32_t windowId, uint32_t unitId) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (!window || !window->Exists()) return nullptr;
  int unit = window->UnitIndex(unitId);
  return unit >= 0 && window->UnitHandle(size_t(unit)) ? window->Object(size_t(unit)) : nullptr;
}

rt::UnitObject* Locate(uint32_t windowId, uint32_t unitId) {
  rt::UnitObject* object = LocateQuietly(windowId, unitId);
  if (!object) rt::RuntimeError("指定窗口或窗口组件不存在或尚未载入");
  return object;
}

int32_t EventSource(uint32_t* words) { return CurrentEventSource(&words[0], &words[1]) ? 1 : 0; }

int32_t UnitTypeCode(uint32_t windowId, uint32_t unitId) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  int unit = window ? window->UnitIndex(unitId) : -1;
  return unit < 0 ? 0 : int32_t(window->record.units[size_t(unit)].typeCode);
}

int32_t WindowHandleAt(int32_t index) {
  LoadedWindow* window = index >= 0 ? WindowStore::Instance().At(size_t(index)) : nullptr;
  return window ? Word(window->Handle()) : 0;
}

void ShowPage(uint32_t windowId, uint32_t unitId) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  int unit = window ? window->UnitIndex(unitId) : -1;
  if (unit > 0) ShowCurrentPage(*window, size_t(unit));
}

}  // namespace

int32_t ServeNotification(int32_t code, int32_t first, int32_t second, bool* handled) {
  *handled = true;
  uint32_t a = uint32_t(first), b = uint32_t(second);
  switch (code) {
    case rt::kNotifyWindowStore: return Word(&WindowStore::Instance());
    case rt::kNotifyWrapHandle: return WrapHandle(Pointer<HWND__>(first));
    case rt::kNotifyDeleteWrapper: DeleteWrapper(Pointer<rt::FrameworkWindow>(first)); return 0;
    case rt::kNotifyUnwrap: return Unwrap(Pointer<rt::FrameworkWindow>(first));
    case rt::kNotifyWrapperHandle: return first ? Word(Pointer<rt::FrameworkWindow>(first)->Handle()) : 0;
    case rt::kNotifyAttach: return AttachWrapper(Pointer<HWND__>(first), Pointer<rt::FrameworkWindow>(second));
    case rt::kNotifyIsProgramWindow: return IsProgramWindow(Pointer<HWND__>(first)) ? 1 : 0;
    case rt::kNotifyControlDestroyed: ControlDestroyed(a, b); return 0;
    case rt::kNotifyOpenWindow: return OpenWindow(Pointer<OpenWindowRecord>(first));
    case rt::kNotifyLocateQuietly: return Word(LocateQuietly(a, b));
    case rt::kNotifyLocate: return Word(Locate(a, b));
    case rt::kNotifyRaiseEvent: return RaiseEventRecord(Pointer<rt::EventRecord>(first));
    case rt::kNotifyRaiseTypedEvent: return RaiseTypedEventRecord(Pointer<rt::TypedEventRecord>(first));
    case rt::kNotifyEventSource: return EventSource(Pointer<uint32_t>(first));
    case rt::kNotifyUnitType: return UnitTypeCode(a, b);
    case rt::kNotifyLoadedWindowCount: return int32_t(WindowStore::Instance().Count());
    case rt::kNotifyWindowHandleAt: return WindowHandleAt(first);
    case rt::kNotifyShowCurrentPage: ShowPage(a, b); return 0;
    default: *handled = false; return 0;
  }
}

}  // namespace window
