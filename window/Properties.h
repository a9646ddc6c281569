// Reading and writing unit properties by (window id, unit id, property index): the common
// properties 0 to 7 from the unit header or the live window, the type's own from its object.
#pragma once
#include <cstdint>

namespace window {

uint64_t GetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member);
uint32_t SetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t member, uint32_t lo, uint32_t hi);

// MiscService 4 and 5: property k of a library object that is not a control, as its type
// lists it (the common properties 0 to 7 are the controls' only).
uint64_t GetObjectProperty(uint32_t typeCode, void* object, int32_t k, int32_t member);
void SetObjectProperty(uint32_t typeCode, void* object, int32_t k, int32_t member, uint32_t lo, uint32_t hi);

// Positions are kept within +-32627 and sizes within 0 ... 32627.
constexpr int32_t kCoordinateLimit = 32627;

}  // namespace window
