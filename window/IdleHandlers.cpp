#include "window/IdleHandlers.h"
#include <windows.h>
#include <algorithm>
#include <vector>
#include "runtime/Runtime.h"
#include "window/WindowStore.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

struct IdleRound {
  std::vector<HWND> excluded;  // windows that wanted no more idle time in this round
  uint32_t passes = 0;         // idle passes of the loop since the handlers last ran
  bool watching = false;       // passes are being counted
};
IdleRound round;

void CountPass(uintptr_t) { ++round.passes; }

// The loop calls the idle routines of the runtime's registry once in every idle pass, and the
// idle operation reaches the handlers from the third pass after a real message on (counts 0
// and 1 do not). So exactly one pass lies between two calls within a round, and more than one
// means the counter went back to 0 in between: a new round, with an empty exclusion list.
// Without counting, every call is taken as a new round.
bool NewRound() { return !round.watching || round.passes != 1; }

bool Excluded(HWND hwnd) { return std::find(round.excluded.begin(), round.excluded.end(), hwnd) != round.excluded.end(); }

}  // namespace

void WatchIdlePasses() {
  HWND owner = static_cast<HWND>(rt::HiddenOwner());
  if (round.watching || !owner) return;
  // The hidden owner lives as long as the runtime, so the routine stays registered.
  rt::IdleRecord record = {owner, CountPass, 0};
  rt::RuntimeNotify(rt::kNotifyRegisterIdle, int32_t(reinterpret_cast<uintptr_t>(&record)), 0);
  round.watching = true;
}

bool RunIdleHandlers(uint32_t millisecondsSinceIdle) {
  if (NewRound()) round.excluded.clear();
  round.passes = 0;
  WindowStore& store = WindowStore::Instance();
  bool more = false;
  // A handler may open or close windows: the store is read afresh for every window.
  for (size_t i = 0; i < store.Count(); ++i) {
    LoadedWindow* window = store.At(i);
    HWND hwnd = window ? window->Handle() : nullptr;
    WindowUnit* unit = hwnd ? AsWindowUnit(window->Object(0)) : nullptr;
    if (!unit || Excluded(hwnd)) continue;
    if (unit->OnIdle(millisecondsSinceIdle)) more = true;
    else round.excluded.push_back(hwnd);
  }
  return more;
}

}  // namespace window
