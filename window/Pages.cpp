#include "window/Pages.h"
#include "window/FocusOrder.h"
#include "window/UnitType.h"

namespace window {
namespace {

constexpr int32_t kCurrentPageProperty = 4;  // own property of a paged container

bool IsPaged(const tmpl::UnitTemplate& unit) { return FindUnitType(unit.typeCode).Has(typestate::kPaged); }

}  // namespace

int PageOfUnit(const LoadedWindow& window, size_t unit, size_t* container) {
  uint32_t id = window.record.units[unit].id;
  for (size_t c = 0; c < window.UnitCount(); ++c) {
    const tmpl::UnitTemplate& candidate = window.record.units[c];
    if (c == unit || candidate.children.empty() || !IsPaged(candidate)) continue;
    int page = 0;
    for (uint32_t child : candidate.children) {
      if (child == 0) ++page;
      else if (child == id) {
        if (container) *container = c;
        return page;
      }
    }
  }
  return -1;
}

int CurrentPage(const LoadedWindow& window, size_t container) {
  rt::UnitObject* object = window.Object(container);
  rt::UnitGetProperty get = FindUnitType(window.record.units[container].typeCode).GetProperty();
  rt::PropertyData value;
  if (!object || !get || !get(object, kCurrentPageProperty, value)) return 0;
  return int(value.number);
}

bool IsOnHiddenPage(const LoadedWindow& window, size_t unit) {
  size_t container = 0;
  int page = PageOfUnit(window, unit, &container);
  return page >= 0 && page != CurrentPage(window, container);
}

void ShowCurrentPage(LoadedWindow& window, size_t container) {
  if (container >= window.UnitCount()) return;
  int current = CurrentPage(window, container);
  int page = 0;
  int focusUnit = -1;
  for (uint32_t child : window.record.units[container].children) {
    if (child == 0) {
      ++page;
      continue;
    }
    int unit = window.UnitIndex(child);
    HWND hwnd = unit > 0 ? window.UnitHandle(size_t(unit)) : nullptr;
    if (!hwnd) continue;
    const tmpl::UnitTemplate& record = window.record.units[size_t(unit)];
    bool show = page == current && (record.flags & tmpl::kFlagVisible) &&
                !FindUnitType(record.typeCode).Has(typestate::kNoVisibleWindow);
    ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    if (!show || !CanTakeFocus(window, size_t(unit))) continue;
    if (focusUnit < 0 || window.record.units[size_t(unit)].tabOrder < window.record.units[size_t(focusUnit)].tabOrder)
      focusUnit = unit;
  }
  if (focusUnit > 0) SetFocus(window.UnitHandle(size_t(focusUnit)));
}

}  // namespace window
