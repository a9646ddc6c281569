#include "window/Properties.h"
#include "runtime/Runtime.h"
#include "window/MenuItem.h"
#include "window/Pages.h"
#include "window/PropertyKinds.h"
#include "window/UnitType.h"
#include "window/WindowLoader.h"
#include "window/WindowStore.h"

namespace window {
namespace {

constexpr int32_t kFirstOwnProperty = 8;

// One unit being read or written.
struct UnitRef {
  LoadedWindow& window;
  size_t unit;
  tmpl::UnitTemplate& record;
  HWND hwnd;  // the live window, or null
};

UnitRef FindUnitRef(uint32_t windowId, uint32_t unitId) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (!window) rt::RuntimeError("未载入欲访问窗口组件所在的窗口");
  int unit = window->UnitIndex(unitId);
  if (unit < 0) rt::RuntimeError("指定窗口或窗口组件不存在或尚未载入");
  return {*window, size_t(unit), window->record.units[size_t(unit)], window->UnitHandle(size_t(unit))};
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

// The live rectangle: left and top in the parent's client area, or on the screen for windows
// that are not children.
RECT LiveRect(HWND hwnd) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

uint32_t Logical(bool value) { return value ? 1 : 0; }

// ---- Common properties ------------------------------------------------------------------

uint64_t ReadLeft(const UnitRef& ref) { return uint32_t(ref.hwnd ? LiveRect(ref.hwnd).left : ref.record.left); }
uint64_t ReadTop(const UnitRef& ref) { return uint32_t(ref.hwnd ? LiveRect(ref.hwnd).top : ref.record.top); }
uint64_t ReadWidth(const UnitRef& ref) {
  if (!ref.hwnd) return uint32_t(ref.record.width);
  RECT rect = LiveRect(ref.hwnd);
  return uint32_t(rect.right - rect.left);
}
uint64_t ReadHeight(const UnitRef& ref) {
  if (!ref.hwnd) return uint32_t(ref.record.height);
  RECT rect = LiveRect(ref.hwnd);
  return uint32_t(rect.bottom - rect.top);
}
uint64_t ReadTag(const UnitRef& ref) {
  return reinterpret_cast<uintptr_t>(rt::NewText(ref.record.tag.data(), uint32_t(ref.record.tag.size())));
}
uint64_t ReadVisible(const UnitRef& ref) {
  if (ref.hwnd) return Logical(GetWindowLongA(ref.hwnd, GWL_STYLE) & WS_VISIBLE);
  return Logical(ref.record.flags & tmpl::kFlagVisible);
}
uint64_t ReadDisabled(const UnitRef& ref) {
  if (ref.hwnd) return Logical(!IsWindowEnabled(ref.hwnd));
  return Logical(ref.record.flags & tmpl::kFlagDisabled);
}
uint64_t ReadCursor(const UnitRef& ref) {
  return reinterpret_cast<uintptr_t>(NewByteArray(CursorPropertyFromBlock(ref.record.cursorBlock)));
}

void MoveLive(const UnitRef& ref, const int32_t* left, const int32_t* top) {
  if (!ref.hwnd) return;
  RECT rect = LiveRect(ref.hwnd);
  SetWindowPos(ref.hwnd, nullptr, left ? *left : rect.left, top ? *top : rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeLive(const UnitRef& ref, const int32_t* width, const int32_t* height) {
  if (!ref.hwnd) return;
  RECT rect = LiveRect(ref.hwnd);
  SetWindowPos(ref.hwnd, nullptr, 0, 0, width ? *width : rect.right - rect.left, height ? *height : rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WriteLeft(UnitRef& ref, uint32_t lo) {
  ref.record.left = Clamp(int32_t(lo), -kCoordinateLimit, kCoordinateLimit);
  MoveLive(ref, &ref.record.left, nullptr);
}
void WriteTop(UnitRef& ref, uint32_t lo) {
  ref.record.top = Clamp(int32_t(lo), -kCoordinateLimit, kCoordinateLimit);
  MoveLive(ref, nullptr, &ref.record.top);
}
void WriteWidth(UnitRef& ref, uint32_t lo) {
  ref.record.width = Clamp(int32_t(lo), 0, kCoordinateLimit);
  ResizeLive(ref, &ref.record.width, nullptr);
}
void WriteHeight(UnitRef& ref, uint32_t lo) {
  ref.record.height = Clamp(int32_t(lo), 0, kCoordinateLimit);
  ResizeLive(ref, nullptr, &ref.record.height);
}
void WriteTag(UnitRef& ref, uint32_t lo) { ref.record.tag = TextOfValue(lo); }

void SetFlag(tmpl::UnitTemplate& record, uint32_t flag, bool on) {
  record.flags = on ? (record.flags | flag) : (record.flags & ~flag);
}

void WriteVisible(UnitRef& ref, uint32_t lo) {
  SetFlag(ref.record, tmpl::kFlagVisible, lo != 0);
  if (!ref.hwnd) return;
  if (!lo) {
    ShowWindow(ref.hwnd, SW_HIDE);
    return;
  }
  if (FindUnitType(ref.record.typeCode).Has(typestate::kNoVisibleWindow)) return;
  if (ref.unit > 0 && IsOnHiddenPage(ref.window, ref.unit)) return;
  ShowWindow(ref.hwnd, SW_SHOW);
}

void WriteDisabled(UnitRef& ref, uint32_t lo) {
  SetFlag(ref.record, tmpl::kFlagDisabled, lo != 0);
  if (ref.hwnd) EnableWindow(ref.hwnd, lo ? FALSE : TRUE);
}

void WriteCursor(UnitRef& ref, uint32_t lo) {
  ref.record.cursorBlock = CursorBlockFromProperty(BytesOfValue(lo));
  if (!ref.window.Exists()) return;
  ref.window.slots[ref.unit].cursor = LoadUnitCursor(ref.record.cursorBlock);
  // Setting the mouse where it is makes the system ask for the cursor again.
  POINT where;
  if (GetCursorPos(&where)) SetCursorPos(where.x, where.y);
}

struct CommonProperty {
  uint64_t (*read)(const UnitRef& ref);
  void (*write)(UnitRef& ref, uint32_t lo);
};

// Left, Top, Width, Height, Tag, Visible, Disabled, Cursor.
const CommonProperty kCommonProperties[kFirstOwnProperty] = {
    {ReadLeft, WriteLeft}, {ReadTop, WriteTop},         {ReadWidth, WriteWidth},       {ReadHeight, WriteHeight},
    {ReadTag, WriteTag},   {ReadVisible, WriteVisible}, {ReadDisabled, WriteDisabled}, {ReadCursor, WriteCursor},
};

// ---- The type's own properties -------------------------------------------------------------

rt::UnitObject* LiveObject(const UnitRef& ref) {
  rt::UnitObject* object = ref.window.Exists() ? ref.window.Object(ref.unit) : nullptr;
  if (!object) rt::RuntimeError("指定窗口尚未载入");
  return object;
}

uint64_t ReadOwn(const UnitRef& ref, int32_t index, int32_t member) {
  rt::UnitObject* object = LiveObject(ref);
  UnitType type = FindUnitType(ref.record.typeCode);
  rt::UnitGetProperty get = type.GetProperty();
  rt::PropertyData stored;
  if (!get || !get(object, index - kFirstOwnProperty, stored)) return 0;
  return ToProgramValue(type.PropertyKind(index), stored, member);
}

void WriteOwn(UnitRef& ref, int32_t index, int32_t member, uint32_t lo, uint32_t hi) {
  rt::UnitObject* object = LiveObject(ref);
  UnitType type = FindUnitType(ref.record.typeCode);
  rt::UnitSetProperty set = type.SetProperty();
  if (!set) return;
  rt::PropertyData current;
  if (rt::UnitGetProperty get = type.GetProperty()) get(object, index - kFirstOwnProperty, current);
  rt::PropertyData value = FromProgramValue(type.PropertyKind(index), lo, hi, member, current);
  if (set(object, index - kFirstOwnProperty, value) == 1) RecreateUnit(ref.window, ref.unit);
}

bool IsMenuItem(const UnitRef& ref) { return tmpl::IsMenuItemId(ref.record.id); }

}  // namespace

uint64_t GetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member) {
  UnitRef ref = FindUnitRef(windowId, unitId);
  if (IsMenuItem(ref)) return ReadMenuItemProperty(ref.record, index);
  if (index < 0) return 0;
  if (index >= kFirstOwnProperty) return ReadOwn(ref, index, member);
  return kCommonProperties[index].read(ref);
}

uint32_t SetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member, uint32_t lo, uint32_t hi) {
  UnitRef ref = FindUnitRef(windowId, unitId);
  if (IsMenuItem(ref)) {
    if (WriteMenuItemProperty(ref.record, index, lo)) RebuildWindowMenu(ref.window);
    return 1;
  }
  if (index < 0) return 0;
  if (index >= kFirstOwnProperty) WriteOwn(ref, index, member, lo, hi);
  else kCommonProperties[index].write(ref, lo);
  return 1;
}

// A library object that is not a control: its type's property k, without the common ones.
uint64_t GetObjectProperty(uint32_t typeCode, void* object, int32_t k, int32_t member) {
  UnitType type = FindUnitType(typeCode);
  rt::UnitGetProperty get = type.GetProperty();
  uint16_t kind = type.RecordKind(k);
  if (!object || type.Has(typestate::kWindowUnit) || !get || !kind) return 0;
  rt::PropertyData stored;
  if (!get(static_cast<rt::UnitObject*>(object), k, stored)) return 0;
  return ToProgramValue(kind, stored, member);
}

void SetObjectProperty(uint32_t typeCode, void* object, int32_t k, int32_t member, uint32_t lo, uint32_t hi) {
  UnitType type = FindUnitType(typeCode);
  rt::UnitSetProperty set = type.SetProperty();
  uint16_t kind = type.RecordKind(k);
  if (!object || type.Has(typestate::kWindowUnit) || !set || !kind) return;
  auto* target = static_cast<rt::UnitObject*>(object);
  rt::PropertyData current;
  if (rt::UnitGetProperty get = type.GetProperty()) get(target, k, current);
  set(target, k, FromProgramValue(kind, lo, hi, member, current));
}

}  // namespace window
