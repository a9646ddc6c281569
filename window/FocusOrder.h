// Moving the focus among a window's units in tab order.
#pragma once
#include <cstddef>
#include <vector>
#include "window/WindowStore.h"

namespace window {

// Whether a unit can take the focus now: its window exists, is visible and enabled, and its type
// neither refuses the focus nor lacks a visible window.
bool CanTakeFocus(const LoadedWindow& window, size_t unit);

// Units (never the window unit) that can take the focus now, by tab order and then position.
std::vector<size_t> FocusOrder(const LoadedWindow& window, bool tabStopsOnly);

// The unit whose window holds the focus or contains the window that does; -1 for none.
int FocusedUnit(const LoadedWindow& window);

// Moves the focus to the next or previous unit after `from` (-1: from the start or the end),
// wrapping around. False when no unit can take it.
bool MoveFocusFrom(LoadedWindow& window, int from, bool forward, bool tabStopsOnly);
inline bool MoveFocus(LoadedWindow& window, bool forward, bool tabStopsOnly) {
  return MoveFocusFrom(window, FocusedUnit(window), forward, tabStopsOnly);
}

}  // namespace window
