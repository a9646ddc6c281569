#include "window/MenuItem.h"
#include <utility>
#include <vector>
#include "runtime/Runtime.h"
#include "window/Events.h"
#include "window/PropertyKinds.h"
#include "window/WindowStore.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

constexpr WORD kFirstMenuCommand = 0x8000;  // above every control id the loader hands out

enum MenuItemProperty : int32_t { kCaption = 0, kChecked = 1, kDisabledItem = 2, kVisibleItem = 3 };

uint32_t& Flags(tmpl::UnitTemplate& record) { return record.menuWords[0]; }
uint32_t Flags(const tmpl::UnitTemplate& record) { return record.menuWords[0]; }
uint32_t Shortcut(const tmpl::UnitTemplate& record) { return record.menuWords[1]; }
uint32_t Level(const tmpl::UnitTemplate& record) { return record.menuWords[2]; }

void SetBit(uint32_t& flags, uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

struct MenuEntry {
  size_t unit;     // position in the window's unit list
  uint32_t level;  // never more than one below the entry before it
};

// The visible menu items in unit-list order; a hidden item takes the items below it (those of
// a deeper level that follow it) with it.
std::vector<MenuEntry> VisibleEntries(const LoadedWindow& window) {
  constexpr uint32_t kNone = UINT32_MAX;
  std::vector<MenuEntry> entries;
  uint32_t hiddenLevel = kNone;  // stored level of the hidden item whose sub-items are skipped
  for (size_t unit = 1; unit < window.UnitCount(); ++unit) {
    const tmpl::UnitTemplate& record = window.record.units[unit];
    if (!tmpl::IsMenuItemId(record.id)) continue;
    if (hiddenLevel != kNone && Level(record) > hiddenLevel) continue;
    hiddenLevel = kNone;
    if (Flags(record) & menuitem::kHidden) {
      hiddenLevel = Level(record);
      continue;
    }
    // An item is at most one level below the one before it.
    uint32_t deepest = entries.empty() ? 0 : entries.back().level + 1;
    entries.push_back({unit, Level(record) < deepest ? Level(record) : deepest});
  }
  return entries;
}

UINT StateFlags(const tmpl::UnitTemplate& record) {
  UINT flags = 0;
  if (Flags(record) & menuitem::kDisabled) flags |= MF_GRAYED;
  if (Flags(record) & menuitem::kChecked) flags |= MF_CHECKED;
  return flags;
}

bool AddAccelerator(const tmpl::UnitTemplate& record, WORD command, std::vector<ACCEL>& table) {
  uint32_t shortcut = Shortcut(record);
  WORD key = WORD(shortcut & 0xFFFF);
  if (!key) return false;
  BYTE virtualFlags = FVIRTKEY;
  if (shortcut & menuitem::kCtrl) virtualFlags |= FCONTROL;
  if (shortcut & menuitem::kShift) virtualFlags |= FSHIFT;
  if (shortcut & menuitem::kAlt) virtualFlags |= FALT;
  table.push_back({virtualFlags, key, command});
  return true;
}

// Appends entries[at] and, for a pop-up, everything below it; returns the next entry's position.
size_t AppendEntry(const LoadedWindow& window, const std::vector<MenuEntry>& entries, size_t at, HMENU into,
                   std::vector<ACCEL>& accelerators) {
  const MenuEntry& entry = entries[at];
  const tmpl::UnitTemplate& record = window.record.units[entry.unit];
  bool popup = at + 1 < entries.size() && entries[at + 1].level > entry.level;
  if (!popup) {
    if (record.menuText == "-") {
      AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
      return at + 1;
    }
    WORD command = MenuCommandOfUnit(entry.unit);
    AppendMenuA(into, MF_STRING | StateFlags(record), command, record.menuText.c_str());
    AddAccelerator(record, command, accelerators);
    return at + 1;
  }
  HMENU submenu = CreatePopupMenu();
  size_t next = at + 1;
  while (next < entries.size() && entries[next].level > entry.level)
    next = AppendEntry(window, entries, next, submenu, accelerators);
  AppendMenuA(into, MF_POPUP | StateFlags(record), reinterpret_cast<UINT_PTR>(submenu), record.menuText.c_str());
  return next;
}

}  // namespace

