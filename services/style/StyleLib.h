// StyleLib: a flat, gradient-filled look for the standard controls of one thread, in one of three
// colour schemes, drawn by the library itself (no system theme is involved).
#pragma once
#include <windows.h>
#include <cstdint>

#include "runtime/Value.h"

namespace stylelib {

// Control kinds as ClassifyControl reports them.
enum Kind : int32_t {
  kKindNone = -1,
  kKindPushButton = 0,
  kKindCheckBox = 1,
  kKindRadioButton = 2,
  kKindEdit = 3,
  kKindComboBox = 4,
  kKindUpDown = 5,
  kKindScrollBar = 6,
  kKindMonthCalendar = 7,
  kKindTabControl = 8,
  kKindProgressBar = 9,
  kKindTrackBar = 10,
  kKindGroupBox = 11,
  kKindComboList = 12,
};

// Library notification: code 1 hands us the runtime notification entry (kept, never called).
int32_t Notify(int32_t code, int32_t first, int32_t second);

// The library's one command: scheme 1..3 switches the look on (result 1), anything else
// switches it off (result nonzero when the look was on).
void SetVisualStyle(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args);

// The kind of a window from its class name and style; kKindNone when we do not handle it.
int32_t ClassifyControl(HWND window);

// Whether the window is currently drawn by us (in the registry and not given back).
bool IsTakenOver(HWND window);
// How many controls are currently drawn by us.
int32_t TakenOverCount();

}  // namespace stylelib
