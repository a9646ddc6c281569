// The program image: the records by which the executable describes itself to its runtime.
// All of them are plain 32-bit layouts; the sizes are part of the stored format.
#pragma once
#include <cstdint>

namespace image {

// Entry of a library through which the runtime announces itself (code 1) and shuts it down (code 6).
using LibraryNotify = int32_t (*)(int32_t code, int32_t first, int32_t second);

// The unit interface of a data type: answers the routine that serves a numbered query
// (1 create, 4 set property, 5 write property block, 6 get property, 11 filter), or null.
using UnitInterface = void* (*)(int32_t query);

struct PropertyRecord {
  const char* name;         // null (stripped)
  const char* englishName;  // null (stripped)
  const char* explanation;  // null (stripped)
  uint16_t kind;            // 1000 and up: how the value converts
  uint16_t state;           // 0xe000 in every record of this program
  const void* pickList;     // null
};

struct DataTypeRecord {
  const char* name;               // for example "窗口"
  const char* englishName;        // for example "window"
  const char* explanation;        // null
  uint32_t methodCount;           // 0
  const void* methods;            // null
  uint32_t state;                 // type state bits (0x40 window unit, 0x8000 invisible, ...)
  uint32_t iconId;                // 0
  uint32_t eventCount;            // 0 (stripped)
  const void* events;             // null
  uint32_t propertyCount;         // common and own properties together
  const PropertyRecord* properties;
  UnitInterface unitInterface;    // null for types without objects
  uint32_t elementCount;          // 0
  const void* elements;           // null
};

struct LibraryRecord {
  uint32_t formatVersion;           // always 20000101
  const char* identity;
  uint32_t major, minor, build;
  uint32_t systemMajor, systemMinor;
  uint32_t coreMajor, coreMinor;
  const char* name;
  uint32_t language;                // 1
  const char* explanation;          // null
  uint32_t state;
  const char* maker[8];             // null
  uint32_t typeCount;
  const DataTypeRecord* types;
  uint32_t categoryCount;           // 0
  const char* categories;           // null
  uint32_t commandCount;
  const void* commandInfo;          // null
  const void* const* commands;      // one code address per linked command
  const void* addInFunction;        // null
  const void* addInInfo;            // null
  LibraryNotify notify;
  const void* templateFunction;     // null
  const void* templateInfo;         // null
  uint32_t constantCount;           // 0
  const void* constants;            // null
  const void* dependencies;         // null
};

struct ProgramHeader {
  uint32_t programKind;                       // 3
  uint32_t reserved;                          // 0
  uint32_t highestSerial;                     // identifier serials used by the templates
  uintptr_t codeBase;                         // event-handler offsets are relative to it
  const uint8_t* poolStart;
  uint32_t poolSize;
  const uint8_t* templateStart;
  uint32_t templateSize;
  uint32_t libraryCount;
  const LibraryRecord* const* libraryTable;   // entries may be null
  uint32_t dllCount;
  const char* const* dllLibraryNames;
  const char* const* dllFunctionNames;
};

constexpr uint32_t kLibraryFormatVersion = 20000101;

#if UINTPTR_MAX == 0xffffffffu
static_assert(sizeof(PropertyRecord) == 20, "property record is 20 bytes");
static_assert(sizeof(DataTypeRecord) == 56, "data-type record is 56 bytes");
static_assert(sizeof(LibraryRecord) == 144, "library record is 144 bytes");
static_assert(sizeof(ProgramHeader) == 52, "program header is 13 words");
#endif

}  // namespace image
