#include "services/zip/ZipLib.h"
#include "runtime/LibraryEntry.h"

#include <string>

#include "runtime/Notify.h"
#include "runtime/UnitObject.h"
#include "services/zip/ZipUnit.h"
#include "services/zip/ZipUnpacker.h"

namespace ziplib {
namespace {

rt::LibraryEntry g_runtimeEntry;  // the runtime notification entry, handed over at start

// Unit-interface routines of the ZIP type: it has no properties.
int32_t SetUnitProperty(rt::UnitObject*, int32_t, const rt::PropertyData&) { return 0; }  // never re-created
bool WriteUnitBlock(rt::UnitObject*, std::string& block) {
  block.clear();
  return false;  // no property data
}
bool GetUnitProperty(rt::UnitObject*, int32_t, rt::PropertyData&) { return false; }

struct UnitRoutine {
  int32_t query;   // unit-interface query number
  void* routine;   // the routine that serves it
};

const UnitRoutine kUnitRoutines[] = {
    {rt::kUnitCreate, reinterpret_cast<void*>(static_cast<rt::UnitCreate>(&ZipUnit::Create))},
    {rt::kUnitSetProperty, reinterpret_cast<void*>(static_cast<rt::UnitSetProperty>(&SetUnitProperty))},
    {rt::kUnitWriteBlock, reinterpret_cast<void*>(static_cast<rt::UnitWriteBlock>(&WriteUnitBlock))},
    {rt::kUnitGetProperty, reinterpret_cast<void*>(static_cast<rt::UnitGetProperty>(&GetUnitProperty))},
};

bool IsEmptyText(const char* text) { return !text || !*text; }

// Turns each progress report into UnpackProgress with the truncated percentage current * 100 /
// total; a delivered false result stops the walk after this entry.
void RaiseUnpackProgress(int32_t current, int32_t total, const char*, ZipUnpacker* worker) {
  ZipUnit* unit = worker->Unit();
  if (!unit) return;
  const int32_t percent = total > 0 ? static_cast<int32_t>(static_cast<int64_t>(current) * 100 / total) : 0;
  // The event routine may destroy the unit's window, and with it the unit: check the window
  // remembered at the start before touching the unit.
  const HWND window = worker->UnitWindow();
  if (!IsWindow(window)) return;
  rt::EventRecord record = {};
  record.windowId = unit->windowId;
  record.unitId = unit->unitId;
  record.event = kUnpackProgressEvent;
  record.argCount = 1;
  record.args[0] = static_cast<uint32_t>(percent);
  const int32_t delivered =
      CallRuntime(rt::kNotifyRaiseEvent, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&record)), 0);
  if (delivered && record.hasResult == 1 && record.result == 0 && IsWindow(window)) worker->RequestStop();
}

int32_t RunUnpack(const rt::ArgTriple* args) {
  rt::UnitObject* object = reinterpret_cast<rt::UnitObject*>(static_cast<uintptr_t>(static_cast<uint32_t>(
      CallRuntime(rt::kNotifyLocate, static_cast<int32_t>(args[0].lo), static_cast<int32_t>(args[0].hi)))));
  const char* archive = args[1].Text();
  const char* folder = args[2].Text();
  if (IsEmptyText(archive) || IsEmptyText(folder)) return -1;
  ZipUnpacker worker;
  worker.SetUnit(dynamic_cast<ZipUnit*>(object));
  worker.SetProgressCallback(RaiseUnpackProgress);
  return worker.Run(archive, folder);
}

}  // namespace

int32_t CallRuntime(int32_t code, int32_t first, int32_t second) {
  rt::NotifyEntry entry = g_runtimeEntry.Get();
  return entry ? entry(code, first, second) : 0;
}

int32_t Notify(int32_t code, int32_t first, int32_t) { return g_runtimeEntry.Take(code, first); }

void* ZipUnitInterface(int32_t query) {
  for (const UnitRoutine& entry : kUnitRoutines) {
    if (entry.query == query) return entry.routine;
  }
  return nullptr;
}

// The argument count is not checked: the compiled program always passes three triples.
void Unpack(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  (void)argCount;
  int32_t value = 0;
  try {
    value = RunUnpack(args);
  } catch (...) {
    value = 0;  // out of memory for a path: the unpack failed; nothing may escape into compiled code
  }
  rt::SetInt(result, value);
}

}  // namespace ziplib
