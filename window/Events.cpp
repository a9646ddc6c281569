#include "window/Events.h"
#include "runtime/Runtime.h"
#include "window/UnitType.h"
#include "window/WindowStore.h"

namespace window {
namespace {

struct EventSource {
  bool active = false;     // an event routine is running
  uint32_t windowId = 0;
  uint32_t unitId = 0;
};
EventSource currentSource;

constexpr size_t kMaxArgumentWords = 24;  // twelve typed arguments of two words each

// The routine bound to the event, after the checks that make a bad record a run-time error.
rt::EventRoutine FindRoutine(uint32_t windowId, uint32_t unitId, int32_t event) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (!window) rt::RuntimeError("未找到引发事件的窗口");
  int unit = window->UnitIndex(unitId);
  if (unit < 0) rt::RuntimeError("未找到引发事件的窗口组件");
  const tmpl::UnitTemplate& record = window->record.units[size_t(unit)];
  // A shared-event link only ever leads to a unit of the same type, so this type decides.
  if (!FindUnitType(record.typeCode).Has(typestate::kWindowUnit | typestate::kRaisesEvents))
    rt::RuntimeError("引发事件的窗口组件无效");
  uint32_t routine = tmpl::ResolveRoutine(window->record, size_t(unit), event);
  return reinterpret_cast<rt::EventRoutine>(uintptr_t(routine));
}

// Calls the routine with the source recorded; the previous source comes back afterwards, so
// that an event raised from inside another routine does not lose the outer one.
void CallRoutine(rt::EventRoutine routine, uint32_t windowId, uint32_t unitId, const uint32_t* words, int32_t count,
                 rt::EventResult* result) {
  EventSource outer = currentSource;
  currentSource = {true, windowId, unitId};
  routine(words, count, result);
  currentSource = outer;
}

bool Raise(uint32_t windowId, uint32_t unitId, int32_t event, const uint32_t* words, int32_t count,
           rt::EventResult* result) {
  if (rt::EventsSuppressed()) return false;
  rt::EventRoutine routine = FindRoutine(windowId, unitId, event);
  if (!routine) return false;
  rt::EventResult local;
  CallRoutine(routine, windowId, unitId, words, count, &local);
  if (result) *result = local;
  return true;
}

// Typed arguments travel as one or two words by their type and flags.
int32_t PackTypedArgument(const rt::TypedEventArg& arg, uint32_t* out) {
  if (arg.flags & 1) {
    out[0] = arg.lo;
    return 1;
  }
  bool wide = (arg.flags & 2) || arg.type == 0x10003 || arg.type == rt::kTypeLong || arg.type == rt::kTypeDouble ||
              arg.type == rt::kTypeDateTime;
  if (wide) {
    out[0] = arg.lo;
    out[1] = arg.hi;
    return 2;
  }
  if (arg.type == rt::kTypeByte) out[0] = arg.lo & 0xff;
  else if (arg.type == rt::kTypeShort) out[0] = uint32_t(int32_t(int16_t(arg.lo & 0xffff)));
  else out[0] = arg.lo;
  return 1;
}

}  // namespace

bool RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event, std::initializer_list<uint32_t> args,
                rt::EventResult* result) {
  return Raise(windowId, unitId, event, args.begin(), int32_t(args.size()), result);
}

int32_t RaiseEventRecord(rt::EventRecord* record) {
  int32_t count = record->argCount < 0 ? 0 : (record->argCount > 5 ? 5 : record->argCount);
  rt::EventResult result;
  if (!Raise(record->windowId, record->unitId, record->event, record->args, count, &result)) return 0;
  if (result.hasResult) {
    record->hasResult = 1;
    record->result = result.lo;
  }
  return 1;
}

int32_t RaiseTypedEventRecord(rt::TypedEventRecord* record) {
  int32_t count = record->argCount < 0 ? 0 : (record->argCount > 12 ? 12 : record->argCount);
  uint32_t words[kMaxArgumentWords];
  int32_t wordCount = 0;
  for (int32_t i = 0; i < count; ++i) wordCount += PackTypedArgument(record->args[i], words + wordCount);
  rt::EventResult result;
  if (!Raise(record->windowId, record->unitId, record->event, words, wordCount, &result)) return 0;
  if (result.hasResult) {
    record->hasResult = 1;
    record->resultLo = result.lo;
    record->resultHi = result.hi;
  }
  return 1;
}

bool CurrentEventSource(uint32_t* windowId, uint32_t* unitId) {
  if (!currentSource.active) return false;
  *windowId = currentSource.windowId;
  *unitId = currentSource.unitId;
  return true;
}

}  // namespace window
