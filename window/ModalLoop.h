// The nested loops of modal windows: a window loaded modally keeps its loader waiting in the
// runtime's nested loop until it closes.
#pragma once
#include <windows.h>

namespace window {

// Runs the nested loop for the modal window `hwnd`; returns once it has closed, or when the
// quit message arrives first.
void RunModalLoop(HWND hwnd);

// The modal window `hwnd` has closed: its loop ends. When a modal window opened after it is
// still waiting, that one's loop ends first and this one's right after it.
void EndModalLoop(HWND hwnd);

// A modal window that closes hands the former state of a window it disabled to the next modal
// window opened after it that holds the same window disabled, which gives it back in its turn.
// False when no later modal window holds it: the closing window gives it back itself.
bool PassOnDisabledWindow(HWND closing, HWND disabled, bool wasEnabled);

}  // namespace window
