// Messages the window engine sends to the windows of units.
#pragma once
#include <windows.h>

namespace window {

constexpr UINT kLayOutBarMessage = 0x8003;      // to a docked bar: lay yourself out
constexpr UINT kLayOutBarsMessage = 0x8004;     // to the window: lay out the docked bars
constexpr UINT kUnitsCreatedMessage = 0x806F;   // to every unit, last first, once all exist
constexpr UINT kWindowLoadedMessage = 0x8076;   // to every unit, last first, at the end of loading
// From a paged container to its parent window (first parameter: its own window handle) after
// its current page changed.
constexpr UINT kShowPageMessage = 0x83F2;
// A parent's WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* and scroll messages about a child unit are sent
// on to that child as kReflectBase + message, with the same parameters.
constexpr UINT kReflectBase = 0x2000;

}  // namespace window
