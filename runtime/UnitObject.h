// The live object of a unit (a window or a control) and the routines of a type's unit interface.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/FrameworkWindow.h"

namespace rt {

// Every live unit owns its Win32 window and knows the ids under which it raises its events.
class UnitObject : public FrameworkWindow {
 public:
  uint32_t windowId = 0;
  uint32_t unitId = 0;
};

// Unit interface queries (answered by a type's unit interface function with the routine).
enum UnitQuery : int32_t {
  kUnitCreate = 1,
  kUnitPropertyEditable = 2,
  kUnitDesignDialog = 3,
  kUnitSetProperty = 4,
  kUnitWriteBlock = 5,
  kUnitGetProperty = 6,
  kUnitEnumerateTexts = 9,
  kUnitFilterMessage = 11,
};

// Arguments of query 1.
struct UnitCreateArgs {
  const uint8_t* block;   // the type's property block (may be empty)
  int32_t blockSize;
  uint32_t style;         // Win32 style computed by the window engine
  HWND parent;
  uint32_t controlId;
  HMENU menu;             // window unit only
  int32_t left, top, width, height;
  uint32_t windowId, unitId;
  uint32_t designWindow;  // 0
  uint32_t designMode;    // 0
};

// A raw property value of a type-specific property: integers in number (64-bit kinds use all of
// it); texts, byte arrays, pictures and fonts (a 60-byte LOGFONT, or empty) in bytes.
struct PropertyData {
  int64_t number = 0;
  std::string bytes;
};

using UnitCreate = UnitObject* (*)(const UnitCreateArgs& args);
// Whether own property k may be edited now, given the unit's other values.
using UnitPropertyEditable = bool (*)(UnitObject* unit, int32_t k);
// Runs the type's design-time dialog over the unit, owned by `owner`; true when it changed the unit.
using UnitDesignDialog = bool (*)(UnitObject* unit, HWND owner);
// Returns 1 when the unit must be re-created for the new value, else 0.
using UnitSetProperty = int32_t (*)(UnitObject* unit, int32_t k, const PropertyData& value);
// Writes the whole property block in the stored format; a null unit writes the defaults.
using UnitWriteBlock = bool (*)(UnitObject* unit, std::string& block);
using UnitGetProperty = bool (*)(UnitObject* unit, int32_t k, PropertyData& value);
using UnitEnumerateTexts = void (*)(UnitObject* unit, void (*callback)(const char* text, void* context), void* context);
// True consumes the message.
using UnitFilterMessage = bool (*)(UnitObject* unit, MSG* message);

}  // namespace rt
