// Raising events: finds the routine bound to a unit's event in its window's template and calls
// it with the event's arguments, remembering the event's source while it runs.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "runtime/Notify.h"

namespace window {

// Raises an event with 32-bit arguments; true when a routine ran. `result` (optional) receives
// what the routine handed back.
bool RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event, std::initializer_list<uint32_t> args = {},
                rt::EventResult* result = nullptr);

// Notification codes 2008 and 2031: the record's has-result and result words carry the result.
int32_t RaiseEventRecord(rt::EventRecord* record);
int32_t RaiseTypedEventRecord(rt::TypedEventRecord* record);

// Notification code 2017: the window id and unit id of the event being handled.
bool CurrentEventSource(uint32_t* windowId, uint32_t* unitId);

// A routine's logical false (a result that is there and is 0) refuses or consumes.
inline bool AnsweredFalse(const rt::EventResult& result) { return result.hasResult && result.lo == 0; }

}  // namespace window
