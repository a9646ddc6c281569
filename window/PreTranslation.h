// The window's handling of its thread's messages before they are translated and dispatched:
// disabled-window keyboard drop, message filters, dragging, keyboard navigation, common events.
#pragma once
#include <windows.h>
#include "window/WindowStore.h"

namespace window {

class WindowUnit;

// True when the message is consumed (neither translated nor dispatched).
bool PreTranslateWindowMessage(WindowUnit& unit, LoadedWindow& window, MSG* message);

}  // namespace window
