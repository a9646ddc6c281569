#include "window/WindowLoader.h"
#include <string>
#include <vector>
#include "runtime/Runtime.h"
#include "window/EngineMessages.h"
#include "window/Events.h"
#include "window/ModalLoop.h"
#include "window/Pages.h"
#include "window/UnitHook.h"
#include "window/UnitType.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

constexpr uint32_t kFirstControlId = 100;
constexpr uint32_t kControlIdStep = 10;

bool IsMenuItem(const LoadedWindow& window, size_t unit) { return tmpl::IsMenuItemId(window.UnitId(unit)); }

// The style bits the engine gives every unit from its flags; `shown` receives its visibility.
uint32_t UnitStyle(const tmpl::UnitTemplate& record, const UnitType& type, bool* shown) {
  if (type.Has(typestate::kNoVisibleWindow)) {
    *shown = false;
    return 0;
  }
  *shown = (record.flags & tmpl::kFlagVisible) != 0;
  uint32_t style = 0;
  if (record.flags & tmpl::kFlagDisabled) style |= WS_DISABLED;
  if (record.flags & tmpl::kFlagTabStop) style |= WS_TABSTOP;
  return style;
}

rt::UnitCreateArgs CreateArgs(const LoadedWindow& window, size_t unit, uint32_t style, HWND parent,
                              uint32_t controlId, HMENU menu) {
  const tmpl::UnitTemplate& record = window.record.units[unit];
  rt::UnitCreateArgs args = {};
  args.block = reinterpret_cast<const uint8_t*>(record.propertyBlock.data());
  args.blockSize = int32_t(record.propertyBlock.size());
  args.style = style;
  args.parent = parent;
  args.controlId = controlId;
  args.menu = menu;
  args.left = record.left;
  args.top = record.top;
  args.width = record.width;
  args.height = record.height;
  args.windowId = window.Id();
  args.unitId = record.id;
  return args;
}

bool CreateUnit(LoadedWindow& window, size_t unit, HWND parent, uint32_t controlId, const std::string* block,
                HMENU menu = nullptr) {
  const tmpl::UnitTemplate& record = window.record.units[unit];
  UnitType type = FindUnitType(record.typeCode);
  rt::UnitCreate create = type.Create();
  if (!create) return false;
  bool shown = false;
  rt::UnitCreateArgs args = CreateArgs(window, unit, UnitStyle(record, type, &shown), parent, controlId, menu);
  if (block) {
    args.block = reinterpret_cast<const uint8_t*>(block->data());
    args.blockSize = int32_t(block->size());
  }
  rt::UnitObject* object = create(args);
  if (!object) return false;
  object->windowId = window.Id();
  object->unitId = record.id;
  window.slots[unit].object = object;
  window.slots[unit].shown = shown;
  HookUnitWindow(object->Handle());
  return true;
}

// The window unit first (with the menu, which it then owns), then the others from the end of
// the unit list; controls get ids 100, 110, 120, ... in that order.
bool CreateUnits(LoadedWindow& window, bool modal, HWND parent, WindowMenu& menu) {
  SetNextWindowModal(modal);
  if (!CreateUnit(window, 0, parent, 0, nullptr, menu.Menu()) || !window.Handle()) return false;
  if (menu.Menu()) menu.HandMenuToWindow();
  uint32_t controlId = kFirstControlId;
  for (size_t unit = window.UnitCount(); unit-- > 1;) {
    if (IsMenuItem(window, unit)) continue;
    if (!CreateUnit(window, unit, window.Handle(), controlId, nullptr)) return false;
    controlId += kControlIdStep;
  }
  return true;
}

void DiscardPartialWindow(LoadedWindow& window) {
  if (HWND hwnd = window.Handle()) DestroyWindow(hwnd);
  WindowStore::Instance().ForgetWindow(window);
}

HWND ParentHandle(const LoadedWindow& window, uint32_t parentId) {
  if (parentId == 0) return window.Handle();
  int parent = window.UnitIndex(parentId);
  return parent > 0 ? window.UnitHandle(size_t(parent)) : window.Handle();
}

// Every unit into its parent unit's window (they were all created in the window).
void ParentUnits(LoadedWindow& window) {
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    HWND hwnd = window.UnitHandle(unit);
    if (!hwnd || IsMenuItem(window, unit)) continue;
    HWND parent = ParentHandle(window, window.record.units[unit].parent);
    if (parent && parent != hwnd && GetParent(hwnd) != parent) SetParent(hwnd, parent);
  }
}

// Only the first page of a paged container starts out visible.
void HideLaterPages(LoadedWindow& window) {
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    const tmpl::UnitTemplate& record = window.record.units[unit];
    if (!FindUnitType(record.typeCode).Has(typestate::kPaged)) continue;
    int page = 0;
    for (uint32_t child : record.children) {
      if (child == 0) ++page;
      else if (page > 0 && window.UnitIndex(child) > 0) window.slots[size_t(window.UnitIndex(child))].shown = false;
    }
  }
}

// Siblings stack in unit-list order, the earliest on top.
void StackUnits(LoadedWindow& window) {
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    HWND hwnd = window.UnitHandle(unit);
    if (!hwnd) continue;
    HWND above = HWND_TOP;
    for (size_t earlier = unit - 1; earlier >= 1; --earlier) {
      HWND sibling = window.UnitHandle(earlier);
      if (sibling && window.record.units[earlier].parent == window.record.units[unit].parent) {
        above = sibling;
        break;
      }
    }
    SetWindowPos(hwnd, above, 0, 0, 0, 0, kKeepPlace);
  }
}

