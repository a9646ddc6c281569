// What libraries leave with the runtime to be closed at the end: objects registered with a kind
// byte (codes 2011 to 2014) and icon records (codes 2019 to 2021).
#pragma once
#include <windows.h>
#include <cstdint>

namespace rt {

// An object a library registers through code 2012. The runtime closes and deletes it on code
// 2014 and at the end of the program; the library unregisters it (code 2013) when it closes
// the object itself first.
class RegisteredObject {
 public:
  virtual ~RegisteredObject() = default;
  virtual void Close() = 0;
};

// An icon record of code 2019: the record, its data block and the icon belong to the runtime
// once added. Record and data block are runtime heap blocks.
struct IconRecord {
  HICON icon;      // destroyed with the record; may be null
  void* data;      // runtime block with the icon's file bytes, or null
  uint32_t size;   // bytes in data
};

int32_t RegisteredObjectKind(RegisteredObject* object);  // -1 when not registered
void RegisterObject(RegisteredObject* object, uint8_t kind);
bool UnregisterObject(RegisteredObject* object);
// Closes and deletes every registered object, in registration order; a failing Close or
// destructor does not stop the others.
void CloseRegisteredObjects();

void AddIconRecord(IconRecord* record);
bool IsIconRecord(const IconRecord* record);
// Destroys the icon, frees the data block and the record; a record not in the list is left alone.
void FreeIconRecord(IconRecord* record);
void FreeAllIconRecords();

}  // namespace rt
