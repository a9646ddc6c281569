// WidgetLib1: holds the runtime notification entry for its types; it has no commands.
#include "window/WidgetLib1.h"

namespace widgetlib1 {

namespace {
constexpr int32_t kNotifyStart = 1;
rt::NotifyEntry runtimeEntry = nullptr;
}  // namespace

int32_t Notify(int32_t code, int32_t first, int32_t second) {
  (void)second;
  if (code != kNotifyStart) return -1;
  runtimeEntry = reinterpret_cast<rt::NotifyEntry>(static_cast<uintptr_t>(static_cast<uint32_t>(first)));
  return 0;
}

rt::NotifyEntry RuntimeEntry() { return runtimeEntry; }

}  // namespace widgetlib1
