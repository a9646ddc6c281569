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

}  // namespace window
