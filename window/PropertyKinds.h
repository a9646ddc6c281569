// Conversions between a property's stored value and the value the program reads and writes,
// decided by the property's kind code.
#pragma once
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"

namespace window {

enum class ValueKind {
  Integer,  // 1000, 1001
  Choice,   // 1006: a negative value written is stored as 0
  Wide,     // 1002, 1004: both words
  Logical,  // 1003: reads 1 only when the stored value is exactly 1
  Text,     // 1005, 1007, 1008, 1016, 1018, 1020 and every kind not listed
  Bytes,    // 1009, 1010, 1012, 1023, 1024: picture, icon, sound or other data
  Cursor,   // 1011: byte array; standard-cursor index outside, Win32 id inside
  Font,     // 1013
  Colour,   // 1014, 1015, 1017
};
ValueKind ValueKindOf(uint16_t kind);

// The value handed to the program (texts and byte arrays as new runtime blocks).
uint64_t ToProgramValue(uint16_t kind, const rt::PropertyData& stored, int32_t member);
// The stored value for what the program wrote; `current` is needed by single font attributes.
rt::PropertyData FromProgramValue(uint16_t kind, uint32_t lo, uint32_t hi, int32_t member,
                                  const rt::PropertyData& current);

// A byte-array value (word 1, length, bytes) as a new runtime block; null when empty.
void* NewByteArray(const std::string& bytes);
// The bytes of a byte-array value the program passed (null is empty).
std::string BytesOfValue(uint32_t lo);
// The bytes of a text value the program passed (null is empty).
std::string TextOfValue(uint32_t lo);

// Cursor blocks: the stored block holds a Win32 cursor id, the property a table index.
std::string CursorPropertyFromBlock(const std::string& block);
std::string CursorBlockFromProperty(const std::string& property);

}  // namespace window
