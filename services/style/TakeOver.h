// Taking controls over (subclassing them) and giving them back, and the thread hook that takes
// over controls created while the look is on.
#pragma once
#include <windows.h>
#include <cstdint>

#include "services/style/Registry.h"

namespace stylelib {

// Takes over one window when its kind is drawn by us and it is not ours already.
void TakeOver(HWND window);
// Gives a window back: restores its window procedure and forgets it. A window that is being
// destroyed is not redrawn.
void GiveBack(ControlRecord* record, bool redraw);

// Takes over every eligible window of the calling thread and hooks window creation.
void SwitchOn();
// Gives every control back and removes the hook; the hook removal's result, 0 when not on.
int32_t SwitchOff();

// Marks the buddy of an up-down (and the up-down itself) when the buddy is an edit of ours.
void MarkUpDownBuddy(ControlRecord& upDown, HWND buddy);

// Redraws the whole window, frame included, at once.
void RedrawNow(HWND window);

// The procedure every taken-over control runs through (SubclassProc.cpp).
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stylelib
