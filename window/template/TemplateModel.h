// The window templates as plain data: what the template region stores, before any window exists.
// Host-neutral (no Win32): the image build tool writes regions with it, the runtime reads them.
// TemplateRegion.h reads and writes the region's bytes, PropertyBlocks.h the type-specific
// property blocks.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tmpl {

struct EventBinding {
  int32_t event;          // 0 and up: the type's own events; negative: common events
  int32_t routineOffset;  // from the code base; -1 = no routine
  uint32_t routine = 0;   // after relocation: the routine's address, 0 = none (not stored)
};

struct UnitTemplate {
  uint32_t id = 0;
  uint32_t typeCode = 0;
  uint32_t sharedEventLink = 0;  // unit whose bindings this one uses, or 0
  std::string name;              // GBK
  std::string remark;
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t parent = 0;           // 0 = the window
  std::vector<uint32_t> children;  // a paged container separates pages with 0 entries
  std::string cursorBlock;       // empty = class cursor
  std::string tag;
  uint32_t flags = 0;            // bit 0 visible, bit 1 disabled, bit 2 tab stop
  int32_t tabOrder = 0;
  std::vector<EventBinding> events;  // a menu item holds its single binding here, as event 0
  std::string propertyBlock;     // type-specific, read by the type's reader; for a menu item
                                 // the bytes after its routine word (layout left open)

  // Words the format carries without meaning, kept as read so that a re-write is identical.
  std::array<uint32_t, 4> reservedHead{};  // after the shared-event link, written as 0
  uint32_t objectSlot = 0;                 // 0 in storage
  uint32_t cursorSlot = 0;                 // 0 in storage
  uint32_t reservedMid = 0;                // after the tag, written as 0
  std::array<uint32_t, 5> reservedTail{};  // after the bindings, written as 0
  // Menu items only (kind 0x26xxxxxx): the three words (flags, shortcut, level; their meaning is
  // the window engine's, window/MenuItem.h) and the caption after the two texts.
  std::array<uint32_t, 3> menuWords{};
  std::string menuText;
};

struct WindowTemplate {
  uint32_t id = 0;
  uint32_t reservedA = 0, reservedB = 0;
  std::string textA, textB;
  std::vector<UnitTemplate> units;  // unit 0 is the window unit
  uint32_t tableSlot = 0;           // the window table's object slot as stored (ignored)
};

constexpr uint32_t kFlagVisible = 1;
constexpr uint32_t kFlagDisabled = 2;
constexpr uint32_t kFlagTabStop = 4;

// Type codes of the installer's template (library number << 16 | type number).
constexpr uint32_t kTypeWindow = 0x00010001;
constexpr uint32_t kTypeMenuItem = 0x00010003;
constexpr uint32_t kTypeEditBox = 0x00010005;
constexpr uint32_t kTypePicBox = 0x00010006;
constexpr uint32_t kTypeCheckBox = 0x0001000C;
constexpr uint32_t kTypeProcessBar = 0x00010013;
constexpr uint32_t kTypeTimer = 0x00010020;
constexpr uint32_t kTypePicBtn = 0x0001002D;
constexpr uint32_t kTypePageControl = 0x00020002;
constexpr uint32_t kTypeTransLabel = 0x00030005;
constexpr uint32_t kTypeZip = 0x00060001;

// ---- Ids ----------------------------------------------------------------------------------

// Valid when both the serial number (bits 0-23) and the low kind nibble (bits 24-27) are non-zero.
inline bool IsValidId(uint32_t id) { return (id & 0x00FFFFFF) != 0 && (id & 0x0F000000) != 0; }
// Menu-item units: low kind nibble 6, high kind nibble 2.
inline bool IsMenuItemId(uint32_t id) { return (id >> 24) == 0x26; }

// ---- Lookups ------------------------------------------------------------------------------

const WindowTemplate* FindWindow(const std::vector<WindowTemplate>& windows, uint32_t windowId);
WindowTemplate* FindWindow(std::vector<WindowTemplate>& windows, uint32_t windowId);
// Position of the unit with this id in the unit list, or -1.
int FindUnitIndex(const WindowTemplate& window, uint32_t unitId);
const UnitTemplate* FindUnit(const WindowTemplate& window, uint32_t unitId);
UnitTemplate* FindUnit(WindowTemplate& window, uint32_t unitId);

// ---- Event bindings -----------------------------------------------------------------------

// Relocates every binding of every unit: offset -1 gives routine 0, any other offset v gives
// codeBase + v. The stored offsets stay as they are, so the region can still be re-written.
void Relocate(std::vector<WindowTemplate>& windows, uint32_t codeBase);

// The relocated routine that handles `event` for unit `unitIndex`, or 0. Follows shared-event
// links while they name an existing unit of the same type code (at most one hop per unit, so a
// cycle of links ends), then searches the bindings of the unit reached.
uint32_t ResolveRoutine(const WindowTemplate& window, size_t unitIndex, int32_t event);

// ---- Cursor blocks ------------------------------------------------------------------------

constexpr int32_t kCursorHand = 32649;   // loaded from the program's own cursor resource 1032
constexpr int32_t kCursorFromFile = -1;  // a cursor file follows the number
constexpr int kStandardCursorCount = 15;
// Standard cursor table: index -> Win32 cursor id; index 0 is no cursor (0).
extern const int32_t kStandardCursorIds[kStandardCursorCount];
// Win32 id of a table index; -1 for an index outside the table.
int32_t CursorIdFromIndex(int32_t index);
// Table index of a Win32 id; -1 when the id is not in the table.
int32_t CursorIndexFromId(int32_t id);
// The cursor number of a block: its first int32 (its first byte for a block shorter than 4
// bytes); 0 for an empty block (the class cursor).
int32_t CursorBlockNumber(const std::string& block);
// A block holding just a cursor number (empty for 0, the class cursor).
std::string MakeCursorBlock(int32_t number);

}  // namespace tmpl
