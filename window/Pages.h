// Units on the pages of a paged container (a type with state 0x100): its child list holds the
// units of each page, pages separated by 0 entries.
#pragma once
#include <cstddef>
#include <cstdint>
#include "window/WindowStore.h"

namespace window {

// The page (0 first) on which unit `unit` sits, and its container; -1 when it is on no page.
int PageOfUnit(const LoadedWindow& window, size_t unit, size_t* container);

// The container's current page as its type reports it (0 when it cannot tell).
int CurrentPage(const LoadedWindow& window, size_t container);

// True when the unit sits on a page of a container that is not the current page.
bool IsOnHiddenPage(const LoadedWindow& window, size_t unit);

// Shows the units of the container's current page (each only if its own visible flag is set),
// hides those of the other pages, and gives the focus to the enabled, focusable unit of the
// current page with the lowest tab order.
void ShowCurrentPage(LoadedWindow& window, size_t container);

}  // namespace window
