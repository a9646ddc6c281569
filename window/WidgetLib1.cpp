// WidgetLib1: holds the runtime notification entry for its types; it has no commands.
#include "window/WidgetLib1.h"
#include "runtime/LibraryEntry.h"

namespace widgetlib1 {
namespace {
rt::LibraryEntry runtimeEntry;
}  // namespace

int32_t Notify(int32_t code, int32_t first, int32_t) { return runtimeEntry.Take(code, first); }

rt::NotifyEntry RuntimeEntry() { return runtimeEntry.Get(); }

}  // namespace widgetlib1
