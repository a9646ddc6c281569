// What every unit's live window gets from the window engine, whatever its type: its own mouse
// cursor, the focus events, notifications reflected to the child unit they concern, page
// switches of paged containers, and the store forgetting the unit when its window goes.
#pragma once
#include <windows.h>
#include "window/EngineMessages.h"

namespace window {

void HookUnitWindow(HWND hwnd);

}  // namespace window
