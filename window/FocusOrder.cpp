#include "window/FocusOrder.h"
#include <algorithm>
#include "window/UnitType.h"

namespace window {
namespace {

bool StopsInTabOrder(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP) != 0; }

}  // namespace

bool CanTakeFocus(const LoadedWindow& window, size_t unit) {
  HWND hwnd = window.UnitHandle(unit);
  if (!hwnd || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return false;
  return !FindUnitType(window.record.units[unit].typeCode).Has(typestate::kNoFocus | typestate::kNoVisibleWindow);
}

std::vector<size_t> FocusOrder(const LoadedWindow& window, bool tabStopsOnly) {
  std::vector<size_t> order;
  for (size_t unit = 1; unit < window.UnitCount(); ++unit)
    if (CanTakeFocus(window, unit) && (!tabStopsOnly || StopsInTabOrder(window.UnitHandle(unit)))) order.push_back(unit);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return window.record.units[a].tabOrder < window.record.units[b].tabOrder;
  });
  return order;
}

int FocusedUnit(const LoadedWindow& window) {
  HWND top = window.Handle();
  for (HWND hwnd = GetFocus(); hwnd && hwnd != top; hwnd = GetParent(hwnd)) {
    int unit = window.UnitIndexOfHandle(hwnd);
    if (unit > 0) return unit;
  }
  return -1;
}

bool MoveFocusFrom(LoadedWindow& window, int from, bool forward, bool tabStopsOnly) {
  std::vector<size_t> order = FocusOrder(window, tabStopsOnly);
  if (order.empty()) return false;
  size_t count = order.size();
  size_t next = forward ? 0 : count - 1;
  if (from > 0) {
    // The unit need not be in the order itself (a label, a unit without a tab stop): the next
    // one is the first after its tab order.
    const tmpl::UnitTemplate& current = window.record.units[size_t(from)];
    auto at = std::find(order.begin(), order.end(), size_t(from));
    if (at != order.end()) {
      size_t position = size_t(at - order.begin());
      next = forward ? (position + 1) % count : (position + count - 1) % count;
    } else {
      auto after = std::find_if(order.begin(), order.end(),
                                [&](size_t u) { return window.record.units[u].tabOrder > current.tabOrder; });
      size_t position = size_t(after - order.begin());
      next = forward ? position % count : (position + count - 1) % count;
    }
  }
  SetFocus(window.UnitHandle(order[next]));
  return true;
}

}  // namespace window
