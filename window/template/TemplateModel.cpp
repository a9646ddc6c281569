// Lookups, relocation, event resolution and cursor-block helpers over the template model.
#include "window/template/TemplateModel.h"

namespace tmpl {

// ---- Lookups ------------------------------------------------------------------------------

const WindowTemplate* FindWindow(const std::vector<WindowTemplate>& windows, uint32_t windowId) {
  for (const WindowTemplate& w : windows)
    if (w.id == windowId) return &w;
  return nullptr;
}

WindowTemplate* FindWindow(std::vector<WindowTemplate>& windows, uint32_t windowId) {
  for (WindowTemplate& w : windows)
    if (w.id == windowId) return &w;
  return nullptr;
}

int FindUnitIndex(const WindowTemplate& window, uint32_t unitId) {
  for (size_t i = 0; i < window.units.size(); ++i)
    if (window.units[i].id == unitId) return int(i);
  return -1;
}

const UnitTemplate* FindUnit(const WindowTemplate& window, uint32_t unitId) {
  int i = FindUnitIndex(window, unitId);
  return i < 0 ? nullptr : &window.units[size_t(i)];
}

UnitTemplate* FindUnit(WindowTemplate& window, uint32_t unitId) {
  int i = FindUnitIndex(window, unitId);
  return i < 0 ? nullptr : &window.units[size_t(i)];
}

// ---- Event bindings -----------------------------------------------------------------------

void Relocate(std::vector<WindowTemplate>& windows, uint32_t codeBase) {
  for (WindowTemplate& w : windows)
    for (UnitTemplate& u : w.units)
      for (EventBinding& b : u.events) b.routine = b.routineOffset == -1 ? 0 : codeBase + uint32_t(b.routineOffset);
}

// Invariant: `hops` never exceeds the unit count, so links that form a cycle (A -> B -> A) stop
// at some unit of the cycle instead of looping; the stored data never has cycles.
uint32_t ResolveRoutine(const WindowTemplate& window, size_t unitIndex, int32_t event) {
  if (unitIndex >= window.units.size()) return 0;
  const UnitTemplate* unit = &window.units[unitIndex];
  for (size_t hops = 0; unit->sharedEventLink != 0 && hops < window.units.size(); ++hops) {
    const UnitTemplate* next = FindUnit(window, unit->sharedEventLink);
    if (!next || next->typeCode != unit->typeCode || next == unit) break;
    unit = next;
  }
  for (const EventBinding& b : unit->events)
    if (b.event == event) return b.routine;
  return 0;
}

// ---- Cursor blocks ------------------------------------------------------------------------

const int32_t kStandardCursorIds[kStandardCursorCount] = {
    0, 32512, 32515, 32513, 32514, 32651, 32650, 32648, 32646, 32643, 32645, 32642, 32644, 32516, 32649};

int32_t CursorIdFromIndex(int32_t index) {
  return index >= 0 && index < kStandardCursorCount ? kStandardCursorIds[index] : -1;
}

int32_t CursorIndexFromId(int32_t id) {
  for (int i = 0; i < kStandardCursorCount; ++i)
    if (kStandardCursorIds[i] == id) return i;
  return -1;
}

int32_t CursorBlockNumber(const std::string& block) {
  if (block.empty()) return 0;
  const auto* b = reinterpret_cast<const uint8_t*>(block.data());
  if (block.size() < 4) return b[0];
  return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

std::string MakeCursorBlock(int32_t number) {
  if (number == 0) return std::string();
  uint32_t v = uint32_t(number);
  const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  return std::string(bytes, 4);
}

}  // namespace tmpl
