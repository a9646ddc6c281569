// ShellLib's link to the runtime: the notification entry stored at start-up.
#pragma once
#include <cstdint>
#include <string>

namespace shelllib::host {

// Calls the stored entry; 0 when none is stored.
int32_t Call(int32_t code, int32_t first = 0, int32_t second = 0);
// A text result from the runtime's allocator, or null for the empty text.
char* NewText(const std::string& text);

}  // namespace shelllib::host
