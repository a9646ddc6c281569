// The runtime notification entry as a support library keeps it: the runtime hands it over with
// code 1 when it starts, and the library reaches the runtime through it from then on.
#pragma once
#include <cstdint>
#include "runtime/Notify.h"

namespace rt {

class LibraryEntry {
 public:
  // The library notification function's answer: code 1 stores the entry (the first argument)
  // and answers 0; every other code answers -1.
  int32_t Take(int32_t code, int32_t first) {
    if (code != kLibraryStart) return -1;
    entry_ = reinterpret_cast<NotifyEntry>(static_cast<uintptr_t>(static_cast<uint32_t>(first)));
    return 0;
  }
  NotifyEntry Get() const { return entry_; }

 private:
  static constexpr int32_t kLibraryStart = 1;
  NotifyEntry entry_ = nullptr;  // null until the runtime has started
};

}  // namespace rt
