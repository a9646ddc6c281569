// The windows' part of the idle operation: each loaded window's idle handler (window event 7),
// with the exclusion list of windows that wanted no more idle time. A window in the list is
// not asked again until a real message restarts idle processing.
#pragma once
#include <cstdint>

namespace window {

// Asks every loaded window outside the exclusion list, in store order; true when any of them
// wants more idle time. Those that do not go into the list. The first call of a round of idle
// processing (idleCount 2) starts with an empty list.
bool RunIdleHandlers(long idleCount, uint32_t millisecondsSinceIdle);

}  // namespace window
