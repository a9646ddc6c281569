#include "window/IdleHandlers.h"
#include <windows.h>
#include <algorithm>
#include <vector>
#include "window/WindowStore.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

// Windows that wanted no more idle time in this round of idle processing.
std::vector<HWND> excluded;

// The idle operation reaches the handlers from the third idle pass after a real message on.
constexpr long kFirstPassOfRound = 2;

bool Excluded(HWND hwnd) { return std::find(excluded.begin(), excluded.end(), hwnd) != excluded.end(); }

}  // namespace

bool RunIdleHandlers(long idleCount, uint32_t millisecondsSinceIdle) {
  if (idleCount <= kFirstPassOfRound) excluded.clear();
  WindowStore& store = WindowStore::Instance();
  bool more = false;
  // A handler may open or close windows: the store is read afresh for every window.
  for (size_t i = 0; i < store.Count(); ++i) {
    LoadedWindow* window = store.At(i);
    HWND hwnd = window ? window->Handle() : nullptr;
    WindowUnit* unit = hwnd ? AsWindowUnit(window->Object(0)) : nullptr;
    if (!unit || Excluded(hwnd)) continue;
    if (unit->OnIdle(millisecondsSinceIdle)) more = true;
    else excluded.push_back(hwnd);
  }
  return more;
}

}  // namespace window
