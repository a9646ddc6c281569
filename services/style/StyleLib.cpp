// The library's entry points: its notification function and its one command.
#include "services/style/StyleLib.h"
#include "runtime/LibraryEntry.h"

#include "runtime/Notify.h"
#include "services/style/Registry.h"
#include "services/style/Scheme.h"
#include "services/style/TakeOver.h"

namespace stylelib {
namespace {


// Kept for completeness of the library contract; the look needs nothing from the runtime.
rt::LibraryEntry g_runtimeEntry;  // the runtime notification entry, handed over at start

bool IsScheme(int32_t scheme) { return scheme >= 1 && scheme <= 3; }

}  // namespace

int32_t Notify(int32_t code, int32_t first, int32_t) { return g_runtimeEntry.Take(code, first); }

void SetVisualStyle(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const int32_t scheme = (argCount >= 1 && args && args[0].Given()) ? args[0].Int() : 0;
  StoreScheme(scheme);
  int32_t answer = 0;
  if (IsScheme(scheme)) {
    // Off first, so every control is taken over again in the new colours.
    SwitchOff();
    SwitchOn();
    answer = 1;
  } else {
    answer = SwitchOff();
  }
  if (result) rt::SetInt(result, answer);
}

bool IsTakenOver(HWND window) {
  const ControlRecord* record = registry::Find(window);
  return record && !record->dormant;
}

int32_t TakenOverCount() { return registry::ActiveCount(); }

}  // namespace stylelib
