// The runtime notification entry: the one function through which libraries reach the runtime.
#pragma once
#include <cstdint>

namespace rt {

using NotifyEntry = int32_t (*)(int32_t code, int32_t first, int32_t second);

// Codes of the runtime notification entry.
enum NotifyCode : int32_t {
  kNotifyProgramIcons = 1000,
  kNotifyWindowStore = 1001,
  kNotifyTypeLookup = 1002,
  kNotifyPresence = 1004,
  kNotifyInterfaceLevel = 1005,
  kNotifyPathToBuffer = 1006,
  kNotifyWrapHandle = 1007,
  kNotifyDeleteWrapper = 1008,
  kNotifyUnwrap = 1009,
  kNotifyWrapperHandle = 1010,
  kNotifyAttach = 1011,
  kNotifyRegisterIdle = 1012,
  kNotifyUnregisterIdle = 1013,
  kNotifyIsProgramWindow = 1014,
  kNotifyControlDestroyed = 2000,
  kNotifyValueToInt = 2001,
  kNotifyNothing = 2002,
  kNotifyProgramFolder = 2003,
  kNotifyProgramFileName = 2004,
  kNotifyOpenWindow = 2005,
  kNotifyLocateQuietly = 2006,
  kNotifyLocate = 2007,
  kNotifyRaiseEvent = 2008,
  kNotifySuppressEvents = 2009,
  kNotifyResumeEvents = 2010,
  kNotifyObjectKind = 2011,
  kNotifyRegisterObject = 2012,
  kNotifyUnregisterObject = 2013,
  kNotifyCloseObjects = 2014,
  kNotifyStopSound = 2016,
  kNotifyEventSource = 2017,
  kNotifyProcessMessages = 2018,
  kNotifyAddIconRecord = 2019,
  kNotifyFreeIconRecord = 2020,
  kNotifyIconRecordTest = 2021,
  kNotifyUnitType = 2022,
  kNotifyFreeArray = 2023,
  kNotifyAllocate = 2024,
  kNotifyFree = 2025,
  kNotifyReallocate = 2026,
  kNotifyRuntimeError = 2027,
  kNotifyEndProgram = 2028,
  kNotifyTypeClassification = 2029,
  kNotifyProgramKind = 2030,
  kNotifyRaiseTypedEvent = 2031,
  kNotifyLoadedWindowCount = 2032,
  kNotifyWindowHandleAt = 2033,
  kNotifyTypeDefault = 2036,
  kNotifyShowCurrentPage = 2039,
};

constexpr int32_t kInterfaceLevel = 0x30005;

// Event record of code 2008: up to five 32-bit arguments (44 bytes).
struct EventRecord {
  uint32_t windowId;
  uint32_t unitId;      // 0 for the window itself
  int32_t event;
  int32_t argCount;
  uint32_t args[5];
  int32_t hasResult;    // set to 1 by the runtime when the routine returned a value
  uint32_t result;
};
static_assert(sizeof(EventRecord) == 44, "event record is 44 bytes");

// One typed argument of code 2031.
struct TypedEventArg {
  uint32_t lo, hi;
  uint32_t type;
  uint32_t flags;  // bit 0: pass the low word alone (a reference); bit 1: pass both words
};

// Event record of code 2031: up to twelve typed arguments (220 bytes).
struct TypedEventRecord {
  uint32_t windowId;
  uint32_t unitId;
  int32_t event;
  int32_t argCount;
  TypedEventArg args[12];
  int32_t hasResult;
  uint32_t resultLo, resultHi;
};
static_assert(sizeof(TypedEventRecord) == 220, "typed event record is 220 bytes");

// Idle routine record of code 1012.
struct IdleRecord {
  void* window;                       // HWND
  void (*routine)(uintptr_t parameter);
  uintptr_t parameter;
};

// What an event routine of the compiled program hands back.
struct EventResult {
  int32_t hasResult = 0;
  uint32_t lo = 0;
  uint32_t hi = 0;
};

// Every event routine of the compiled program has this shape: the event's arguments as
// 32-bit words (64-bit arguments take two), and an optional result.
using EventRoutine = void (*)(const uint32_t* args, int32_t wordCount, EventResult* result);

}  // namespace rt
