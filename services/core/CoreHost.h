// CoreLib's link to the runtime that hosts it: the notification entry stored at start-up, and
// the few services the commands ask of it (allocation, conversions, program folder, objects).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/Value.h"

namespace corelib::host {

void SetEntry(int32_t (*entry)(int32_t, int32_t, int32_t));
// Calls the stored entry; 0 when none is stored.
int32_t Call(int32_t code, int32_t first = 0, int32_t second = 0);

// A text result: a new runtime block holding the bytes and a zero, or null for the empty text.
char* NewText(const char* bytes, size_t length);
inline char* NewText(const std::string& text) { return NewText(text.data(), text.size()); }
// A runtime block of `size` bytes (code 2024); null when the runtime has none to give.
void* Allocate(size_t size);

// A numeric argument as a 32-bit integer through the runtime's own conversion (code 2001).
int32_t ValueToInt(const rt::ArgTriple& value);
// The Win32 window of a window or control argument, through codes 2006 (quietly) or 2007.
void* WindowOfUnit(uint32_t windowId, uint32_t unitId, bool quiet);

}  // namespace corelib::host
