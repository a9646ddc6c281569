// WidgetLib3: holds the runtime notification entry for its types; it has no commands.
#include "window/WidgetLib3.h"
#include "runtime/LibraryEntry.h"

namespace widgetlib3 {
namespace {
rt::LibraryEntry runtimeEntry;
}  // namespace

int32_t Notify(int32_t code, int32_t first, int32_t) { return runtimeEntry.Take(code, first); }

rt::NotifyEntry RuntimeEntry() { return runtimeEntry.Get(); }

}  // namespace widgetlib3
