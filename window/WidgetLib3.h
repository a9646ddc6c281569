// WidgetLib3, the library of the page control: its notification function and the runtime
// notification entry it keeps.
#pragma once
#include <cstdint>
#include "runtime/Notify.h"

namespace widgetlib3 {

// Code 1 hands the library the runtime notification entry (first argument) and answers 0.
int32_t Notify(int32_t code, int32_t first, int32_t second);

// The entry received with code 1, or null before that.
rt::NotifyEntry RuntimeEntry();

}  // namespace widgetlib3