void LoadCursors(LoadedWindow& window) {
  for (size_t unit = 0; unit < window.UnitCount(); ++unit)
    window.slots[unit].cursor = LoadUnitCursor(window.record.units[unit].cursorBlock);
}

void SendToUnitsLastFirst(LoadedWindow& window, UINT message) {
  for (size_t unit = window.UnitCount(); unit-- > 0;)
    if (HWND hwnd = window.UnitHandle(unit)) SendMessageA(hwnd, message, 0, 0);
}

// Controls appear without taking the activation.
void ShowControls(LoadedWindow& window) {
  for (size_t unit = 1; unit < window.UnitCount(); ++unit)
    if (HWND hwnd = window.UnitHandle(unit)) ShowWindow(hwnd, window.slots[unit].shown ? SW_SHOWNA : SW_HIDE);
}

// The window's first events, each only while the window still exists, then the window.
void RaiseFirstEvents(LoadedWindow& window) {
  for (WindowEvent event : kEventsAfterLoading) {
    if (!window.Exists()) return;
    RaiseEvent(window.Id(), window.UnitId(0), event);
  }
  WindowUnit* unit = AsWindowUnit(window.Object(0));
  if (unit && (window.record.units[0].flags & tmpl::kFlagVisible)) unit->ShowAsStored();
}

// Every other window of the program waits while a modal window is open.
void DisableOtherWindows(LoadedWindow& window, HWND previousActive) {
  std::vector<DisabledWindow> disabled;
  WindowStore& store = WindowStore::Instance();
  for (size_t i = 0; i < store.Count(); ++i) {
    LoadedWindow* other = store.At(i);
    HWND hwnd = other != &window ? other->Handle() : nullptr;
    if (!hwnd) continue;
    disabled.push_back({hwnd, IsWindowEnabled(hwnd) != FALSE});
    EnableWindow(hwnd, FALSE);
  }
  if (WindowUnit* unit = AsWindowUnit(window.Object(0))) unit->SetModal(std::move(disabled), previousActive);
}

// The last word to every unit; the focus stays where it was; the window counts as loaded.
void FinishLoading(LoadedWindow& window) {
  HWND focus = GetFocus();
  SendToUnitsLastFirst(window, kWindowLoadedMessage);
  if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
  if (WindowUnit* unit = AsWindowUnit(window.Object(0))) unit->MarkLoaded();
}

void BringForward(HWND hwnd) {
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  else SetActiveWindow(hwnd);
}

}  // namespace

bool LoadWindow(LoadedWindow& window, bool modal, HWND parent) {
  if (HWND existing = window.Handle()) {
    BringForward(existing);
    return true;
  }
  if (window.UnitCount() == 0) return false;
  HWND previousActive = modal ? GetActiveWindow() : nullptr;  // before this window takes the activation
  rt::SuppressEvents();
  WindowMenu menu = WindowMenu::Build(window);
  if (!CreateUnits(window, modal, parent, menu)) {
    // The menu goes with the window that took it, the accelerators with `menu`.
    DiscardPartialWindow(window);
    rt::ResumeEvents();
    return false;
  }
  ParentUnits(window);
  HideLaterPages(window);
  StackUnits(window);
  LoadCursors(window);
  SendToUnitsLastFirst(window, kUnitsCreatedMessage);
  SendMessageA(window.Handle(), kLayOutBarsMessage, 0, 0);
  ShowControls(window);
  if (WindowUnit* unit = AsWindowUnit(window.Object(0))) unit->InstallMenu(std::move(menu));
  rt::ResumeEvents();
  RaiseFirstEvents(window);
  if (!window.Exists()) return true;  // a routine closed it already
  if (modal) DisableOtherWindows(window, previousActive);
  FinishLoading(window);
  // The loader waits in the nested loop until the modal window has closed.
  if (modal && window.Exists()) RunModalLoop(window.Handle());
  return true;
}

bool RecreateUnit(LoadedWindow& window, size_t unit) {
  rt::UnitObject* old = window.Object(unit);
  HWND oldHwnd = window.UnitHandle(unit);
  rt::UnitWriteBlock write = FindUnitType(window.record.units[unit].typeCode).WriteBlock();
  std::string block;
  if (unit == 0 || !old || !oldHwnd || !write || !write(old, block)) return false;
  HWND parent = GetParent(oldHwnd);
  HWND above = GetWindow(oldHwnd, GW_HWNDPREV);
  uint32_t controlId = uint32_t(GetDlgCtrlID(oldHwnd));
  bool hadFocus = GetFocus() == oldHwnd;
  rt::SuppressEvents();
  DestroyWindow(oldHwnd);
  bool created = CreateUnit(window, unit, parent, controlId, &block);
  HWND hwnd = window.UnitHandle(unit);
  if (created && hwnd) {
    SetWindowPos(hwnd, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    window.slots[unit].cursor = LoadUnitCursor(window.record.units[unit].cursorBlock);
    SendMessageA(hwnd, kUnitsCreatedMessage, 0, 0);
    bool show = window.slots[unit].shown && !IsOnHiddenPage(window, unit);
    ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    SendMessageA(hwnd, kWindowLoadedMessage, 0, 0);
    if (hadFocus) SetFocus(hwnd);
  }
  rt::ResumeEvents();
  return created;
}

}  // namespace window
