#include "window/UnitType.h"
#include "runtime/Runtime.h"

namespace window {

// Kinds of the common properties: Left, Top, Width, Height, Tag, Visible, Disabled, Cursor.
constexpr uint16_t kCommonKinds[8] = {1001, 1001, 1001, 1001, 1005, 1003, 1003, 1011};

uint16_t UnitType::PropertyKind(int32_t index) const {
  if (index < 0) return 0;
  if (index < 8) return kCommonKinds[index];
  return RecordKind(index);
}

uint16_t UnitType::RecordKind(int32_t index) const {
  if (index < 0 || !record_ || !record_->properties || uint32_t(index) >= record_->propertyCount) return 0;
  return record_->properties[index].kind;
}

UnitType FindUnitType(uint32_t typeCode) {
  if (typeCode < 1 || typeCode > 0x3FFFFFFF) return UnitType();
  // The runtime resolves the code through the program header's library table.
  int32_t record = rt::RuntimeNotify(rt::kNotifyTypeLookup, int32_t(typeCode), 0);
  return UnitType(reinterpret_cast<const image::DataTypeRecord*>(uintptr_t(uint32_t(record))));
}

}  // namespace window