uint64_t ReadMenuItemProperty(const tmpl::UnitTemplate& record, int32_t index) {
  switch (index) {
    case kCaption: return reinterpret_cast<uintptr_t>(rt::NewText(record.menuText.c_str()));
    case kChecked: return (Flags(record) & menuitem::kChecked) ? 1 : 0;
    case kDisabledItem: return (Flags(record) & menuitem::kDisabled) ? 1 : 0;
    case kVisibleItem: return (Flags(record) & menuitem::kHidden) ? 0 : 1;
    default: return 0;
  }
}

bool WriteMenuItemProperty(tmpl::UnitTemplate& record, int32_t index, uint32_t lo) {
  uint32_t before = Flags(record);
  switch (index) {
    case kCaption: {
      std::string caption = TextOfValue(lo);
      if (caption == record.menuText) return false;
      record.menuText = std::move(caption);
      return true;
    }
    case kChecked: SetBit(Flags(record), menuitem::kChecked, lo != 0); break;
    case kDisabledItem: SetBit(Flags(record), menuitem::kDisabled, lo != 0); break;
    case kVisibleItem: SetBit(Flags(record), menuitem::kHidden, lo == 0); break;
    default: return false;
  }
  return Flags(record) != before;
}

WindowMenu::WindowMenu(WindowMenu&& other) noexcept
    : menu_(std::exchange(other.menu_, nullptr)), ownsMenu_(other.ownsMenu_),
      accelerators_(std::exchange(other.accelerators_, nullptr)) {}

WindowMenu& WindowMenu::operator=(WindowMenu&& other) noexcept {
  if (this == &other) return *this;
  Destroy();
  menu_ = std::exchange(other.menu_, nullptr);
  ownsMenu_ = other.ownsMenu_;
  accelerators_ = std::exchange(other.accelerators_, nullptr);
  return *this;
}

WindowMenu::~WindowMenu() { Destroy(); }

void WindowMenu::Destroy() {
  if (menu_ && ownsMenu_) DestroyMenu(menu_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  menu_ = nullptr;
  accelerators_ = nullptr;
}

WindowMenu WindowMenu::Build(const LoadedWindow& window) {
  WindowMenu built;
  std::vector<MenuEntry> entries = VisibleEntries(window);
  if (entries.empty()) return built;
  built.menu_ = CreateMenu();
  std::vector<ACCEL> accelerators;
  for (size_t at = 0; at < entries.size();) at = AppendEntry(window, entries, at, built.menu_, accelerators);
  if (!accelerators.empty()) built.accelerators_ = CreateAcceleratorTableA(accelerators.data(), int(accelerators.size()));
  return built;
}

bool WindowMenu::TranslateKeys(HWND hwnd, MSG* message) const {
  return accelerators_ && TranslateAcceleratorA(hwnd, accelerators_, message) != 0;
}

WORD MenuCommandOfUnit(size_t unit) { return WORD(kFirstMenuCommand + unit); }

int UnitOfMenuCommand(WORD command) { return command >= kFirstMenuCommand ? int(command - kFirstMenuCommand) : -1; }

bool RaiseMenuCommand(LoadedWindow& window, WORD command) {
  int unit = UnitOfMenuCommand(command);
  if (unit <= 0 || size_t(unit) >= window.UnitCount() || !tmpl::IsMenuItemId(window.UnitId(size_t(unit)))) return false;
  RaiseEvent(window.Id(), window.UnitId(size_t(unit)), menuitem::kSelectedEvent);
  return true;
}

void RebuildWindowMenu(LoadedWindow& window) {
  WindowUnit* unit = AsWindowUnit(window.Object(0));
  HWND hwnd = window.Handle();
  if (!unit || !hwnd) return;
  WindowMenu fresh = WindowMenu::Build(window);
  HMENU old = GetMenu(hwnd);
  SetMenu(hwnd, fresh.Menu());
  fresh.HandMenuToWindow();
  if (old) DestroyMenu(old);
  unit->InstallMenu(std::move(fresh));
  DrawMenuBar(hwnd);
}

}  // namespace window
