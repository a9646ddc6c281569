// Loading a window: its units created from the template, parented, stacked and shown, then the
// window's first events.
#pragma once
#include <windows.h>
#include <cstddef>
#include "window/WindowStore.h"

namespace window {

// Creates and shows the window (or brings an existing one forward). False when a unit has no
// type or cannot be created; the partial window is then discarded. A window loaded modally
// disables the program's other windows and returns only once it has closed.
bool LoadWindow(LoadedWindow& window, bool modal, HWND parent);

// Creates unit `unit` anew from its current property data, in the same place, with events
// suppressed meanwhile (a property write the live control cannot take).
bool RecreateUnit(LoadedWindow& window, size_t unit);

}  // namespace window
