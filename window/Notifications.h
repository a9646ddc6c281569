// The window-related codes of the runtime notification entry.
#pragma once
#include <cstdint>

namespace window {

// Serves `code` when it is the window engine's; *handled tells the runtime whether it was.
int32_t ServeNotification(int32_t code, int32_t first, int32_t second, bool* handled);

}  // namespace window
