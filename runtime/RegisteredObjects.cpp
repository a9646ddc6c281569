#include "runtime/RegisteredObjects.h"
#include <algorithm>
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

using ObjectList = std::vector<std::pair<RegisteredObject*, uint8_t>>;

ObjectList::iterator FindObject(ObjectList& objects, RegisteredObject* object) {
  return std::find_if(objects.begin(), objects.end(), [object](const auto& entry) { return entry.first == object; });
}

// A library's object may fail as it closes; the runtime goes on with the next one.
void CloseAndDelete(RegisteredObject* object) {
  try {
    object->Close();
  } catch (...) {
  }
  try {
    delete object;
  } catch (...) {
  }
}

}  // namespace

int32_t RegisteredObjectKind(RegisteredObject* object) {
  ObjectList& objects = State().registeredObjects;
  auto found = FindObject(objects, object);
  return found == objects.end() ? -1 : found->second;
}

void RegisterObject(RegisteredObject* object, uint8_t kind) {
  ObjectList& objects = State().registeredObjects;
  if (!object || FindObject(objects, object) != objects.end()) return;
  objects.emplace_back(object, kind);
}

bool UnregisterObject(RegisteredObject* object) {
  ObjectList& objects = State().registeredObjects;
  auto found = FindObject(objects, object);
  if (found == objects.end()) return false;
  objects.erase(found);
  return true;
}

void CloseRegisteredObjects() {
  // Taken out first: closing one object may register or unregister others.
  ObjectList objects;
  objects.swap(State().registeredObjects);
  for (const auto& entry : objects) CloseAndDelete(entry.first);
}

void AddIconRecord(IconRecord* record) {
  std::vector<IconRecord*>& records = State().iconRecords;
  if (!record || std::find(records.begin(), records.end(), record) != records.end()) return;
  records.push_back(record);
}

bool IsIconRecord(const IconRecord* record) {
  const std::vector<IconRecord*>& records = State().iconRecords;
  return record && std::find(records.begin(), records.end(), record) != records.end();
}

void FreeIconRecord(IconRecord* record) {
  std::vector<IconRecord*>& records = State().iconRecords;
  auto found = std::find(records.begin(), records.end(), record);
  // Only a record the runtime holds is freed, so that a second free cannot release a block twice.
  if (!record || found == records.end()) return;
  records.erase(found);
  if (record->icon) DestroyIcon(record->icon);
  FreeBlock(record->data);
  FreeBlock(record);
}

void FreeAllIconRecords() {
  while (!State().iconRecords.empty()) FreeIconRecord(State().iconRecords.front());
}

}  // namespace rt
