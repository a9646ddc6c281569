// The common events of every unit (-1 to -12) from the mouse, key, character and wheel messages
// addressed to it; focus events come from the unit's window itself (UnitHook).
#pragma once
#include <windows.h>
#include <cstdint>
#include "window/WindowStore.h"

namespace window {

// Raises the common event the message stands for, if it is addressed to a unit of the window.
// True when the routine's result consumes the message; a character routine may also replace
// the character in the message.
bool RaiseCommonEvent(LoadedWindow& window, MSG* message);

// The key code the program sees: keypad digits as 0x30 ... 0x39, keypad minus, point and slash
// as 189, 190 and 191, every other virtual key as it is.
uint32_t ProgramKeyCode(WPARAM virtualKey);

}  // namespace window
