// The window's own keys: Tab, Enter, Esc, the arrows, F1 and Alt mnemonics.
#pragma once
#include <windows.h>
#include <string>
#include "window/WindowStore.h"
#include "window/template/PropertyBlocks.h"

namespace window {

// True when the key was the window's and the message is consumed.
bool HandleWindowKey(LoadedWindow& window, const tmpl::WindowBlock& settings, MSG* message);

// The mnemonic of a caption ("&X" marks X; "&&" is a plain "&"), upper-cased; 0 for none.
// Double-byte characters are stepped over whole.
char CaptionMnemonic(const std::string& caption);

}  // namespace window
