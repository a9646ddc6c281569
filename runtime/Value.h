// Values as compiled code and the libraries exchange them: type codes, the argument triple,
// the command shape, and the text and array layouts.
#pragma once
#include <cstdint>
#include <cstring>

namespace rt {

// Basic type codes; bit kArrayBit on any code makes it an array of that type.
enum TypeCode : uint32_t {
  kTypeNone = 0,
  kTypeByte = 0x80000101,
  kTypeShort = 0x80000201,
  kTypeInt = 0x80000301,
  kTypeLong = 0x80000401,
  kTypeFloat = 0x80000501,
  kTypeDouble = 0x80000601,
  kTypeBool = 0x80000002,
  kTypeDateTime = 0x80000003,
  kTypeText = 0x80000004,
  kTypeBytes = 0x80000005,
  kTypeWindow = 0x00010001,
};
constexpr uint32_t kArrayBit = 0x20000000;

inline bool IsNumericType(uint32_t code) { return code >= kTypeByte && code <= kTypeDouble && (code & 0xff) == 1; }
inline bool IsArrayType(uint32_t code) { return (code & 0xC0000000u) == 0x80000000u && (code & kArrayBit); }
inline uint32_t ElementType(uint32_t code) { return code & ~kArrayBit; }
// Width in bytes of one element of a numeric type (texts and byte arrays are stored as pointers).
inline uint32_t ElementWidth(uint32_t elementType) {
  switch (elementType) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeLong: case kTypeDouble: case kTypeDateTime: return 8;
    default: return 4;
  }
}

// The 12-byte record in which every command argument and result travels.
struct ArgTriple {
  uint32_t lo;    // the value, or its low word; the pointer for texts and arrays
  uint32_t hi;    // high word of 64-bit values
  uint32_t type;  // type code; 0 marks an omitted argument

  bool Given() const { return type != kTypeNone; }
  int32_t Int() const { return static_cast<int32_t>(lo); }
  const char* Text() const { return reinterpret_cast<const char*>(static_cast<uintptr_t>(lo)); }
  const uint8_t* Pointer() const { return reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(lo)); }
  int64_t Long() const { return static_cast<int64_t>((static_cast<uint64_t>(hi) << 32) | lo); }
  double Double() const { uint64_t bits = (static_cast<uint64_t>(hi) << 32) | lo; double d; std::memcpy(&d, &bits, 8); return d; }
  float Float() const { float f; std::memcpy(&f, &lo, 4); return f; }
};
static_assert(sizeof(ArgTriple) == 12, "argument triple is 12 bytes");

// A library command: writes its result into the zeroed result triple.
using Command = void (*)(ArgTriple* result, int32_t argCount, ArgTriple* args);

// A byte-array value (and a byte-array constant): the word 1, the length, the bytes.
struct ByteArrayView {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};
inline ByteArrayView ViewBytes(const void* value) {
  if (!value) return {};
  auto words = static_cast<const uint32_t*>(value);
  return {reinterpret_cast<const uint8_t*>(words + 2), words[1]};
}

// Array values: dimension count d, d sizes, then the packed elements.
inline uint32_t ArrayElementCount(const void* value) {
  if (!value) return 0;
  auto words = static_cast<const uint32_t*>(value);
  uint32_t count = 1;
  for (uint32_t i = 0; i < words[0]; ++i) count *= words[1 + i];
  return count;
}
inline const uint8_t* ArrayElements(const void* value) {
  auto words = static_cast<const uint32_t*>(value);
  return reinterpret_cast<const uint8_t*>(words + 1 + words[0]);
}

// Helpers for filling a result triple.
inline void SetInt(ArgTriple* r, int32_t v) { r->lo = static_cast<uint32_t>(v); r->type = kTypeInt; }
inline void SetBool(ArgTriple* r, bool v) { r->lo = v ? 1 : 0; r->type = kTypeBool; }
inline void SetText(ArgTriple* r, char* text) { r->lo = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text)); r->type = kTypeText; }
inline void SetPointer(ArgTriple* r, void* p, uint32_t type) { r->lo = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); r->type = type; }

inline ArgTriple IntArg(int32_t v) { return {static_cast<uint32_t>(v), 0, kTypeInt}; }
inline ArgTriple BoolArg(bool v) { return {v ? 1u : 0u, 0, kTypeBool}; }
inline ArgTriple TextArg(const char* t) { return {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(t)), 0, kTypeText}; }
inline ArgTriple BytesArg(const void* b) { return {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b)), 0, kTypeBytes}; }
inline ArgTriple OmittedArg() { return {0, 0, kTypeNone}; }
// A window or control travels as its window id (low word) and unit id (high word).
inline ArgTriple UnitArg(uint32_t windowId, uint32_t unitId, uint32_t typeCode) { return {windowId, unitId, typeCode}; }
inline ArgTriple WindowArg(uint32_t windowId) { return {windowId, 0, kTypeWindow}; }

}  // namespace rt
